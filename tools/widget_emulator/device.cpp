#include "device.h"

#include <algorithm>

namespace widgetEmulator {
namespace {

constexpr std::uint8_t ParamsLabel = 3;
constexpr std::uint8_t OutputLabel = 6;
constexpr std::uint8_t ReceiveModeLabel = 8;

int AskedUserDataSize(const Request& request) {
    if (request.dataLength() < 2) return 0;
    const int size = request.data()[0] | (request.data()[1] << 8);
    return std::min(size, MaxUserDataSize);
}

void SetPortDirection(DeviceState& device, bool output, Answer& answer) {
    if (device.dmxOutput == output) return;
    device.dmxOutput = output;
    answer.stateChanges.push_back(output ? "state dmx-output" : "state dmx-input");
}

// Mode 0 sends every frame; any other mode asks for changes only, which this widget does not
// report (the real one sends label-9 packets for them): it goes quiet.
void SetReceiveMode(DeviceState& device, const Request& request, Answer& answer) {
    const bool sendAlways = request.dataLength() >= 1 && request.data()[0] == 0;
    if (device.sendAlways == sendAlways) return;
    device.sendAlways = sendAlways;
    answer.stateChanges.push_back(sendAlways ? "state send-always" : "state send-on-change");
}

}  // namespace

DeviceState PowerOnState(const Options& options) {
    DeviceState device;
    device.sendAlways = options.streamAtStart && options.answer == AnswerMode::Widget;
    return device;
}

Answer AnswerRequest(DeviceState& device, const Request& request, const Options& options) {
    Answer answer;
    if (options.answer == AnswerMode::None) return answer;
    if (options.answer == AnswerMode::Other) {
        answer.reply = {'O', 'K', '\r', '\n'};
        return answer;
    }
    if (request.label == ParamsLabel) {
        answer.reply = BuildParamsReply(options.firmwareMajor, options.firmwareMinor, AskedUserDataSize(request));
        return answer;
    }
    SetPortDirection(device, request.label == OutputLabel, answer);
    if (request.label == ReceiveModeLabel) SetReceiveMode(device, request, answer);
    return answer;
}

}  // namespace widgetEmulator
