#include "setup/SetupSystem.h"

#include "foundation/Handle.h"
#include "foundation/Registry.h"
#include "setup/CenteredMessageBox.h"

#include <shellapi.h>

#include <cwctype>

namespace
{
class RealSystem : public SetupSystem
{
public:
    RunResult RunAndWait(const wchar_t* verb, const wchar_t* file, const wchar_t* parameters) override
    {
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_NOCLOSEPROCESS;
        info.lpVerb = verb;
        info.lpFile = file;
        info.lpParameters = parameters;
        info.nShow = SW_SHOW;
        RunResult result;
        if (!ShellExecuteExW(&info))
        {
            result.startError = GetLastError();
            return result;
        }
        result.started = true;
        if (info.hProcess)
        {
            MHandle process(info.hProcess);
            WaitForSingleObject(process, INFINITE);
            if (!GetExitCodeProcess(process, &result.exitCode))
                result.exitCode = GetLastError();
        }
        return result;
    }

    bool StartProgram(const wchar_t* application, const wchar_t* commandLine) override
    {
        // CreateProcessW may write into the command line.
        MString line(commandLine);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(application, line.GetData(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process))
            return false;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

    int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override
    {
        return CenteredMessageBox(owner, text, caption, type);
    }

    bool OpenDocument(const wchar_t* path) override
    {
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_FLAG_NO_UI;
        info.lpVerb = L"open";
        info.lpFile = path;
        info.nShow = SW_SHOWNORMAL;
        return ShellExecuteExW(&info) != FALSE;
    }

    UINT DriveType(const wchar_t* root) override { return GetDriveTypeW(root); }

    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }

    MString FindInstalledPackage(const wchar_t* productCode) override
    {
        return FindInstalledPackageInRegistry(productCode);
    }
};

const wchar_t UserDataKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData";

// "LocalPackage" of one user's InstallProperties key, when it is a path text
// of a file that exists.
MString LocalPackageOf(const wchar_t* userKey, const MString& packedCode)
{
    const MString path(sX::Format(), L"%s\\%s\\Products\\%s\\InstallProperties", UserDataKeyPath, userKey,
                       packedCode.GetText());
    RegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, path.GetText(), KEY_QUERY_VALUE | KEY_WOW64_64KEY))
        return MString();
    DWORD type = 0;
    DWORD size = 0;
    if (key.Query(L"LocalPackage", type, nullptr, size) != ERROR_SUCCESS || type != REG_SZ || size < 4 ||
        size % 2 != 0 || size > 65536)
        return MString();
    MString text{ElementCount(size / 2)};
    DWORD room = size;
    if (key.Query(L"LocalPackage", type, text.GetData(), room) != ERROR_SUCCESS || type != REG_SZ || room > size)
        return MString();
    const MString package(text.GetText());
    const DWORD attributes = GetFileAttributesW(package.GetText());
    if (package.IsEmpty() || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return MString();
    return package;
}
}

SetupSystem& RealSetupSystem()
{
    static RealSystem system;
    return system;
}

MString PackedProductCode(const wchar_t* productCode)
{
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    static const int groupLengths[] = {8, 4, 4, 4, 12};
    const MString code(productCode ? productCode : L"");
    if (code.GetLength() != 38 || code[0] != L'{' || code[37] != L'}')
        return MString();
    MString packed{ElementCount(32)};
    const wchar_t* at = code.GetText() + 1;
    unsigned out = 0;
    for (int group = 0; group < 5; ++group)
    {
        const int length = groupLengths[group];
        for (int i = 0; i < length; ++i)
        {
            if (!std::iswxdigit(at[i]))
                return MString();
        }
        for (int i = 0; i < length; ++i)
        {
            // The first three groups reversed whole; the rest byte by byte
            // with the two digits of each byte swapped.
            const int from = group < 3 ? length - 1 - i : (i ^ 1);
            packed[out++] = static_cast<wchar_t>(std::towupper(at[from]));
        }
        at += length;
        if (group < 4)
        {
            if (*at != L'-')
                return MString();
            ++at;
        }
    }
    return packed;
}

MString FindInstalledPackageInRegistry(const wchar_t* productCode)
{
    const MString packed = PackedProductCode(productCode);
    if (packed.IsEmpty())
        return MString();
    RegistryKey userData;
    if (!userData.Open(HKEY_LOCAL_MACHINE, UserDataKeyPath, KEY_ENUMERATE_SUB_KEYS | KEY_WOW64_64KEY))
        return MString();
    for (DWORD index = 0;; ++index)
    {
        wchar_t name[256];
        DWORD length = 256;
        const LONG status = RegEnumKeyExW(userData.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            continue;
        const MString package = LocalPackageOf(name, packed);
        if (!package.IsEmpty())
            return package;
    }
    return MString();
}

void GetWindowsVersion(DWORD& major, DWORD& minor)
{
    major = 0;
    minor = 0;
    using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto call = ntdll ? reinterpret_cast<RtlGetVersionCall>(
                            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                      : nullptr;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (call && call(&version) == 0)
    {
        major = version.dwMajorVersion;
        minor = version.dwMinorVersion;
    }
}
