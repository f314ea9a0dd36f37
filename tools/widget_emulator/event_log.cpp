#include "event_log.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace widgetEmulator {

std::int64_t RealtimeMicros() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

std::string Hex(const std::uint8_t* data, std::size_t size, bool spaced) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(size * 3);
    for (std::size_t i = 0; i < size; ++i) {
        if (spaced && i > 0) text += ' ';
        text += digits[data[i] >> 4];
        text += digits[data[i] & 0x0F];
    }
    return text;
}

bool OpenEventLog(EventLog& log, const std::string& path, std::string& error) {
    if (path.empty()) return true;
    log.fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log.fd >= 0) return true;
    error = "open " + path + ": " + std::strerror(errno);
    return false;
}

void LogEvent(const EventLog& log, const std::string& text) { LogEventAt(log, RealtimeMicros(), text); }

// One write per line: a reader tailing the file never sees half a line from a split write.
void LogEventAt(const EventLog& log, std::int64_t micros, const std::string& text) {
    if (log.fd < 0) return;
    const std::string line = std::to_string(micros) + " " + text + "\n";
    const ssize_t written = write(log.fd, line.data(), line.size());
    (void)written;
}

}  // namespace widgetEmulator
