#include "settings/WindowsVersion.h"

#include <windows.h>

bool IsWindows8Family()
{
    using RtlGetVersionProc = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll)
        return false;
    const RtlGetVersionProc getVersion =
        reinterpret_cast<RtlGetVersionProc>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!getVersion || getVersion(&version) != 0)
        return false;
    return version.dwMajorVersion == 6 && version.dwMinorVersion >= 2;
}
