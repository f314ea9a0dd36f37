// Enttec DMX USB Pro emulator on a pseudo-terminal, for the bridge's end-to-end tests, the
// demo, the benchmark and the soak run. Usage(): options.cpp.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <unistd.h>

#include "control.h"
#include "device.h"
#include "event_log.h"
#include "options.h"
#include "pattern.h"
#include "pty_link.h"
#include "wire.h"

namespace widgetEmulator {
namespace {

constexpr long ControlPollNs = 20'000'000;
constexpr long ReplugDelayNs = 1'000'000'000;
constexpr long WakeEarlyNs = 1'000'000;  // poll() has millisecond steps; the last one is slept exactly
constexpr int ReaderQueueLimit = 3584;   // the pty holds 4096 bytes for a reader that is not reading
constexpr std::uint8_t AltStartCode = 0xCC;

struct Emulator {
    Options options;
    EventLog log;
    ptylink::Pty pty;
    bool plugged = false;
    DeviceState device;
    Pattern pattern;
    WireFaults faults;
    RequestFramer framer;
    ControlFile control;
    bool stopped = false;
    bool quit = false;
    bool sending = false;
    std::uint32_t lastSequence = 0;
    long periodNs = 0;
    timespec nextFrame{};
    timespec nextControlPoll{};
    bool replugPending = false;
    timespec replugAt{};
};

timespec MonotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

timespec AddNs(timespec t, long ns) {
    const long long total = static_cast<long long>(t.tv_nsec) + ns;
    t.tv_sec += static_cast<time_t>(total / 1'000'000'000);
    t.tv_nsec = static_cast<long>(total % 1'000'000'000);
    return t;
}

long long NsUntil(const timespec& from, const timespec& to) {
    return (static_cast<long long>(to.tv_sec) - from.tv_sec) * 1'000'000'000LL + (to.tv_nsec - from.tv_nsec);
}

bool Plug(Emulator& e) {
    try {
        e.pty = ptylink::Open(e.options.linkPath);
    } catch (const std::exception& error) {
        LogEvent(e.log, std::string("error ") + error.what());
        std::fprintf(stderr, "widget_emulator: %s\n", error.what());
        return false;
    }
    fcntl(e.pty.master, F_SETFL, fcntl(e.pty.master, F_GETFL) | O_NONBLOCK);
    e.plugged = true;
    e.device = PowerOnState(e.options);  // a replugged widget starts from its power-on state
    e.framer = RequestFramer{};
    LogEvent(e.log, "state plugged " + e.pty.slavePath);
    return true;
}

void Unplug(Emulator& e) {
    if (!e.plugged) return;
    ptylink::Close(e.pty);
    e.plugged = false;
    LogEvent(e.log, "state unplugged");
}

void SetStopped(Emulator& e, bool stopped) {
    if (e.stopped == stopped) return;
    e.stopped = stopped;
    LogEvent(e.log, stopped ? "state stopped" : "state started");
}

void RunCommand(Emulator& e, const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    int channel = 0, level = 0;
    LogEvent(e.log, "control " + line);
    if (command == "stop") SetStopped(e, true);
    else if (command == "start") SetStopped(e, false);
    else if (command == "unplug") Unplug(e);
    else if (command == "replug") { if (!e.plugged) Plug(e); }
    else if (command == "quit") e.quit = true;
    else if (command == "level" && words >> channel >> level) SetFixedLevel(e.pattern, channel, level);
    else LogEvent(e.log, "control unknown " + line);
}

void HandleSignals(Emulator& e) {
    const SignalRequests requests = TakeSignalRequests();
    if (requests.quit) e.quit = true;
    if (requests.toggleSending) SetStopped(e, !e.stopped);
    if (requests.unplugAndReplug) {
        Unplug(e);
        e.replugPending = true;
        e.replugAt = AddNs(MonotonicNow(), ReplugDelayNs);
    }
}

void HandleOutsideRequests(Emulator& e) {
    HandleSignals(e);
    const timespec now = MonotonicNow();
    if (NsUntil(now, e.nextControlPoll) <= 0) {
        for (const std::string& line : ReadNewCommands(e.control)) RunCommand(e, line);
        e.nextControlPoll = AddNs(now, ControlPollNs);
    }
    if (e.replugPending && NsUntil(now, e.replugAt) <= 0) {
        e.replugPending = false;
        if (!e.plugged) Plug(e);
    }
}

bool ShouldSendFrames(const Emulator& e) { return e.plugged && !e.stopped && WantsToSendFrames(e.device); }

void SendFrame(Emulator& e) {
    const int queued = QueuedForReader(e.pty.slaveHold);
    if (queued + 519 > ReaderQueueLimit) {
        LogEvent(e.log, "skip queued=" + std::to_string(queued));
        return;
    }
    const std::uint32_t sequence = ++e.lastSequence;
    const bool altStart = e.options.altStartEvery > 0 && sequence % e.options.altStartEvery == 0;
    const std::uint8_t startCode = altStart ? AltStartCode : 0;
    const Levels levels = FrameLevels(e.pattern, sequence);
    const bool written = WritePacket(e.pty.master, e.faults, BuildDmxPacket(startCode, levels), e.log);
    const std::int64_t writtenAt = RealtimeMicros();
    LogEventAt(e.log, writtenAt,
               std::string(written ? "dmx" : "dmx-stalled") + " seq=" + std::to_string(sequence) +
                   " sc=" + Hex(&startCode, 1, false) + " " + Hex(levels.data(), levels.size(), false));
}

// Sends the frame that is due, on a fixed schedule: each frame's time is the one before plus
// the period, so the rate does not drift with the time spent writing.
void SendDueFrame(Emulator& e) {
    const bool wanted = ShouldSendFrames(e);
    if (wanted && !e.sending) e.nextFrame = MonotonicNow();
    e.sending = wanted;
    if (!wanted || NsUntil(MonotonicNow(), e.nextFrame) > WakeEarlyNs) return;
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &e.nextFrame, nullptr);
    SendFrame(e);
    e.nextFrame = AddNs(e.nextFrame, e.periodNs);
    const timespec now = MonotonicNow();
    if (NsUntil(now, e.nextFrame) < 0) e.nextFrame = now;  // far behind: no burst to catch up
}

void HandleRequest(Emulator& e, const Request& request) {
    LogEvent(e.log, "rx label=" + std::to_string(request.label) + " " +
                        Hex(request.bytes.data(), request.bytes.size(), true));
    const Answer answer = AnswerRequest(e.device, request, e.options);
    for (const std::string& change : answer.stateChanges) LogEvent(e.log, change);
    if (answer.reply.empty()) return;
    const bool written = WritePacket(e.pty.master, e.faults, answer.reply, e.log);
    LogEvent(e.log, std::string(written ? "tx " : "tx-stalled ") + Hex(answer.reply.data(), answer.reply.size(), true));
}

void ReadRequests(Emulator& e) {
    std::uint8_t buf[4096];
    const ssize_t n = read(e.pty.master, buf, sizeof buf);
    if (n <= 0) return;
    const FramedInput input = FrameRequests(e.framer, buf, static_cast<std::size_t>(n));
    if (!input.junk.empty()) LogEvent(e.log, "rx junk " + Hex(input.junk.data(), input.junk.size(), true));
    for (const Request& request : input.requests) HandleRequest(e, request);
}

int PollTimeoutMs(const Emulator& e) {
    long long waitNs = ControlPollNs;
    if (e.sending) waitNs = std::min(waitNs, NsUntil(MonotonicNow(), e.nextFrame) - WakeEarlyNs);
    return waitNs <= 0 ? 0 : static_cast<int>(waitNs / 1'000'000);
}

void WaitForRequests(Emulator& e) {
    pollfd in{e.plugged ? e.pty.master : -1, POLLIN, 0};
    if (poll(&in, 1, PollTimeoutMs(e)) > 0 && (in.revents & POLLIN) && e.plugged) ReadRequests(e);
}

void Run(Emulator& e) {
    while (!e.quit) {
        HandleOutsideRequests(e);
        if (e.quit) break;
        SendDueFrame(e);
        WaitForRequests(e);
    }
    Unplug(e);
    LogEvent(e.log, "state quit");
}

}  // namespace
}  // namespace widgetEmulator

int main(int argc, char** argv) {
    using namespace widgetEmulator;
    Emulator e;
    std::string error;
    if (!ParseOptions(argc, argv, e.options, error)) {
        if (error.empty()) {
            std::fputs(Usage(), stdout);
            return 0;
        }
        std::fprintf(stderr, "widget_emulator: %s\n%s", error.c_str(), Usage());
        return 2;
    }
    if (!OpenEventLog(e.log, e.options.logPath, error)) {
        std::fprintf(stderr, "widget_emulator: %s\n", error.c_str());
        return 1;
    }
    InstallSignalHandlers();
    e.pattern = MakePattern(e.options);
    e.faults = MakeWireFaults(e.options);
    e.control = OpenControlFile(e.options.controlPath);
    e.periodNs = static_cast<long>(1e9 / e.options.rate);
    if (e.options.startUnplugged) {
        LogEvent(e.log, "state unplugged");
    } else if (!Plug(e)) {
        return 1;
    }
    std::printf("%s ready\n", e.options.linkPath.c_str());
    std::fflush(stdout);
    Run(e);
    return 0;
}
