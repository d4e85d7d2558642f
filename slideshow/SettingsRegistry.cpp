#include "slideshow/SettingsRegistry.h"

#include <vector>

const wchar_t RunKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t RunValueName[] = L"Quillory - {97095852-4142-479B-9DF3-A81B80B19229}";
const wchar_t AutoStartFirstTimeValueName[] = L"Auto Start FT";

MString QuotedModulePath()
{
    std::vector<wchar_t> path(40000);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        path[0] = 0;
    return MString(sX::Format(), L"\"%s\"", path.data());
}
