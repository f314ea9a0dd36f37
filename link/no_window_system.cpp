// Off Windows there is no LightJockey to find.
#include "link/lj_link.h"

namespace Brenoth {

namespace {
class NoWindows : public WindowMessaging {
public:
    WindowHandle FindWindowByClass(const char*) override { return 0; }
    bool SendWithTimeout(WindowHandle, unsigned, std::uintptr_t, std::intptr_t, unsigned, std::intptr_t&) override {
        return false;
    }
    bool IsWindow(WindowHandle) override { return false; }
};
}  // namespace

WindowMessaging& DefaultWindowMessaging() {
    static NoWindows none;
    return none;
}

}  // namespace Brenoth
