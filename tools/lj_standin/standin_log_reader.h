#pragma once
// Reads the stand-in's log (format in standin_log.h) while the stand-in may still write it.
#include <cstdint>
#include <string>
#include <vector>

namespace StandInLog {

struct Question {
    int64_t time = 0;
    uint64_t wParam = 0;
    int32_t answer = 0;
};
struct Delivery {
    int64_t time = 0;
    uint64_t dwData = 0;
    uint32_t cbData = 0;
    std::vector<uint8_t> bytes;
};
struct Contents {
    int64_t ready = 0;  // 0 until the window existed
    int64_t quit = 0;   // 0 while it runs
    int64_t hang = 0;   // --hang: when it stopped answering inside a WM_COPYDATA; 0 if not yet
    int64_t resume = 0; // and when it answered again; 0 if not yet
    std::vector<Question> asks;
    std::vector<Delivery> frames;
};

// A missing file gives empty contents; a last line without its newline is still being written
// and is left out.
Contents Read(const std::string& path);

}  // namespace StandInLog
