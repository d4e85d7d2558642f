#include "foundation/DefaultBrowser.h"

#include "foundation/StringEx.h"

#include <shellapi.h>

#include <cwchar>

ShellLauncherFunction ShellLauncher = ShellExecuteW;

namespace
{
// The key's default value up to its first NUL; empty when it cannot be read.
// The value's type is not looked at: some installers store it as REG_EXPAND_SZ.
bool ReadDefaultText(HKEY root, const wchar_t* subKey, MString& text)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    bool read = false;
    DWORD size = 0;
    if (RegQueryValueExW(key, nullptr, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS)
    {
        size &= ~1u;
        MemoryPH<wchar_t> value(size / sizeof(wchar_t));
        DWORD got = size;
        if (RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value.GetData()), &got) ==
            ERROR_SUCCESS)
        {
            value.SetCount((got & ~1u) / sizeof(wchar_t));
            text = MString(value, true);
            read = true;
        }
    }
    RegCloseKey(key);
    return read;
}

// The program of a browser's open command. The value is normally the quoted
// program path alone; when arguments follow the closing quote they are
// dropped, since the address is passed as the only parameter.
MString ProgramOfCommand(const MString& command)
{
    const wchar_t* text = command.GetText();
    if (text[0] == L'"')
    {
        const wchar_t* end = std::wcschr(text + 1, L'"');
        const size_t length = end ? static_cast<size_t>(end - text - 1) : std::wcslen(text + 1);
        MString program{ElementCount(length)};
        std::wmemcpy(program.GetData(), text + 1, length);
        return program;
    }
    return command;
}

// The address as one quoted parameter. A double quote cannot occur in a
// valid address; it is percent-encoded so that it cannot end the quoting.
MString QuotedParameter(const wchar_t* address)
{
    MString quoted(L"\"");
    for (const wchar_t* c = address; *c; ++c)
    {
        const wchar_t piece[2] = {*c, 0};
        quoted += MString(*c == L'"' ? L"%22" : piece);
    }
    return quoted + L"\"";
}
}

bool IsWebAddress(const wchar_t* address)
{
    return address && (_wcsnicmp(address, L"http://", 7) == 0 || _wcsnicmp(address, L"https://", 8) == 0);
}

HINSTANCE OpenUrlInDefaultBrowser(const sX::Browser&, HWND owner, const wchar_t* verb, const wchar_t* address,
                                  int show)
{
    if (!IsWebAddress(address))
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_ACCESSDENIED));

    MString name;
    MString program;
    if (ReadDefaultText(HKEY_CURRENT_USER, L"Software\\Clients\\StartMenuInternet", name) && !name.IsEmpty())
    {
        const MString commandKey(sX::Format(), L"Software\\Clients\\StartMenuInternet\\%s\\shell\\open\\command",
                                 name.GetText());
        MString command;
        if (ReadDefaultText(HKEY_LOCAL_MACHINE, commandKey.GetText(), command))
            program = ProgramOfCommand(command);
    }

    if (!program.IsEmpty())
    {
        const MString parameters = QuotedParameter(address);
        HINSTANCE result = ShellLauncher(owner, verb, program.GetText(), parameters.GetText(), nullptr, show);
        if (reinterpret_cast<INT_PTR>(result) > 32)
            return result;
    }
    return ShellLauncher(owner, verb, address, nullptr, nullptr, show);
}
