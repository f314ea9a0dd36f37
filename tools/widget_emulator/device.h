#pragma once
// What the widget does with a request: the label-3 reply, and the state of its DMX port
// (output after a label-6 packet; input and sending every frame after label 8 with mode 0).
#include <string>
#include <vector>

#include "options.h"
#include "packets.h"

namespace widgetEmulator {

struct DeviceState {
    bool dmxOutput = false;   // label 6 turns the port to output: no label-5 packets
    bool sendAlways = false;  // label 8 with mode 0: a label-5 packet for every frame
};

DeviceState PowerOnState(const Options& options);

struct Answer {
    Bytes reply;                            // what goes back on the wire, maybe nothing
    std::vector<std::string> stateChanges;  // for the log
};

Answer AnswerRequest(DeviceState& device, const Request& request, const Options& options);

inline bool WantsToSendFrames(const DeviceState& device) { return device.sendAlways && !device.dmxOutput; }

}  // namespace widgetEmulator
