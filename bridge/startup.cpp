// Start-up: probes ports 1 to 16 for a widget, opens the highest one that answered, shows its
// firmware version and asks it to pass on every DMX frame it receives.
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

void ProbePort(std::int16_t port) {
    SerialPort& comm = *outside.MSComm1;
    Ignoring([&] { comm.SetCommPort(port); });
    Ignoring([&] { SetPortOpen(true); });
    bool open = false;
    Ignoring([&] { open = comm.PortOpen(); });
    if (!open) return;
    Ignoring([&] { outside.window->AddDevListLine("Com " + std::to_string(port)); });
    Ignoring([&] { proVCPdriver::PrepareDmxOutput(); });
    Ignoring([&] { proVCPdriver::SendOutputPacket(); });
    Ignoring([&] { SetPortOpen(false); });
    Ignoring([&] { SetPortOpen(true); });
    Ignoring([&] { proVCPdriver::SendParamsRequest(); });
    Ignoring([&] { outside.window->Sleep(REPLY_WAIT_MS); });
    bool widget = false;
    Ignoring([&] { widget = ReplyFromWidget(); });
    if (widget) {
        Ignoring([&] { outside.window->AddDevListLine("Pro Widget - Com:  " + std::to_string(port)); });
        widgetPort = port;
    }
    Ignoring([&] { SetPortOpen(false); });
}

void ScanPorts() {
    Ignoring([&] { outside.window->ClearDevList(); });
    for (std::int16_t port = 1; port <= 16; ++port) ProbePort(port);
}

}  // namespace

void Form_Load() {
    proVCPdriver::ResetWidgetState();
    ScanPorts();
    outside.window->DeliverWaitingMessages();
    if (widgetPort < 1) {
        outside.box->Show("No Enttec DMX USB Pro widgets found");
        return;
    }
    outside.MSComm1->SetCommPort(widgetPort);
    portOpened = init();
    if (!portOpened) {
        outside.window->SetCaption("Failed to open Comm port!");
        return;
    }
    DisplayConfig();
    proVCPdriver::SendReceiveMode(0);
    outside.window->EnableTimer1();
    proVCPdriver::PrepareStartupOutput();
    proVCPdriver::SendOutputPacket();
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
