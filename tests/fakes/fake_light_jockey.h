#pragma once
// A stand-in for the window system as the LightJockey link sees it, for native tests: at most
// one LightJockey window at a time, answering the two handshake questions as configured, or
// not answering at all (hung), or gone. Records every lookup and every message sent.
#include <cstdint>
#include <string>
#include <vector>

#include "link/lj_link.h"

class FakeLightJockey : public Brenoth::WindowMessaging {
public:
    struct Sent {
        Brenoth::WindowHandle window;
        unsigned message;
        std::uintptr_t wParam;
        unsigned timeoutMs;
        bool windowExisted;                 // false: sent to a window that was gone
        bool answered;
        std::int32_t variableAtSend;        // questions: what the 32-bit variable held
        Brenoth::CopyDataRecord record{};   // frames: the record as handed over
        std::vector<std::uint8_t> block;    // frames: the bytes it points at
    };

    std::intptr_t answer0 = 1;
    std::intptr_t answer1 = Brenoth::LJ_MIN_VERSION;
    bool hung = false;  // the window exists but answers nothing in time
    std::vector<std::string> lookups;
    std::vector<Sent> sent;

    explicit FakeLightJockey(Brenoth::WindowHandle window = 0) : window_(window) {}

    // LightJockey starts with a window of that handle; Close destroys it.
    void Start(Brenoth::WindowHandle window) { window_ = window; }
    void Close() { window_ = 0; }
    Brenoth::WindowHandle Window() const { return window_; }

    // The wParam of each question asked, in order.
    std::vector<std::uintptr_t> QuestionsAsked() const;
    // The blocks of the frames that LightJockey took, in order.
    std::vector<std::vector<std::uint8_t>> Frames() const;
    // The messages sent to a window that did not exist (any more) at the time.
    std::size_t SentToGoneWindows() const;

    Brenoth::WindowHandle FindWindowByClass(const char* className) override;
    bool SendWithTimeout(Brenoth::WindowHandle window, unsigned message, std::uintptr_t wParam,
                         std::intptr_t lParam, unsigned timeoutMs, std::intptr_t& answer) override;
    bool IsWindow(Brenoth::WindowHandle window) override { return window != 0 && window == window_; }

private:
    Brenoth::WindowHandle window_;
};

// Puts the fake in the link's place for the life of a test, and resets the link's state.
class UsingFakeLightJockey {
public:
    explicit UsingFakeLightJockey(FakeLightJockey& fake) {
        Brenoth::ResetLinkState();
        Brenoth::UseWindowMessaging(&fake);
    }
    ~UsingFakeLightJockey() { Brenoth::UseWindowMessaging(nullptr); }
    UsingFakeLightJockey(const UsingFakeLightJockey&) = delete;
    UsingFakeLightJockey& operator=(const UsingFakeLightJockey&) = delete;
};
