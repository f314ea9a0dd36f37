// Both windows at the screen DPI the runner set (TEVRIN_DPI): every control where the layout puts
// it, scaled to that DPI, inside the client area, and every caption that it shows fitting it at
// the font it is drawn with. Screenshots of both windows go to the run's folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bridge/layout.h"
#include "simulator/layout.h"
#include "tools/conductor/conductor.h"
#include "win32/control_ids.h"
#include "win32/controls.h"

namespace {

using windrive::Control;

// Another process's rectangles read in real pixels, not scaled for a DPI-unaware reader.
const bool dpiAware = SetProcessDPIAware() != FALSE;

// A button draws its caption inside a 2-pixel frame with a pixel to spare.
constexpr int ButtonInset = 3;

int AskedDpi() {
    const char* dpi = std::getenv("TEVRIN_DPI");
    return dpi ? std::atoi(dpi) : 96;
}

enum class Drawn { GuiFont, OwnFont, NoText };

struct Expected {
    int id;
    TwipsRect at;
    Drawn drawn;
    std::vector<std::string> captions;  // what it shows, besides its caption of the moment
};

std::vector<std::string> Levels() {
    std::vector<std::string> all;
    for (int level = 0; level <= 255; ++level) all.push_back(std::to_string(level));
    return all;
}

RECT RectInClient(HWND control, HWND form) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// The room the text has, as the control draws it.
RECT TextRoom(HWND control) {
    RECT room{};
    GetClientRect(control, &room);
    char cls[16] = "";
    GetClassNameA(control, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") == 0) InflateRect(&room, -ButtonInset, -ButtonInset);
    return room;
}

// The text's box, wrapped at the room's width where the control wraps (labels, multi-line
// buttons): wider than the room when one word is, taller when the lines are too many.
SIZE TextBox(HFONT font, const std::string& text, const RECT& room, bool wraps) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT box{0, 0, room.right - room.left, 0};
    DrawTextA(dc, text.c_str(), -1, &box, DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{box.right - box.left, box.bottom - box.top};
}

void ExpectCaptionsFit(HWND control, const Expected& e, HFONT font) {
    std::vector<std::string> captions = e.captions;
    captions.push_back(windrive::Text(control));
    RECT room = TextRoom(control);
    for (const std::string& caption : captions) {
        SIZE box = TextBox(font, caption, room, true);
        EXPECT_LE(box.cx, room.right - room.left) << "control " << e.id << " \"" << caption << "\" is too wide";
        EXPECT_LE(box.cy, room.bottom - room.top) << "control " << e.id << " \"" << caption << "\" is too tall";
    }
}

// Each control at its scaled place inside the client area, its captions fitting it.
void ExpectLaidOut(HWND form, int clientWidth, int clientHeight, const std::vector<Expected>& controls,
                   HFONT ownFont) {
    int dpi = ScreenDpi();
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, TwipsToPixels(clientWidth, dpi));
    EXPECT_EQ(client.bottom, TwipsToPixels(clientHeight, dpi));
    HFONT guiFont = DefaultGuiFont();
    for (const Expected& e : controls) {
        HWND control = Control(form, e.id);
        ASSERT_NE(control, nullptr) << "control " << e.id;
        RECT got = RectInClient(control, form);
        RECT want = ToPixels(e.at, dpi);
        EXPECT_TRUE(EqualRect(&got, &want)) << "control " << e.id << " at " << Describe(got) << ", laid out at "
                                            << Describe(want);
        RECT inside{};
        EXPECT_TRUE(IntersectRect(&inside, &got, &client) && EqualRect(&inside, &got))
            << "control " << e.id << " at " << Describe(got) << " leaves the client area " << Describe(client);
        if (e.drawn == Drawn::NoText) continue;
        ExpectCaptionsFit(control, e, e.drawn == Drawn::OwnFont ? ownFont : guiFont);
    }
}

// The font the system gives for that request, for the record.
void PrintFont(const char* what, HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof face, face);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SIZE levels{};
    GetTextExtentPoint32A(dc, "255", 3, &levels);
    std::printf("%s: \"%s\", %ld pixels high, \"255\" %ld pixels wide\n", what, face, metrics.tmHeight, levels.cx);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
}

TEST(HighDpi, TheScreenHasTheDpiAsked) {
    ASSERT_TRUE(dpiAware);
    EXPECT_EQ(ScreenDpi(), AskedDpi());
    PrintFont("GUI font", DefaultGuiFont());
    HFONT small = BridgeLayout::ValueLabelFont(ScreenDpi());
    PrintFont("value labels' font", small);
    DeleteObject(small);
}

std::vector<Expected> BridgeControls() {
    using namespace BridgeLayout;
    const std::vector<std::string> connect = {"Connect to LightJockey", "LJ READY !", "LJ not READY !"};
    std::vector<Expected> all = {
        {ControlId::cmdFind_LJ, BridgeLayout::cmdFind_LJ, Drawn::GuiFont, connect},
        {ControlId::lblFPS, BridgeLayout::lblFPS, Drawn::GuiFont, {"FPS", "44", "0"}},
        {ControlId::lblError, BridgeLayout::lblError, Drawn::GuiFont, {"0 Ready", "255 Waiting..."}},
        {ControlId::lblRec, BridgeLayout::lblRec, Drawn::GuiFont, {"Rec: 7E 5 2 2 0 0 FF FF FF FF "}},
        {ControlId::DevList, BridgeLayout::DevList, Drawn::NoText, {}},
    };
    for (int k = 0; k < 16; ++k) {
        all.push_back({ControlId::lblChValue + k, ValueLabel(k), Drawn::OwnFont, Levels()});
        all.push_back({ControlId::lblChan + k, ChannelLabel(k), Drawn::GuiFont, {std::to_string(k + 1)}});
        all.push_back({ControlId::scrollCh + k, Fader(k), Drawn::NoText, {}});
    }
    return all;
}

TEST(HighDpi, BridgeIsLaidOutToScaleAndEveryCaptionFits) {
    conductor::StandIn standIn = conductor::StartStandIn();
    conductor::Program bridge = conductor::Start("Tevrin.exe", WindowClass::Bridge);
    ASSERT_NE(bridge.window, nullptr);
    EXPECT_EQ(conductor::Connect(bridge.window), "LJ READY !");
    windrive::ScrollTo(Control(bridge.window, ControlId::scrollCh + 15), 55);
    conductor::WaitForShownRate(bridge.window, 20000);
    // A window's font cannot be asked from another process (under Wine WM_GETFONT answers 0
    // across processes): the fonts are made here by the calls the programs make, at the same
    // DPI, and measured as the system realizes them.
    HFONT small = BridgeLayout::ValueLabelFont(ScreenDpi());
    ExpectLaidOut(bridge.window, BridgeLayout::CLIENT_WIDTH, BridgeLayout::CLIENT_HEIGHT, BridgeControls(), small);
    DeleteObject(small);
    windrive::SaveWindowPng(bridge.window, conductor::WorkPath("tevrin-" + std::to_string(AskedDpi()) + "dpi.png"));
}

TEST(HighDpi, SimulatorIsLaidOutToScaleAndEveryCaptionFits) {
    conductor::StandIn standIn = conductor::StartStandIn();
    conductor::Program simulator = conductor::Start("Brenoth.exe", WindowClass::Simulator);
    ASSERT_NE(simulator.window, nullptr);
    const int values[8] = {0, 128, 255, 64, 255, 255, 192, 255};
    for (int k = 0; k < 8; ++k) windrive::ScrollTo(Control(simulator.window, ControlId::scrollCh + k), values[k]);
    EXPECT_EQ(conductor::Connect(simulator.window), "LJ READY !");
    std::vector<Expected> all = {
        {ControlId::cmdFind_LJ, SimulatorLayout::cmdFind_LJ, Drawn::GuiFont,
         {"Press To Connect", "LJ READY !", "LJ not READY !"}}};
    for (int k = 0; k < 8; ++k) {
        all.push_back({ControlId::lblChValue + k, SimulatorLayout::ValueLabel(k), Drawn::GuiFont, Levels()});
        all.push_back({ControlId::scrollCh + k, SimulatorLayout::Fader(k), Drawn::NoText, {}});
    }
    Sleep(300);  // a tick or more: the labels show the faders
    ExpectLaidOut(simulator.window, SimulatorLayout::CLIENT_WIDTH, SimulatorLayout::CLIENT_HEIGHT, all, nullptr);
    windrive::SaveWindowPng(simulator.window,
                            conductor::WorkPath("brenoth-" + std::to_string(AskedDpi()) + "dpi.png"));
}

}  // namespace
