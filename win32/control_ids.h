#pragma once
// Window classes and control identifiers of the two main windows. Test drivers and the demo
// find the windows and their controls by these, from another process. (LightJockey's class
// is the link's: Brenoth::LJ_WINDOW_CLASS in link/lj_link.h.)

namespace ControlId {
constexpr int cmdFind_LJ = 100;
constexpr int lblFPS = 101;
constexpr int DevList = 102;
constexpr int lblError = 103;
constexpr int lblRec = 104;
constexpr int scrollCh = 200;    // + index k, channel k + 1
constexpr int lblChValue = 300;  // + index k
constexpr int lblChan = 400;     // + index k
}

namespace WindowClass {
constexpr const char* Bridge = "Tevrin.MainForm";
constexpr const char* Simulator = "Brenoth.MainForm";
}
