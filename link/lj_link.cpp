#include "link/lj_link.h"

#include <cstring>
#include <string>

namespace Brenoth {

WindowHandle ljWindow = 0;
std::uint8_t dmxFrame[512] = {};

namespace {

WindowMessaging* messaging = nullptr;

WindowMessaging& Messaging() {
    if (!messaging) messaging = &DefaultWindowMessaging();
    return *messaging;
}

// LightJockey answers with a 32-bit value; the upper half of a 64-bit result means nothing.
std::int32_t Ask(std::uintptr_t question) {
    std::int32_t scratch = 0;  // LightJockey's side may write here; it is never read
    auto answer = Messaging().Send(ljWindow, LJ_QUESTION, question,
                                   reinterpret_cast<std::intptr_t>(&scratch));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(answer));
}

}  // namespace

void UseWindowMessaging(WindowMessaging* m) { messaging = m; }

bool ConnectLJ() {
    const std::string className = "TLJMainForm";
    ljWindow = Messaging().FindWindowByClass(className.c_str());
    if (ljWindow == 0) return false;
    if (Ask(0) != 1) return false;
    if (Ask(1) < LJ_MIN_VERSION) return false;
    return true;
}

void SendDmxFrame() {
    CopyDataRecord record{FRAME_DATA_ID, FRAME_BLOCK_SIZE, &dmxFrame[0]};
    Messaging().Send(ljWindow, WM_COPYDATA_MSG, 0, reinterpret_cast<std::intptr_t>(&record));
}

void ResetLinkState() {
    ljWindow = 0;
    std::memset(dmxFrame, 0, sizeof dmxFrame);
}

}  // namespace Brenoth
