// The requests the bridge sends to the widget, and how it reports a request that fails.
#include <exception>

#include "common/numbered_error.h"
#include "widget/attached.h"
#include "widget/proVCPdriver.h"

namespace proVCPdriver {

namespace {

constexpr std::uint8_t LabelParamsRequest = 3;
constexpr std::uint8_t LabelRxModeRequest = 8;
constexpr std::uint8_t LabelScanOutput = 6;
constexpr std::uint8_t LabelStartupOutput = 7;
constexpr std::int16_t MaxUserDataSize = 508;

void StoreLittleEndian(std::uint8_t (&field)[2], std::uint16_t value) {
    field[0] = static_cast<std::uint8_t>(value & 0xFF);
    field[1] = static_cast<std::uint8_t>(value >> 8);
}

// A mode is sent as one byte; anything that does not fit is refused rather than cut.
std::uint8_t ModeByte(std::int16_t mode) {
    if (mode < 0 || mode > 255) throw NumberedError(ErrorNumber::Overflow, "Overflow");
    return static_cast<std::uint8_t>(mode);
}

// The record's bytes as they go on the wire, with the end byte appended.
template <class Record>
std::string WireText(const Record& record) {
    std::string text(reinterpret_cast<const char*>(&record), sizeof record);
    text.push_back(static_cast<char>(EndByte));
    return text;
}

// The caller of a request is never told of a failure: the user is, in the message box.
template <class Work>
void ReportingFailure(Work work) {
    try {
        work();
    } catch (const std::exception& error) {
        if (attached::box) attached::box->Show(error.what());
    }
}

}  // namespace

void ResetWidgetState() {
    SetLinkStatus(255);
    FillOutputPacket(LabelScanOutput);
    FillParamsRequest(0);
    frameCount = 0;
}

void PrepareDmxOutput() {
    FillOutputPacket(LabelScanOutput);
}

void PrepareStartupOutput() {
    FillOutputPacket(LabelStartupOutput);
    if (attached::clock) rateClockStart = attached::clock->Seconds();
}

// The fills only store into records: nothing in them can fail, so there is nothing to report.
void FillOutputPacket(std::uint8_t label) {
    const bool outputLabel = label == LabelScanOutput || label == LabelStartupOutput;
    outPacket.start = StartByte;
    outPacket.label = outputLabel ? label : LabelScanOutput;
    StoreLittleEndian(outPacket.length, sizeof outPacket.data);
    for (std::uint8_t& level : outPacket.data) level = 0;
}

void FillParamsRequest(std::int16_t size) {
    // Signed on purpose: only the top is limited.
    const std::int16_t asked = size > MaxUserDataSize ? MaxUserDataSize : size;
    paramsRequest.start = StartByte;
    paramsRequest.label = LabelParamsRequest;
    StoreLittleEndian(paramsRequest.length, sizeof paramsRequest.userDataSize);
    StoreLittleEndian(paramsRequest.userDataSize, static_cast<std::uint16_t>(asked));
}

void SendOutputPacket() {
    ReportingFailure([] { WritePort(WireText(outPacket)); });
}

void SendParamsRequest() {
    ReportingFailure([] { WritePort(WireText(paramsRequest)); });
}

void SendReceiveMode(std::int16_t mode) {
    ReportingFailure([mode] {
        rxModeRequest.start = StartByte;
        rxModeRequest.label = LabelRxModeRequest;
        StoreLittleEndian(rxModeRequest.length, sizeof rxModeRequest.mode);
        rxModeRequest.mode = ModeByte(mode);
        WritePort(WireText(rxModeRequest));
    });
}

void WritePort(const std::string& message) {
    if (!attached::port) throw PortNotOpenError();
    attached::port->Output(message);
}

}  // namespace proVCPdriver
