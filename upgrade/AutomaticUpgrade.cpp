#include "upgrade/AutomaticUpgrade.h"

#include "foundation/Registry.h"
#include "setup/HandOver.h"

#include <cstring>
#include <algorithm>
#include <vector>

namespace
{
// The most written with one WriteFile call.
constexpr DWORD LargestWrite = 0x40000000;
}

MString ProductUninstallKeyPath()
{
    return MString(sX::Format(), L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s", HandOver::ProductCode);
}

unsigned ReadInstallLocation(const MString& keyPath, MString& folder)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.GetText(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS &&
        RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.GetText(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return HandOverNoUninstallKey;
    struct Closer
    {
        HKEY key;
        ~Closer() { RegCloseKey(key); }
    } closer{key};

    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, L"InstallLocation", nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return HandOverNoLocationSize;
    std::vector<unsigned char> value(size + sizeof(wchar_t), 0);
    DWORD read = size;
    if (RegQueryValueExW(key, L"InstallLocation", nullptr, &type, value.data(), &read) != ERROR_SUCCESS ||
        read > size)
        return HandOverNoLocation;
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)
        return HandOverLocationType;
    if (read % 2 != 0)
        return HandOverLocationOddLength;
    const wchar_t* text = reinterpret_cast<const wchar_t*>(value.data());
    size_t length = 0;
    while (length < read / 2 && text[length])
        ++length;
    MString result(ElementCount{length + 1});
    std::memcpy(result.GetData(), text, length * sizeof(wchar_t));
    result.GetData()[length] = 0;
    folder = result;
    return 0;
}

bool IsProgramFolder(const MString& installFolder, const MString& programFolder)
{
    return installFolder.GetLength() == programFolder.GetLength() && installFolder.EqualsNoCase(programFolder);
}

MString NewSetupFilePath(const MString& folder)
{
    return MString(sX::Format(), L"%s\\%s.Setup.exe", folder.GetText(), NewGuidString().GetText());
}

unsigned WriteSetupFile(const MAtom<unsigned char>& bytes, const MString& path, bool& created)
{
    created = false;
    HANDLE file = CreateFileW(path.GetText(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return HandOverSetupNotWritten;
    created = true;
    unsigned __int64 total = 0;
    bool written = true;
    while (written && total < bytes.GetCount())
    {
        const DWORD piece = static_cast<DWORD>(std::min<unsigned __int64>(bytes.GetCount() - total, LargestWrite));
        DWORD done = 0;
        written = WriteFile(file, bytes.GetData() + total, piece, &done, nullptr) && done == piece;
        total += done;
    }
    CloseHandle(file);
    return written && total == bytes.GetCount() ? 0u : static_cast<unsigned>(HandOverSetupNotWritten);
}

MString UpgradeCommandLineFor(const MString& packagePath, const MString& installFolder,
                              const MString& upgradeExitEventName, LANGID language)
{
    UpgradeRequest request;
    request.productCode = HandOver::ProductCode;
    request.packagePath = packagePath;
    request.installFolder = installFolder;
    request.exitEventName = upgradeExitEventName;
    request.language = language;
    return MakeUpgradeCommandLine(request);
}
