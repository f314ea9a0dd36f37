// What the widget sends back: framing each read into packets, storing parameter replies and
// received levels, the trace label, the link status and the received-frame rate.
#include <algorithm>

#include "widget/attached.h"
#include "widget/proVCPdriver.h"

namespace proVCPdriver {

namespace {

constexpr std::uint8_t StatusReady = 0;
constexpr std::uint8_t StatusInvalidData = 1;
constexpr std::uint8_t StatusTooShort = 2;
constexpr std::uint8_t StatusBadLength = 3;
constexpr std::int32_t ResultRanOut = -1;
constexpr std::int32_t ResultInvalidData = -2;
constexpr std::int32_t ResultBadLength = -3;
constexpr std::int32_t FrameCountLimit = 1000000;
constexpr std::size_t TracedBytes = 10;
constexpr std::uint8_t ReceiveOverrun = 0x02;  // bit of the widget's receive status byte

PartialPacket partialPacket;

// Upper-case hexadecimal without leading zeros, then one space.
void AppendHexCode(std::string& caption, std::uint8_t byte) {
    static const char digits[] = "0123456789ABCDEF";
    if (byte >= 0x10) caption.push_back(digits[byte >> 4]);
    caption.push_back(digits[byte & 0x0F]);
    caption.push_back(' ');
}

void ReadHeader(const std::uint8_t* header) {
    rxHeader.start = header[0];
    rxHeader.label = header[1];
    rxHeader.length = DataLength(header);
}

void TracePacket(const std::uint8_t* packet, std::size_t size) {
    if (!attached::trace) return;
    static std::string caption;  // reused: the trace runs for every packet
    caption.assign("Rec: ");
    for (std::size_t i = 0; i < std::min(size, TracedBytes); ++i) AppendHexCode(caption, packet[i]);
    attached::trace->SetCaption(caption);
}

// An alternate start code (RDM, text...) or a frame the widget lost bytes of holds no levels.
bool CarriesLevels(const std::uint8_t* packet, std::size_t size) {
    const std::size_t dataLength = size - HeaderSize - 1;
    return dataLength >= 2 && (packet[4] & ReceiveOverrun) == 0 && packet[5] == 0;
}

// The packet without its end byte, as far as the record reaches. (std::copy_n rather than
// memcpy: with a bounded size GCC inlines memcpy as rep movsq, several times slower here.)
void StorePacket(const std::uint8_t* packet, std::size_t size) {
    const std::size_t copied = std::min(size - 1, RecordSize);
    if (packet[1] == LabelParamsReply) {
        std::copy_n(packet, copied, paramsReply);
        ++paramsRepliesStored;
    } else if (packet[1] == LabelReceivedDmx && CarriesLevels(packet, size)) {
        std::copy_n(packet, copied, dmxIn);
    }
}

void CountPacket() {
    ++frameCount;
    if (frameCount > FrameCountLimit) frameCount = 0;
    CloseRateWindowIfDue();
}

void HandlePacket(const std::uint8_t* packet, std::size_t size) {
    ReadHeader(packet);
    TracePacket(packet, size);
    StorePacket(packet, size);
    CountPacket();
}

// What one call met, for its result and the link status.
struct CallOutcome {
    std::int32_t lastLabel = -1;
    std::int32_t faultResult = 0;  // of the last bytes thrown away; 0 while none
    bool faultSincePacket = false;
    bool headerRejected = false;
};

void NoteFault(CallOutcome& outcome, std::int32_t result, std::uint8_t status) {
    outcome.faultResult = result;
    outcome.faultSincePacket = true;
    SetLinkStatus(status);
}

void RejectHeader(const FrameStep& step, CallOutcome& outcome, std::int32_t result, std::uint8_t status) {
    ReadHeader(step.bytes);
    outcome.headerRejected = true;
    NoteFault(outcome, result, status);
}

void HandleStep(const FrameStep& step, CallOutcome& outcome) {
    switch (step.event) {
    case FrameEvent::Packet:
        HandlePacket(step.bytes, step.size);
        outcome.lastLabel = step.bytes[1];
        outcome.faultSincePacket = false;
        SetLinkStatus(StatusReady);
        break;
    case FrameEvent::SkippedBytes:
        // The bytes after a rejected start byte belong to that rejection and keep its reason.
        if (!outcome.faultSincePacket) NoteFault(outcome, ResultInvalidData, StatusInvalidData);
        break;
    case FrameEvent::WrongEndByte:
        RejectHeader(step, outcome, ResultInvalidData, StatusInvalidData);
        break;
    case FrameEvent::LengthTooLarge:
        RejectHeader(step, outcome, ResultBadLength, StatusBadLength);
        break;
    case FrameEvent::OutOfBytes:
        break;
    }
}

}  // namespace

void SetLinkStatus(std::uint8_t code) {
    linkStatus = code;
}

std::string LinkStatusText(std::uint8_t code) {
    switch (code) {
    case 0: return "Ready";
    case 1: return "Not Valid Packet, Recieved data seems invalid";
    case 2: return "Packet length is too short";
    case 3: return "The packet specified an invalid data field length";
    case 4: return "Failed to flash firmware page";
    case 5: return "The data length did not match the actual size in the packet";
    case 255: return "Waiting...";
    default: return "Unknown Error";
    }
}

// The status is the outcome of the last decision made in this call: 0 after a good packet, even
// when bytes before it were dropped (noise on the line while levels flow is no fault worth
// showing); the fault's code when the call ends with bytes dropped or a header rejected; 0 when
// nothing was decided (every byte is waiting for the rest of a packet), so a healthy stream cut
// anywhere never shows a fault. "Too short" (2) is kept for one to three bytes in all,
// none of them a start byte: too few to be a header, and not the beginning of a packet (those
// bytes are dropped; the beginning of a packet would have waited with status 0).
std::int32_t ParsePacket(const std::string& text) {
    SetLinkStatus(StatusReady);
    const std::size_t inputSize = partialPacket.size + text.size();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    ReadBytes read{bytes, bytes + text.size()};
    CallOutcome outcome;
    for (;;) {
        const FrameStep step = NextFrameStep(partialPacket, read);
        if (step.event == FrameEvent::OutOfBytes) break;
        HandleStep(step, outcome);
    }
    if (outcome.lastLabel >= 0) return outcome.lastLabel;
    const bool allDropped = !outcome.headerRejected && partialPacket.size == 0;
    if (allDropped && inputSize > 0 && inputSize < HeaderSize) {
        SetLinkStatus(StatusTooShort);
        return ResultRanOut;
    }
    return outcome.faultResult != 0 ? outcome.faultResult : ResultRanOut;
}

void ForgetPartialPacket() {
    partialPacket.size = 0;
    partialPacket.handedOut = 0;
}

void CloseRateWindowIfDue() {
    if (!attached::clock) return;
    const double now = attached::clock->Seconds();
    if (now - rateClockStart < 1.0) return;
    framesPerSecond = static_cast<float>(frameCount);
    frameCount = 0;
    rateClockStart = now;
}

}  // namespace proVCPdriver
