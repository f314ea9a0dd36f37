#pragma once
// No exception crosses a window procedure or a timer callback: every handler runs inside
// RunHandler, which reports an error that escapes it with its number and description, titled
// with the program's name, and then ends the program.
#include <exception>
#include <new>
#include <string>

#include "common/numbered_error.h"

[[noreturn]] void ReportFatalError(const char* programName, long number, const std::string& description);

template <typename Handler>
void RunHandler(const char* programName, Handler&& handler) noexcept {
    try {
        handler();
    } catch (const NumberedError& e) {
        ReportFatalError(programName, e.number, e.what());
    } catch (const std::bad_alloc&) {
        ReportFatalError(programName, ErrorNumber::OutOfMemory, "Out of memory");
    } catch (const std::exception& e) {
        ReportFatalError(programName, ErrorNumber::Internal, e.what());
    } catch (...) {
        ReportFatalError(programName, ErrorNumber::Internal, "Internal error");
    }
}
