#include "widget/proVCPdriver.h"

#include <cstring>

#include "widget/attached.h"

namespace proVCPdriver {

OutputPacket outPacket;
ParamsRequest paramsRequest;
RxModeRequest rxModeRequest;

PacketHeader rxHeader;
std::uint8_t paramsReply[RecordSize];
std::uint8_t dmxIn[RecordSize];
int paramsRepliesStored;

std::uint8_t linkStatus;
std::int32_t frameCount;
double rateClockStart;
float framesPerSecond;

namespace attached {
SerialPort* port;
MsgBox* box;
Clock* clock;
TextLabel* trace;
}  // namespace attached

void Attach(SerialPort* port, MsgBox* box, Clock* clock, TextLabel* trace) {
    attached::port = port;
    attached::box = box;
    attached::clock = clock;
    attached::trace = trace;
}

void ResetModuleForTest() {
    outPacket = OutputPacket{};
    paramsRequest = ParamsRequest{};
    rxModeRequest = RxModeRequest{};
    rxHeader = PacketHeader{};
    std::memset(paramsReply, 0, sizeof paramsReply);
    std::memset(dmxIn, 0, sizeof dmxIn);
    paramsRepliesStored = 0;
    linkStatus = 0;
    frameCount = 0;
    rateClockStart = 0.0;
    framesPerSecond = 0.0f;
    ForgetPartialPacket();
}

}  // namespace proVCPdriver
