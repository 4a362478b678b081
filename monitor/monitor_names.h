// Names the port monitor shares with its installer: the monitor, its DLL, its one port and the
// registry value that tells it where the program is.
#pragma once

namespace qvmon {

inline constexpr wchar_t kMonitorName[] = L"Quorvel Port Monitor";
inline constexpr wchar_t kMonitorDll[] = L"quorvelmon.dll";
inline constexpr wchar_t kPortName[] = L"QUORVEL:";
inline constexpr wchar_t kPortDescription[] = L"Quorvel Folimar PDF port";
// HKEY_LOCAL_MACHINE: the installer records folimar.exe's full path here.
inline constexpr wchar_t kProductKey[] = L"SOFTWARE\\Quorvel Folimar";
inline constexpr wchar_t kProgramValue[] = L"Program";

} // namespace qvmon
