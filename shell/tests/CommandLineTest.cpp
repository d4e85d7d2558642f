#include "core/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace
{
struct TempFolder
{
    std::wstring path;
    TempFolder()
    {
        wchar_t base[MAX_PATH], name[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        GetTempFileNameW(base, L"qc", 0, name);
        DeleteFileW(name);
        CreateDirectoryW(name, nullptr);
        path = name;
    }
    ~TempFolder()
    {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE)
        {
            do
                DeleteFileW((path + L"\\" + found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path.c_str());
    }
    std::wstring Touch(const std::wstring& name) const
    {
        const std::wstring file = path + L"\\" + name;
        HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(h);
        return file;
    }
};

bool Exists(const std::wstring& file) { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

const wchar_t* const setupName = L"{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}.Setup.exe";

// A process that exists until the test ends it: cmd.exe, created suspended.
struct SuspendedProcess
{
    PROCESS_INFORMATION info = {};
    SuspendedProcess()
    {
        wchar_t system[MAX_PATH];
        GetSystemDirectoryW(system, MAX_PATH);
        std::wstring commandLine = std::wstring(L"\"") + system + L"\\cmd.exe\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                       &startup, &info);
    }
    ~SuspendedProcess()
    {
        if (info.hProcess)
        {
            TerminateProcess(info.hProcess, 0);
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
        }
    }
};
}

TEST(CommandLine, RegistrationSwitchesInAnyCase)
{
    for (const wchar_t* argument : {L"/RegServer", L"/regserver", L"/REGSERVER extra", L"/UnregServer", L"/unregserver",
                                    L"-Embedding", L"-embedding"})
        EXPECT_TRUE(IsRegistrationSwitch(argument)) << argument;
    for (const wchar_t* argument : {L"", L"/Reg", L" /RegServer", L"RegServer", L"/Embedding", L"-Embed"})
        EXPECT_FALSE(IsRegistrationSwitch(argument)) << argument;
    EXPECT_FALSE(IsRegistrationSwitch(nullptr));
}

TEST(CommandLine, CleanSetupCommandLines)
{
    const struct
    {
        const wchar_t* line;
        bool valid;
        const wchar_t* file;
        DWORD pid;
    } cases[] = {
        {L"\"/clean_setup_file***C:\\Q\\x.Setup.exe***1234\"", true, L"C:\\Q\\x.Setup.exe", 1234},
        {L"/CLEAN_SETUP_FILE***C:\\Q\\x.exe***77", true, L"C:\\Q\\x.exe", 77},
        {L"\"\"/clean_setup_file******C:\\a b\\c.exe***5***\"", true, L"C:\\a b\\c.exe", 5},
        {L"/clean_setup_file***C:\\Q\\x.exe", false, nullptr, 0},
        {L"/clean_setup_file***C:\\Q\\x.exe***12***extra", false, nullptr, 0},
        {L"/clean_setup_file***C:\\Q\\x.exe***12a", false, nullptr, 0},
        {L"\"C:\\Quillory Window.exe\" /clean_setup_file***C:\\x.exe***12", false, nullptr, 0},
        {L"/clean_setup_files***C:\\x.exe***12", false, nullptr, 0},
        {L"", false, nullptr, 0},
    };
    for (const auto& c : cases)
    {
        CleanSetupRequest request;
        ASSERT_EQ(ParseCleanSetupCommandLine(c.line, request), c.valid) << c.line;
        if (c.valid)
        {
            EXPECT_STREQ(request.setupFile.GetText(), c.file);
            EXPECT_EQ(request.processId, c.pid);
        }
    }
}

TEST(CommandLine, OnlyTheSetupFileInTheProgramFolderQualifies)
{
    TempFolder folder;
    const std::wstring f = folder.path;
    EXPECT_TRUE(IsSetupFileOf(f.c_str(), (f + L"\\" + setupName).c_str()));
    EXPECT_TRUE(IsSetupFileOf(f.c_str(), (f + L"\\{0a1b2c3d-4e5f-6789-abcd-ef0123456789}.setup.EXE").c_str()));
    EXPECT_TRUE(IsSetupFileOf((f + L"\\").c_str(), (f + L"\\sub\\..\\" + setupName).c_str()));
    for (const std::wstring& path :
         {f + L"\\Quillory Window.exe", f + L"\\sub\\" + setupName, f + L"\\..\\" + setupName,
          f + L"\\{0A1B2C3D-4E5F-6789-ABCD-EF012345678}.Setup.exe", f + L"\\{0A1B2C3D-4E5F-6789-ABCD-EF012345678X}.Setup.exe",
          f + L"\\0A1B2C3D-4E5F-6789-ABCD-EF0123456789.Setup.exe", f + L"\\" + setupName + L".txt",
          std::wstring(setupName)})
        EXPECT_FALSE(IsSetupFileOf(f.c_str(), path.c_str())) << path;
}

TEST(CommandLine, CleanUpWaitsForTheSetupProcessThenDeletesItsFile)
{
    TempFolder folder;
    const std::wstring setupFile = folder.Touch(setupName);
    SuspendedProcess setup;
    ASSERT_NE(setup.info.hProcess, nullptr);

    std::thread ender([&] {
        Sleep(400);
        TerminateProcess(setup.info.hProcess, 0);
    });
    const std::wstring line = L"\"/clean_setup_file***" + setupFile + L"***" + std::to_wstring(setup.info.dwProcessId) + L"\"";
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(CleanUpAfterUpgrade(line.c_str(), folder.path.c_str()));
    EXPECT_GE(GetTickCount64() - start, 300u);
    ender.join();
    EXPECT_FALSE(Exists(setupFile));
}

TEST(CommandLine, CleanUpTriesAgainWhileTheEndedSetupsFileIsStillLocked)
{
    TempFolder folder;
    const std::wstring setupFile = folder.Touch(setupName);
    // Held without sharing for a moment after the setup has ended, as the
    // system may still hold an ended program's file.
    HANDLE lock = CreateFileW(setupFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    std::thread releaser([&] {
        Sleep(400);
        CloseHandle(lock);
    });
    // Process id 0 cannot be opened: taken as ended.
    const std::wstring line = L"/clean_setup_file***" + setupFile + L"***0";
    EXPECT_TRUE(CleanUpAfterUpgrade(line.c_str(), folder.path.c_str()));
    releaser.join();
    EXPECT_FALSE(Exists(setupFile));
}

TEST(CommandLine, CleanUpGivesUpWaitingAtItsLimit)
{
    TempFolder folder;
    const std::wstring setupFile = folder.Touch(setupName);
    SuspendedProcess setup;
    const std::wstring line = L"/clean_setup_file***" + setupFile + L"***" + std::to_wstring(setup.info.dwProcessId);
    const ULONGLONG start = GetTickCount64();
    CleanUpAfterUpgrade(line.c_str(), folder.path.c_str(), 200);
    const ULONGLONG waited = GetTickCount64() - start;
    EXPECT_GE(waited, 150u);
    EXPECT_LT(waited, 5000u);
}

TEST(CommandLine, CleanUpLeavesOtherFilesAlone)
{
    TempFolder folder, elsewhere;
    const std::wstring document = folder.Touch(L"Important.docx");
    const std::wstring foreignSetup = elsewhere.Touch(setupName);
    for (const std::wstring& target : {document, foreignSetup})
    {
        // Process id 0 cannot be opened: no wait.
        const std::wstring line = L"/clean_setup_file***" + target + L"***0";
        EXPECT_FALSE(CleanUpAfterUpgrade(line.c_str(), folder.path.c_str()));
        EXPECT_TRUE(Exists(target));
    }
    // Two pieces only: nothing is done.
    const std::wstring ownSetup = folder.Touch(setupName);
    EXPECT_FALSE(CleanUpAfterUpgrade((L"/clean_setup_file***" + ownSetup).c_str(), folder.path.c_str()));
    EXPECT_TRUE(Exists(ownSetup));
    EXPECT_TRUE(CleanUpAfterUpgrade((L"/clean_setup_file***" + ownSetup + L"***0").c_str(), folder.path.c_str()));
    EXPECT_FALSE(Exists(ownSetup));
}
