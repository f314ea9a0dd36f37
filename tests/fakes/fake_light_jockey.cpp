#include "tests/fakes/fake_light_jockey.h"

std::vector<std::uintptr_t> FakeLightJockey::QuestionsAsked() const {
    std::vector<std::uintptr_t> asked;
    for (const auto& m : sent)
        if (m.message == Brenoth::LJ_QUESTION) asked.push_back(m.wParam);
    return asked;
}

std::vector<std::vector<std::uint8_t>> FakeLightJockey::Frames() const {
    std::vector<std::vector<std::uint8_t>> frames;
    for (const auto& m : sent)
        if (m.message == Brenoth::WM_COPYDATA_MSG && m.answered) frames.push_back(m.block);
    return frames;
}

std::size_t FakeLightJockey::SentToGoneWindows() const {
    std::size_t count = 0;
    for (const auto& m : sent)
        if (!m.windowExisted) ++count;
    return count;
}

Brenoth::WindowHandle FakeLightJockey::FindWindowByClass(const char* className) {
    lookups.push_back(className);
    return std::string(className) == "TLJMainForm" ? window_ : 0;
}

bool FakeLightJockey::SendWithTimeout(Brenoth::WindowHandle window, unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam, unsigned timeoutMs, std::intptr_t& answer) {
    Sent m{window, message, wParam, timeoutMs, IsWindow(window), false, 0, {}, {}};
    if (message == Brenoth::LJ_QUESTION) {
        m.variableAtSend = *reinterpret_cast<const std::int32_t*>(lParam);
        *reinterpret_cast<std::int32_t*>(lParam) = 0x5A5A;  // a peer may scribble on it
    } else if (message == Brenoth::WM_COPYDATA_MSG) {
        m.record = *reinterpret_cast<const Brenoth::CopyDataRecord*>(lParam);
        const auto* bytes = static_cast<const std::uint8_t*>(m.record.lpData);
        m.block.assign(bytes, bytes + m.record.cbData);
    }
    m.answered = m.windowExisted && !hung;
    sent.push_back(m);
    if (!m.answered) return false;
    answer = message != Brenoth::LJ_QUESTION ? 1 : wParam == 0 ? answer0 : answer1;
    return true;
}
