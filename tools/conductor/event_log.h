#pragma once
// The event log of a long run (benchmark, soak): what the conductor did and saw, for the Linux
// side's analysis (events.py reads it). Every line: Unix epoch microseconds, a blank, the event.
#include <string>

namespace conductor {

bool OpenEventLog(const std::string& path);
// Logs the event; the same text goes to stdout with the seconds since the log was opened.
void Note(const std::string& event);

// "--name value" options; false on anything else.
struct Option {
    const char* name;
    std::string* value;
};
bool ParseOptions(int argc, char** argv, Option* options, int count);
// A positive number of seconds, or fallback.
double SecondsOption(const std::string& text, double fallback);

}  // namespace conductor
