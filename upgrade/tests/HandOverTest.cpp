// The release dialog's helpers and the hand-over's checks: the package name,
// the platform table, the installed folder in the registry, the setup file
// and the upgrade command line.
#include "setup/HandOver.h"
#include "upgrade/AutomaticUpgrade.h"
#include "upgrade/CheckForNewReleaseDlg.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring TempFolder()
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"quillory-handover";
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

void Touch(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, "keep", 4, &written, nullptr);
    CloseHandle(file);
}

TEST(ReleaseDialogHelpers, PlatformTable)
{
    const struct
    {
        DWORD major, minor;
        WORD servicePack;
        bool amd64;
        bool accepted;
        const wchar_t* name;
        const wchar_t* part;
    } cases[] = {
        {4, 0, 6, false, false, L"", L""},     {5, 0, 4, false, false, L"", L""},
        {5, 1, 2, false, false, L"XP", L"XP "}, {5, 1, 3, false, true, L"XP", L"XP "},
        {5, 2, 2, true, true, L"XP", L"XP "},  {5, 2, 1, true, false, L"XP", L"XP "},
        {6, 0, 0, false, true, L"Vista", L""}, {6, 1, 0, true, true, L"7", L""},
        {6, 2, 0, true, true, L"8", L""},      {6, 3, 0, true, true, L"8.1", L""},
        {6, 4, 0, true, true, L"8.1", L""},    {10, 0, 0, true, true, L"10", L""},
    };
    for (const auto& c : cases)
    {
        const UpgradePlatform platform = ClassifyPlatform(c.major, c.minor, c.servicePack, c.amd64);
        EXPECT_EQ(platform.accepted, c.accepted) << c.major << L"." << c.minor;
        if (c.accepted || c.major == 5)
        {
            EXPECT_STREQ(platform.versionName.GetText(), c.name);
            EXPECT_STREQ(platform.fileNamePart.GetText(), c.part);
        }
    }
}

TEST(ReleaseDialogHelpers, PackageNames)
{
    const std::wstring folder = TempFolder();
    const std::wstring base = L"Quillory - Setup for Windows - 64 bit";
    const std::wstring plain = folder + L"\\" + base + L".msi", first = folder + L"\\" + base + L" (1).msi";
    DeleteFileW(plain.c_str());
    DeleteFileW(first.c_str());
    EXPECT_STREQ(FreePackagePath(folder.c_str(), base.c_str()).GetText(), plain.c_str());
    Touch(plain);
    Touch(first);
    EXPECT_STREQ(FreePackagePath(folder.c_str(), base.c_str()).GetText(), (folder + L"\\" + base + L" (2).msi").c_str());
    DeleteFileW(plain.c_str());
    DeleteFileW(first.c_str());

    EXPECT_STREQ(FixPackagePath(L"C:\\D\\Setup.MSI").GetText(), L"C:\\D\\Setup.MSI");
    EXPECT_STREQ(FixPackagePath(L"C:\\D\\Setup").GetText(), L"C:\\D\\Setup.msi");
    EXPECT_STREQ(FixPackagePath(L"C:\\D\\Setup.msi.").GetText(), L"C:\\D\\Setup.msi");
    EXPECT_STREQ(FixPackagePath(L"msi").GetText(), L"msi.msi");

    UpgradeLinks links;
    links.second = L"https://www.example.com/quillory/release?lang=en";
    EXPECT_STREQ(SplitUrl(links).GetText(), L"www.example.com/quillory/release");
    EXPECT_STREQ(NormalizeChanges(L"a\r\nb\nc\r\n").GetText(), L"a\r\nb\r\nc");
}

class InstallLocation : public ::testing::Test
{
protected:
    const MString keyPath = L"SOFTWARE\\QuilloryTests\\Uninstall\\{97095852-4142-479B-9DF3-A81B80B19229}";
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\QuilloryTests"); }
    void Store(DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.GetText(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"InstallLocation", 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
};

TEST_F(InstallLocation, ReadFromTheCurrentUsersKeyWithEachFailureStep)
{
    MString folder;
    EXPECT_EQ(ReadInstallLocation(keyPath, folder), HandOverNoUninstallKey);

    const wchar_t text[] = L"C:\\Program Files\\Velmora\\Quillory";
    Store(REG_SZ, text, sizeof(text));
    EXPECT_EQ(ReadInstallLocation(keyPath, folder), 0u);
    EXPECT_STREQ(folder.GetText(), text);

    const wchar_t multi[] = L"C:\\First\0C:\\Second\0";
    Store(REG_MULTI_SZ, multi, sizeof(multi));
    EXPECT_EQ(ReadInstallLocation(keyPath, folder), 0u);
    EXPECT_STREQ(folder.GetText(), L"C:\\First");

    const wchar_t unterminated[] = {L'C', L':', L'\\', L'Q'};
    Store(REG_EXPAND_SZ, unterminated, sizeof(unterminated));
    EXPECT_EQ(ReadInstallLocation(keyPath, folder), 0u);
    EXPECT_STREQ(folder.GetText(), L"C:\\Q");

    const DWORD number = 7;
    Store(REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(ReadInstallLocation(keyPath, folder), HandOverLocationType);
    Store(REG_SZ, "abc", 3);
    EXPECT_EQ(ReadInstallLocation(keyPath, folder), HandOverLocationOddLength);

    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.GetText(), 0, KEY_ALL_ACCESS, &key);
    RegDeleteValueW(key, L"InstallLocation");
    RegCloseKey(key);
    EXPECT_EQ(ReadInstallLocation(keyPath, folder), HandOverNoLocationSize);
}

TEST(HandOver, FolderCheckSetupFileAndCommandLine)
{
    EXPECT_TRUE(IsProgramFolder(L"C:\\Program Files\\Velmora\\quillory", L"C:\\Program Files\\Velmora\\Quillory"));
    EXPECT_FALSE(IsProgramFolder(L"C:\\Program Files\\Velmora\\Quillory\\", L"C:\\Program Files\\Velmora\\Quillory"));
    EXPECT_FALSE(IsProgramFolder(L"C:\\Other", L"C:\\Program Files\\Velmora\\Quillory"));

    const std::wstring folder = TempFolder();
    const MString path = NewSetupFilePath(folder.c_str());
    const std::wstring text(path.GetText());
    ASSERT_EQ(text.size(), folder.size() + 1 + 38 + 10) << text;
    EXPECT_EQ(text.compare(text.size() - 10, 10, L".Setup.exe"), 0);
    EXPECT_EQ(text[folder.size() + 1], L'{');

    MemoryPH<unsigned char> program(5000);
    for (unsigned i = 0; i < 5000; ++i)
        program[i] = static_cast<unsigned char>(i);
    bool created = false;
    EXPECT_EQ(WriteSetupFile(program, path, created), 0u);
    EXPECT_TRUE(created);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(path.GetText(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 5000u);
    // A file of that name already there is not ours: no step may touch it.
    EXPECT_EQ(WriteSetupFile(program, path, created), static_cast<unsigned>(HandOverSetupNotWritten));
    EXPECT_FALSE(created);
    ASSERT_TRUE(GetFileAttributesExW(path.GetText(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 5000u);
    DeleteFileW(path.GetText());

    const MString line = UpgradeCommandLineFor(L"D:\\Downloads\\Quillory - Setup for Windows - 64 bit.msi",
                                               L"C:\\Program Files\\Velmora\\Quillory", L"{E}LV_exit", 1033);
    EXPECT_STREQ(line.GetText(), L"/upgrade***{97095852-4142-479B-9DF3-A81B80B19229}***D:\\Downloads\\Quillory - "
                                 L"Setup for Windows - 64 bit.msi***C:\\Program Files\\Velmora\\Quillory***{E}LV_exit***"
                                 L"1033");
    // And the setup program reads it back item by item.
    MString switchText;
    ASSERT_EQ(ChooseSetupMode(line.GetText(), switchText), SetupMode::Upgrade);
    UpgradeRequest request;
    ASSERT_TRUE(ParseUpgradeCommandLine(switchText, request));
    EXPECT_STREQ(request.installFolder.GetText(), L"C:\\Program Files\\Velmora\\Quillory");
    EXPECT_STREQ(request.exitEventName.GetText(), L"{E}LV_exit");
    EXPECT_EQ(request.language, 1033u);
}
} // namespace

#ifdef QUILLORY_WINDOW_EXE
namespace
{
// Quillory Window carries the 32-bit setup program that the hand-over writes out.
TEST(HandOver, TheProgramCarriesThe32BitSetupProgram)
{
    HMODULE program = LoadLibraryExW(QUILLORY_WINDOW_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC resource = FindResourceW(program, MAKEINTRESOURCEW(SetupResourceId), SetupResourceType);
    ASSERT_NE(resource, nullptr);
    const DWORD size = SizeofResource(program, resource);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(program, resource)));
    ASSERT_NE(bytes, nullptr);
    ASSERT_GT(size, 0x200u);
    EXPECT_EQ(bytes[0], 'M');
    EXPECT_EQ(bytes[1], 'Z');
    const DWORD peOffset = *reinterpret_cast<const DWORD*>(bytes + 0x3C);
    ASSERT_LT(peOffset + 6, size);
    EXPECT_EQ(*reinterpret_cast<const WORD*>(bytes + peOffset + 4), IMAGE_FILE_MACHINE_I386);
    FreeLibrary(program);
}
} // namespace
#endif
