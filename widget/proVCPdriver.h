#pragma once
// The bridge's side of the Enttec DMX USB Pro protocol: the requests it sends, the parser for
// what the widget sends back, the link status and the received-frame rate.
// Everything runs on the window thread; the state is module-wide and lives for the whole run.
#include <cstdint>
#include <string>

#include "widget/framing.h"
#include "widget/outside.h"
#include "widget/serial_port.h"

namespace proVCPdriver {

constexpr std::size_t RecordSize = 518;  // a received packet of 512 channels, without its end byte
constexpr std::uint8_t LabelParamsReply = 3;
constexpr std::uint8_t LabelReceivedDmx = 5;

// Request records, laid out as on the wire (all bytes, so no padding); 16-bit fields are
// stored low byte first. They are sent with the end byte appended.
struct OutputPacket {
    std::uint8_t start;
    std::uint8_t label;
    std::uint8_t length[2];
    std::uint8_t data[513];  // DMX start code and 512 levels
};
struct ParamsRequest {
    std::uint8_t start;
    std::uint8_t label;
    std::uint8_t length[2];
    std::uint8_t userDataSize[2];
};
struct RxModeRequest {
    std::uint8_t start;
    std::uint8_t label;
    std::uint8_t length[2];
    std::uint8_t mode;
};
static_assert(sizeof(OutputPacket) == 517 && sizeof(ParamsRequest) == 6 && sizeof(RxModeRequest) == 5,
              "request records must match the wire");

struct PacketHeader {
    std::uint8_t start;
    std::uint8_t label;
    std::uint16_t length;
};

extern OutputPacket outPacket;
extern ParamsRequest paramsRequest;
extern RxModeRequest rxModeRequest;

extern PacketHeader rxHeader;               // header of the last packet decided on, kept or rejected
extern std::uint8_t paramsReply[RecordSize];  // last label-3 packet; firmware version low at 4, high at 5
extern std::uint8_t dmxIn[RecordSize];        // last label-5 packet with levels; channel n at 5 + n
extern int paramsRepliesStored;             // label-3 packets copied into paramsReply so far

extern std::uint8_t linkStatus;
extern std::int32_t frameCount;   // packets in the current rate window, 0..1000000
extern double rateClockStart;     // Clock reading at the start of the current rate window
extern float framesPerSecond;     // packets in the last completed window

// The bridge window's pieces the module works through: MSComm1, its message box, a monotonic
// clock, and the trace label lblRec. Not owned.
void Attach(SerialPort* port, MsgBox* box, Clock* clock, TextLabel* trace);
// All module state back to program start (records, status, counters, kept bytes); the
// attached pieces stay.
void ResetModuleForTest();

// Requests. The fill and send procedures report their own failures in the message box.
void ResetWidgetState();
void PrepareDmxOutput();
void PrepareStartupOutput();
void FillOutputPacket(std::uint8_t label);
void FillParamsRequest(std::int16_t size);
void SendOutputPacket();
void SendParamsRequest();
void SendReceiveMode(std::int16_t mode);
void WritePort(const std::string& message);

// Link status and its texts.
void SetLinkStatus(std::uint8_t code);
std::string LinkStatusText(std::uint8_t code);

// Frames the bytes kept from earlier reads followed by text, and handles every complete packet
// in arrival order: trace, copy into its record, count. Returns the label of the last packet
// handled. If none: -3 or -2 for the last fault met (-3: a length field above 600; -2: a wrong
// end byte, or bytes that start no packet), else -1 (the bytes ran out inside a packet, or one
// to three bytes came that start nothing: status 2). The link status is the outcome of the
// call's last decision: 0 after a packet or when nothing was decided, else the fault's code.
std::int32_t ParsePacket(const std::string& text);
// Drops the bytes of an unfinished packet, so that nothing of one port's stream is joined to
// another's. Called whenever a port is opened or closed.
void ForgetPartialPacket();
// Ends the rate window if a second or more has passed, with or without a new packet.
void CloseRateWindowIfDue();

}  // namespace proVCPdriver
