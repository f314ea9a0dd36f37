#include "link/lj_link.h"

#include <cstring>
#include <limits>
#include <string>

namespace Brenoth {

WindowHandle ljWindow = 0;
std::uint8_t dmxFrame[512] = {};
bool ljReady = false;

namespace {

WindowMessaging* messaging = nullptr;

// What the link keeps between ticks besides ljWindow: whether a handshake has ever passed
// (only then does it look for LightJockey by itself) and when it last looked.
struct Reconnect {
    bool armed = false;
    double lastLook = -std::numeric_limits<double>::infinity();
};

Reconnect reconnect;

WindowMessaging& Messaging() {
    if (!messaging) messaging = &DefaultWindowMessaging();
    return *messaging;
}

// LightJockey answers with a 32-bit value; the upper half of a 64-bit result means nothing.
// A question not answered in time counts as a wrong answer.
bool Ask(std::uintptr_t question, std::int32_t& answer) {
    std::int32_t scratch = 0;  // LightJockey's side may write here; it is never read
    std::intptr_t result = 0;
    if (!Messaging().SendWithTimeout(ljWindow, LJ_QUESTION, question, reinterpret_cast<std::intptr_t>(&scratch),
                                     QUESTION_TIME_LIMIT_MS, result))
        return false;
    answer = static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
    return true;
}

bool Handshake() {
    std::int32_t answer = 0;
    if (!Ask(0, answer) || answer != 1) return false;
    if (!Ask(1, answer) || answer < LJ_MIN_VERSION) return false;
    return true;
}

}  // namespace

void UseWindowMessaging(WindowMessaging* m) { messaging = m; }

bool ConnectLJ() {
    const std::string className = LJ_WINDOW_CLASS;
    ljWindow = Messaging().FindWindowByClass(className.c_str());
    ljReady = ljWindow != 0 && Handshake();
    if (ljReady) reconnect.armed = true;
    return ljReady;
}

void SendDmxFrame() {
    CopyDataRecord record{FRAME_DATA_ID, FRAME_BLOCK_SIZE, &dmxFrame[0]};
    std::intptr_t ignored = 0;
    Messaging().SendWithTimeout(ljWindow, WM_COPYDATA_MSG, 0, reinterpret_cast<std::intptr_t>(&record),
                                FRAME_TIME_LIMIT_MS, ignored);
}

bool TendLink(double now) {
    const bool wasReady = ljReady;
    if (ljWindow != 0) {
        // Window handles are reused: nothing more goes to a handle whose window is gone.
        if (!Messaging().IsWindow(ljWindow)) {
            ljWindow = 0;
            ljReady = false;
        }
    } else if (reconnect.armed && now - reconnect.lastLook >= LOOK_INTERVAL_S) {
        reconnect.lastLook = now;
        ConnectLJ();
    }
    return ljReady != wasReady;
}

void ResetLinkState() {
    ljWindow = 0;
    ljReady = false;
    reconnect = Reconnect{};
    std::memset(dmxFrame, 0, sizeof dmxFrame);
}

}  // namespace Brenoth
