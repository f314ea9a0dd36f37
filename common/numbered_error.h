#pragma once
// An error as the user is shown it: a number and a description. The serial port raises these
// with the system's own error code and text; the window code reports any that escapes a handler.
#include <stdexcept>
#include <string>

struct NumberedError : std::runtime_error {
    NumberedError(long number, const std::string& description)
        : std::runtime_error(description), number(number) {}
    long number;
};

// Numbers for errors that do not come from the system.
namespace ErrorNumber {
constexpr long Overflow = 6;
constexpr long OutOfMemory = 7;
constexpr long Internal = 51;
}
