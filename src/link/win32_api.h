// The Win32 calls the serial port makes, as a table of function pointers.
// The library uses the system's; a test hands the port a table of recording
// fakes to see the arguments that a real port cannot show.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace ecf::link {

struct Win32Api {
    decltype(&::SetLastError) setLastError;
    decltype(&::GetLastError) getLastError;
    decltype(&::CreateFileA) createFileA;
    decltype(&::GetCommState) getCommState;
    decltype(&::SetCommState) setCommState;
    decltype(&::PurgeComm) purgeComm;
    decltype(&::SetCommTimeouts) setCommTimeouts;
    decltype(&::GetCommModemStatus) getCommModemStatus;
    decltype(&::EscapeCommFunction) escapeCommFunction;
    decltype(&::TransmitCommChar) transmitCommChar;
    decltype(&::WriteFile) writeFile;
    decltype(&::ReadFile) readFile;
    decltype(&::CloseHandle) closeHandle;
    decltype(&::Sleep) sleep;
};

// The table of the real system calls.
const Win32Api& systemWin32Api();

}  // namespace ecf::link
