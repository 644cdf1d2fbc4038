// Writes a minidump "crash.dat" next to the program when a thread dies of an unhandled
// exception, then lets the system's default handling end the process.
#pragma once

#include <windows.h>

namespace dl {

// 1 when the filter is installed; 0 when dbghelp or its dump writer is missing.
int InstallCrashHandler();

// The unhandled-exception filter; always answers EXCEPTION_CONTINUE_SEARCH.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers);

}  // namespace dl
