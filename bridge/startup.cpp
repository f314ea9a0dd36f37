// Start-up: probes COM1 to COM255 for a widget, opens the highest one that answered, shows its
// firmware version and asks it to pass on every DMX frame it receives. Without a widget the
// search after start-up (port_search.cpp) takes over.
#include <string>

#include "bridge/main_form.h"
#include "bridge/outside_state.h"
#include "widget/proVCPdriver.h"

namespace MainForm {

std::int16_t widgetPort = 0;
bool portOpened = false;

namespace {

constexpr unsigned REPLY_WAIT_MS = 100;

// A widget answers the parameters request with a label-3 reply whose firmware high byte is at
// least 1.
bool ReplyFromWidget() {
    if (outside.MSComm1->InBufferCount() <= 0) return false;
    int before = proVCPdriver::paramsRepliesStored;
    proVCPdriver::ParsePacket(outside.MSComm1->Input());
    return proVCPdriver::paramsRepliesStored != before && proVCPdriver::paramsReply[5] >= 1;
}

void AddPortLine(const char* text, std::int16_t port) {
    outside.window->AddDevListLine(text + std::to_string(port));
}

void ScanPorts() {
    Ignoring([] { outside.window->ClearDevList(); });
    for (std::int16_t port = 1; port <= HighestPort; ++port)
        if (ProbePort(port)) widgetPort = port;
}

}  // namespace

bool ProbePort(std::int16_t port) {
    SerialPort& comm = *outside.MSComm1;
    bool open = false;
    EachIgnoringErrors([&] { comm.SetCommPort(port); },
                       [] { SetPortOpen(true); },
                       [&] { open = comm.PortOpen(); });
    if (!open) return false;  // absent, or held by another program
    bool widget = false;
    EachIgnoringErrors([&] { AddPortLine("Com ", port); },
                       [] { proVCPdriver::PrepareDmxOutput(); },
                       [] { proVCPdriver::SendOutputPacket(); },
                       [] { SetPortOpen(false); },
                       [] { SetPortOpen(true); },
                       [] { proVCPdriver::SendParamsRequest(); },
                       [] { outside.window->Sleep(REPLY_WAIT_MS); },
                       [&] { widget = ReplyFromWidget(); },
                       [&] { if (widget) AddPortLine("Pro Widget - Com:  ", port); },
                       [] { SetPortOpen(false); });
    return widget;
}

void Form_Load() {
    proVCPdriver::ResetWidgetState();
    NotePresentPorts();
    ScanPorts();
    outside.window->DeliverWaitingMessages();
    if (widgetPort < 1) {
        outside.box->Show("No Enttec DMX USB Pro widgets found");
        StartSearch();
        return;
    }
    portOpened = StartReceiving();
    if (!portOpened) StartSearch();
}

bool StartReceiving() {
    outside.MSComm1->SetCommPort(widgetPort);
    if (!init()) {
        outside.window->SetCaption("Failed to open Comm port!");
        return false;
    }
    DisplayConfig();
    proVCPdriver::SendReceiveMode(0);
    outside.window->EnableTimer1();
    proVCPdriver::PrepareStartupOutput();
    proVCPdriver::SendOutputPacket();
    WaitForBytes();
    return true;
}

bool init() {
    if (outside.MSComm1->PortOpen()) SetPortOpen(false);
    SetPortOpen(true);
    return outside.MSComm1->PortOpen();
}

void DisplayConfig() {
    outside.window->SetCaption("Firmware Version: " + std::to_string(proVCPdriver::paramsReply[5]) + "." +
                               std::to_string(proVCPdriver::paramsReply[4]));
}

void Form_Unload(std::int16_t& /*Cancel*/) {
    if (outside.MSComm1->PortOpen()) SetPortOpen(false);
}

}  // namespace MainForm
