#include "standin_log_reader.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace StandInLog {
namespace {

// The stand-in keeps its log open for writing: share both ways.
std::string FileText(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    char chunk[65536];
    DWORD n = 0;
    while (ReadFile(file, chunk, sizeof chunk, &n, nullptr) && n > 0) text.append(chunk, n);
    CloseHandle(file);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::vector<uint8_t> HexBytes(const char* hex) {
    std::vector<uint8_t> bytes;
    while (HexDigit(hex[0]) >= 0 && HexDigit(hex[1]) >= 0) {
        bytes.push_back(static_cast<uint8_t>(HexDigit(hex[0]) << 4 | HexDigit(hex[1])));
        hex += 2;
    }
    return bytes;
}

// Reads one number and steps over the blank after it.
long long Number(const char*& at) {
    char* end = nullptr;
    long long value = std::strtoll(at, &end, 10);
    at = *end == ' ' ? end + 1 : end;
    return value;
}

unsigned long long UnsignedNumber(const char*& at) {
    char* end = nullptr;
    unsigned long long value = std::strtoull(at, &end, 10);
    at = *end == ' ' ? end + 1 : end;
    return value;
}

bool Starts(const char* line, const char* word, const char*& rest) {
    size_t n = std::strlen(word);
    if (std::strncmp(line, word, n) != 0 || line[n] != ' ') return false;
    rest = line + n + 1;
    return true;
}

void ParseLine(const char* line, Contents& log) {
    const char* at = nullptr;
    if (Starts(line, "ready", at)) {
        log.ready = Number(at);
    } else if (Starts(line, "quit", at)) {
        log.quit = Number(at);
    } else if (Starts(line, "hang", at)) {
        log.hang = Number(at);
    } else if (Starts(line, "resume", at)) {
        log.resume = Number(at);
    } else if (Starts(line, "ask", at)) {
        Question ask;
        ask.time = Number(at);
        ask.wParam = UnsignedNumber(at);
        ask.answer = static_cast<int32_t>(Number(at));
        log.asks.push_back(ask);
    } else if (Starts(line, "copydata", at)) {
        Delivery frame;
        frame.time = Number(at);
        frame.dwData = UnsignedNumber(at);
        frame.cbData = static_cast<uint32_t>(UnsignedNumber(at));
        frame.bytes = HexBytes(at);
        log.frames.push_back(std::move(frame));
    }
}

}  // namespace

Contents Read(const std::string& path) {
    Contents log;
    std::string text = FileText(path);
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        ParseLine(text.substr(start, end - start).c_str(), log);
        start = end + 1;
    }
    return log;
}

}  // namespace StandInLog
