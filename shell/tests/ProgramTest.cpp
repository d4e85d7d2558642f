// Quillory Window as a process: started from a scratch folder beside copies
// of the language modules, observed from outside through its exit code, the
// registry, its named objects, its windows and its tray icon.
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "RunningController.h"
#include "resources/languages/LanguageIds.h"
#include "resources/window/ProgramResourceIds.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
const wchar_t* const ProductKey = L"Software\\Velmora\\Quillory\\3";
const wchar_t* const RunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const RunValue = L"Quillory - {97095852-4142-479B-9DF3-A81B80B19229}";

// The built program, as the build gives its path on the build machine.
std::wstring BuiltProgram()
{
    std::string path = QUILLORY_WINDOW_EXE;
    std::wstring wide(path.begin(), path.end());
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    // The build machine's root is drive Z: under Wine.
    return wide.size() > 1 && wide[1] == L':' ? wide : L"Z:" + wide;
}

std::wstring TestFolder()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

using UiTest::Click;
using UiTest::EventExists;
using UiTest::WaitUntil;

std::vector<HWND> TopLevelWindows(DWORD processId)
{
    struct Search
    {
        DWORD processId;
        std::vector<HWND> windows;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.processId)
                s.windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

bool IsDialog(HWND window)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    return lstrcmpW(className, L"#32770") == 0;
}

// The hidden controller: the dialog owned by the program's hidden top-level
// parent (a window of the same process that has no owner itself).
HWND FindController(DWORD processId)
{
    const std::vector<HWND> windows = TopLevelWindows(processId);
    for (HWND window : windows)
    {
        HWND owner = GetWindow(window, GW_OWNER);
        if (!IsDialog(window) || !owner || GetWindow(owner, GW_OWNER))
            continue;
        for (HWND other : windows)
            if (other == owner)
                return window;
    }
    return nullptr;
}

// The slide-show main window: the process's layered dialog.
HWND FindMainWindow(DWORD processId)
{
    for (HWND window : TopLevelWindows(processId))
        if (IsDialog(window) && (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED))
            return window;
    return nullptr;
}

// A visible message box or dialog of the process.
HWND FindVisibleDialog(DWORD processId)
{
    for (HWND window : TopLevelWindows(processId))
        if (IsDialog(window) && IsWindowVisible(window))
            return window;
    return nullptr;
}

std::wstring ItemText(HWND dialog, int id)
{
    wchar_t text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

bool TrayIconExists(HWND controller)
{
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = controller;
    data.uID = TrayIconId;
    return controller && Shell_NotifyIconW(NIM_MODIFY, &data);
}

void WriteBinary(const wchar_t* name, const std::vector<BYTE>& bytes)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, ProductKey, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void WriteLanguage(DWORD language)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, ProductKey, L"Language", REG_DWORD, &language, sizeof(language));
}

bool ReadDword(const wchar_t* name, DWORD& value)
{
    DWORD size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, ProductKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
           ERROR_SUCCESS;
}

bool ValueExists(const wchar_t* name)
{
    return RegGetValueW(HKEY_CURRENT_USER, ProductKey, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// Whether the process has loaded its language module ("Resources ... .dll"),
// which the program does before its entry point runs.
bool HasLoadedLanguageModule(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found; more = Module32NextW(snapshot, &entry))
        found = _wcsnicmp(entry.szModule, L"Resources ", 10) == 0;
    CloseHandle(snapshot);
    return found;
}

// The processes that run the program file at path.
std::vector<DWORD> ProcessesOf(const std::wstring& path)
{
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        wchar_t image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, image, &size) && lstrcmpiW(image, path.c_str()) == 0)
            found.push_back(entry.th32ProcessID);
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

class Program
{
public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program()
    {
        if (m_info.hProcess)
        {
            if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(m_info.hProcess, 99);
            CloseHandle(m_info.hThread);
            CloseHandle(m_info.hProcess);
        }
    }

    // commandLine null: the program's path alone.
    bool Start(const std::wstring& program, const wchar_t* commandLine = nullptr, const wchar_t* arguments = nullptr)
    {
        std::wstring line = commandLine ? commandLine : L"\"" + program + L"\"";
        if (arguments)
            line += std::wstring(L" ") + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        return CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &m_info) != FALSE;
    }
    // Adopts a process that was started otherwise (the restarted program).
    bool Adopt(DWORD processId)
    {
        m_info.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                                      processId);
        m_info.dwProcessId = processId;
        return m_info.hProcess != nullptr;
    }

    DWORD Id() const { return m_info.dwProcessId; }
    bool IsRunning() const { return WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code, or 259 when the process still runs after timeout ms.
    DWORD Wait(DWORD timeout) const
    {
        WaitForSingleObject(m_info.hProcess, timeout);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_info.hProcess, &code);
        return code;
    }
    // Up and running: the controller exists and the main window has asked
    // for the tray icon.
    HWND WaitForController(DWORD timeout = 30000) const
    {
        HWND controller = nullptr;
        WaitUntil(
            [&] {
                controller = FindController(Id());
                return controller && TrayIconExists(controller);
            },
            timeout);
        return controller;
    }
    HWND WaitForDialog(DWORD timeout = 30000) const
    {
        HWND dialog = nullptr;
        WaitUntil([&] { return (dialog = FindVisibleDialog(Id())) != nullptr; }, timeout);
        return dialog;
    }
    // WM_COMMAND 138 to the controller; the exit code.
    DWORD Quit(DWORD timeout = 10000) const
    {
        PostMessageW(FindController(Id()), WM_COMMAND, ID_QUIT, 0);
        return Wait(timeout);
    }

private:
    PROCESS_INFORMATION m_info = {};
};

class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH], folder[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        GetTempFileNameW(temp, L"qw", 0, folder);
        DeleteFileW(folder);
        CreateDirectoryW(folder, nullptr);
        m_folder = folder;
        m_program = m_folder + L"\\Quillory Window.exe";
        ASSERT_TRUE(CopyFileW(BuiltProgram().c_str(), m_program.c_str(), FALSE)) << BuiltProgram();
        CleanRegistry();
        // A program that has run before, in English: no language dialog and
        // no introduction unless a test asks for them.
        WriteLanguage(1033);
        WriteBinary(L"Display Area", {5, 0, 0, 0, 45, 0, 0, 0, 0x48, 3, 0, 0, 0x70, 3, 0, 0});
    }

    void TearDown() override
    {
        // Whatever a test left running ends now.
        for (DWORD id : ProcessesOf(m_program))
        {
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            if (process)
            {
                TerminateProcess(process, 99);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
        CleanRegistry();
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((m_folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE)
        {
            do
                DeleteFileW((m_folder + L"\\" + found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(m_folder.c_str());
    }

    static void CleanRegistry()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmora");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKey, RunValue);
    }

    void CopyLanguageModules()
    {
        for (const wchar_t* name : {L"Resources EN US.dll", L"Resources BG BG.dll"})
            ASSERT_TRUE(CopyFileW((TestFolder() + L"\\" + name).c_str(), (m_folder + L"\\" + name).c_str(), FALSE));
    }

    std::wstring m_folder;
    std::wstring m_program;
};

class RunningProgramTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        CopyLanguageModules();
    }
};
}

TEST(ProgramFile, IsA64BitWindowsProgramWithItsVersionAndArtwork)
{
    const std::wstring program = BuiltProgram();
    HMODULE image = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr) << program;
    for (unsigned id : {IDI_PROGRAM, IDI_BUSY, IDI_SHOWN_NEW_RELEASE, IDI_BUSY_NEW_RELEASE, IDI_HIDDEN,
                        IDI_HIDDEN_NEW_RELEASE})
        EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(id), RT_GROUP_ICON), nullptr) << id;
    for (unsigned id : {IDP_TEXT_CARD, IDP_MEDIA_CARD})
        EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(id), L"PNG"), nullptr) << id;
    FreeLibrary(image);

    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, block.data()));
    for (const auto& entry : {std::make_pair(L"ProductName", L"Quillory"),
                              std::make_pair(L"OriginalFilename", L"Quillory Window.exe")})
    {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + entry.first;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length));
        EXPECT_STREQ(value, entry.second);
    }
    wchar_t* version = nullptr;
    UINT length = 0;
    EXPECT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\ProductVersion",
                               reinterpret_cast<void**>(&version), &length));
    EXPECT_GT(length, 1u);

    DWORD binaryType = 0;
    ASSERT_TRUE(GetBinaryTypeW(program.c_str(), &binaryType));
    EXPECT_EQ(binaryType, static_cast<DWORD>(SCS_64BIT_BINARY));
}

TEST_F(ProgramTest, RegistrationSwitchesEndAtOnce)
{
    for (const wchar_t* argument : {L"/regserver", L"/UnregServer now", L"-EMBEDDING"})
    {
        Program program;
        ASSERT_TRUE(program.Start(m_program, nullptr, argument));
        // Without language modules beside it the program would otherwise
        // stop at its message and end with 1.
        EXPECT_EQ(program.Wait(15000), 0u) << argument;
    }
}

TEST_F(ProgramTest, WithoutLanguageModuleItShowsTheBuiltInMessagesAndEndsWithOne)
{
    const struct
    {
        DWORD language;
        std::vector<std::wstring> texts;
    } cases[] = {
        {1033, {L"The system could not load the app language resources. Reinstalling the software should fix the "
                L"problem."}},
        {1026, {L"Системата не можа да зареди езиковите ресурси на софтуера. Моля, преинсталирайте програмата, за "
                L"да отстраните проблема.",
                L"The system could not load the app language resources. Reinstalling the software should fix the "
                L"problem."}},
    };
    for (const auto& c : cases)
    {
        WriteLanguage(c.language);
        Program program;
        ASSERT_TRUE(program.Start(m_program));
        for (const std::wstring& text : c.texts)
        {
            HWND box = program.WaitForDialog();
            ASSERT_NE(box, nullptr);
            wchar_t caption[64] = {};
            GetWindowTextW(box, caption, 64);
            EXPECT_STREQ(caption, L"Quillory");
            EXPECT_EQ(ItemText(box, 0xFFFF), text);
            Click(box, IDOK);
            WaitUntil([&] { return !IsWindow(box); }, 5000);
        }
        EXPECT_EQ(program.Wait(15000), 1u) << c.language;
        EXPECT_FALSE(EventExists(RunningEventName));
    }
}

TEST_F(ProgramTest, ALanguageModuleWithoutItsResourcesShowsTheBuiltInMessage)
{
    ASSERT_TRUE(CopyFileW((TestFolder() + L"\\EmptyLanguageModule.dll").c_str(),
                          (m_folder + L"\\Resources EN US.dll").c_str(), FALSE));
    Program program;
    ASSERT_TRUE(program.Start(m_program));
    HWND box = program.WaitForDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ItemText(box, 0xFFFF), L"The system could not load the app language resources. Reinstalling the "
                                     L"software should fix the problem.");
    Click(box, IDOK);
    EXPECT_EQ(program.Wait(15000), 1u);
}

TEST_F(RunningProgramTest, RunsWithItsObjectsAndTrayIconAndQuitsWithZero)
{
    Program program;
    ASSERT_TRUE(program.Start(m_program));
    HWND controller = program.WaitForController();
    ASSERT_NE(controller, nullptr);
    EXPECT_TRUE(EventExists(RunningEventName));
    EXPECT_TRUE(TrayIconExists(controller));
    EXPECT_FALSE(IsWindowVisible(controller));
    // The main window registered and loaded its settings record.
    EXPECT_TRUE(WaitUntil([] { return ValueExists(L"Performance Data"); }, 10000));

    // The release check runs from the first slide on; it must end with the
    // program as well. (Posted messages are taken in order: it starts before
    // the quit below.)
    PostMessageW(controller, WM_MAIN_WINDOW_READY, 0, 0);

    // Enter, Escape and WM_CLOSE do not end the controller: after them it
    // still opens its about box.
    for (UINT message : {static_cast<UINT>(WM_CLOSE), static_cast<UINT>(WM_COMMAND)})
    {
        PostMessageW(controller, message, message == WM_COMMAND ? IDCANCEL : 0, 0);
        PostMessageW(controller, message, message == WM_COMMAND ? IDOK : 0, 0);
    }
    PostMessageW(controller, WM_COMMAND, ID_ABOUT, 0);
    HWND about = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(program.Id()))
                if (IsDialog(window) && IsWindowVisible(window) && UiTest::WindowText(window) == L"About Quillory")
                    about = window;
            return about != nullptr;
        },
        15000));
    Click(about, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 15000));
    ASSERT_TRUE(program.IsRunning());

    EXPECT_EQ(program.Quit(), 0u);
    EXPECT_FALSE(EventExists(RunningEventName));
    EXPECT_FALSE(TrayIconExists(controller));
    EXPECT_TRUE(ValueExists(L"Elapsed Time"));
}

TEST_F(RunningProgramTest, WithTheTrayIconOffTheQuitStillEndsTheReleaseCheckAtOnce)
{
    // "Performance Data" with the tray-icon flag (bit 30 of word 1) clear,
    // and the elapsed time that goes with it.
    WriteBinary(L"Performance Data", {1, 0, 0, 0, 0, 0, 0x18, 0x81, 0x08, 0x07, 0, 0, 0x3C, 0, 0, 0, 2, 0, 0, 0,
                                      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x2C, 1, 0, 0});
    WriteBinary(L"Elapsed Time", std::vector<BYTE>(8, 0xFF));
    Program program;
    ASSERT_TRUE(program.Start(m_program));
    HWND controller = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (controller = FindController(program.Id())) != nullptr; }, 30000));
    // The main window exists: it has registered with the controller. (That
    // the icon stays off is checked in the controller's own tests.)
    ASSERT_TRUE(WaitUntil([&] { return FindMainWindow(program.Id()) != nullptr; }, 30000));
    PostMessageW(controller, WM_MAIN_WINDOW_READY, 0, 0);

    // Without the icon the release check does not wait for it: the quit
    // ends it within the exit wait.
    EXPECT_EQ(program.Quit(15000), 0u);
}

TEST_F(RunningProgramTest, TheSessionEndEndsTheProgramWithoutTheExitWaitRunningOut)
{
    for (bool byParent : {false, true})
    {
        Program program;
        ASSERT_TRUE(program.Start(m_program));
        HWND controller = program.WaitForController();
        ASSERT_NE(controller, nullptr);
        PostMessageW(controller, WM_MAIN_WINDOW_READY, 0, 0);
        if (byParent)
            PostMessageW(controller, WM_TASKBAR_OR_END_SESSION, 0, 0);
        else
            PostMessageW(controller, WM_ENDSESSION, TRUE, 0);
        // Within the 20 s of the exit wait: nothing was left running.
        EXPECT_EQ(program.Wait(15000), 0u) << byParent;
        EXPECT_FALSE(TrayIconExists(controller));
    }
}

TEST_F(RunningProgramTest, TheSessionEndWithADialogOpenClosesItAndEndsTheProgram)
{
    for (UINT command : {static_cast<UINT>(ID_ABOUT), static_cast<UINT>(ID_SETTINGS)})
    {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, ProductKey, L"Elapsed Time");
        Program program;
        ASSERT_TRUE(program.Start(m_program));
        HWND controller = program.WaitForController();
        ASSERT_NE(controller, nullptr);
        PostMessageW(controller, WM_COMMAND, command, 0);
        const std::wstring caption = command == ID_ABOUT ? L"About Quillory" : L"Quillory Settings";
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                for (HWND window : TopLevelWindows(program.Id()))
                    if (IsDialog(window) && IsWindowVisible(window) && UiTest::WindowText(window) == caption)
                        dialog = window;
                return dialog != nullptr;
            },
            15000))
            << caption;

        // As Windows ends the session: asked first, then told.
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(controller, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &answer);
        PostMessageW(controller, WM_ENDSESSION, TRUE, 0);
        EXPECT_EQ(program.Wait(60000), 0u) << caption;
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_TRUE(ValueExists(L"Elapsed Time")) << caption;
    }
}

TEST_F(RunningProgramTest, TheMainWindowOutlivesEnterEscapeCloseAndAnotherCopysCloseMessage)
{
    Program program;
    ASSERT_TRUE(program.Start(m_program));
    ASSERT_NE(program.WaitForController(), nullptr);
    HWND mainWindow = FindMainWindow(program.Id());
    ASSERT_NE(mainWindow, nullptr);
    // Registered, it starts hidden and tiny, and offers no close command.
    EXPECT_FALSE(IsWindowVisible(mainWindow));

    PostMessageW(mainWindow, WM_COMMAND, IDOK, 0);
    PostMessageW(mainWindow, WM_COMMAND, IDCANCEL, 0);
    // WM_CLOSE quits only in the application-window mode.
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    // Another copy's close broadcast carries other tokens.
    PostMessageW(mainWindow, RegisterWindowMessageW(CloseDialogsMessageName), 0x1234, 0x5678);
    // Taken after them: a window that still runs shows itself.
    PostMessageW(mainWindow, WM_SHOW_HIDE, ShowFlagShow, ShowReasonPlain);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }, 15000));
    EXPECT_TRUE(IsWindow(mainWindow));
    EXPECT_TRUE(program.IsRunning());
    EXPECT_EQ(program.Quit(), 0u);
    EXPECT_FALSE(IsWindow(mainWindow));
}

TEST_F(RunningProgramTest, TheTrayIconComesBackWhenTheTaskBarIsCreatedAnew)
{
    Program program;
    ASSERT_TRUE(program.Start(m_program));
    HWND controller = program.WaitForController();
    ASSERT_NE(controller, nullptr);

    // As if Explorer had restarted: the icon is gone, then "TaskbarCreated".
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = controller;
    data.uID = TrayIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    ASSERT_FALSE(TrayIconExists(controller));
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(controller); }, 10000));
    EXPECT_EQ(program.Quit(), 0u);
}

TEST_F(RunningProgramTest, OneCopyPerUserAndYesRestartsTheRunningCopy)
{
    Program first;
    ASSERT_TRUE(first.Start(m_program));
    ASSERT_NE(first.WaitForController(), nullptr);

    // No: the second copy ends and the first one goes on.
    {
        Program second;
        ASSERT_TRUE(second.Start(m_program));
        HWND question = second.WaitForDialog();
        ASSERT_NE(question, nullptr);
        EXPECT_NE(ItemText(question, 0xFFFF).find(L"already running"), std::wstring::npos);
        Click(question, IDNO);
        EXPECT_EQ(second.Wait(10000), 0u);
        EXPECT_TRUE(first.IsRunning());
    }

    // Yes: the second copy ends, the first one quits and starts again.
    {
        Program second;
        ASSERT_TRUE(second.Start(m_program));
        HWND question = second.WaitForDialog();
        ASSERT_NE(question, nullptr);
        Click(question, IDYES);
        EXPECT_EQ(second.Wait(10000), 0u);
    }
    EXPECT_EQ(first.Wait(15000), 0u);
    std::vector<DWORD> running;
    ASSERT_TRUE(WaitUntil([&] { return !(running = ProcessesOf(m_program)).empty(); }, 15000));
    ASSERT_EQ(running.size(), 1u);
    Program restarted;
    ASSERT_TRUE(restarted.Adopt(running[0]));
    ASSERT_NE(restarted.WaitForController(), nullptr);
    EXPECT_TRUE(EventExists(RunningEventName));
    EXPECT_EQ(restarted.Quit(), 0u);
}

TEST_F(RunningProgramTest, AnInstanceMutexThatCannotBeMadeIsAFailureNotAnotherCopy)
{
    // An event under the mutex's name: CreateMutexW returns no handle.
    wchar_t user[256] = {};
    DWORD size = 256;
    ASSERT_TRUE(GetUserNameW(user, &size));
    wchar_t name[512] = {};
    wsprintfW(name, InstanceMutexNameFormat, user);
    HANDLE squatter = CreateEventW(nullptr, TRUE, FALSE, name);
    ASSERT_NE(squatter, nullptr);

    Program program;
    ASSERT_TRUE(program.Start(m_program));
    HWND box = program.WaitForDialog();
    ASSERT_NE(box, nullptr);
    const std::wstring text = ItemText(box, 0xFFFF);
    EXPECT_EQ(text.find(L"already running"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"unexpected problem"), std::wstring::npos) << text;
    Click(box, IDOK);
    EXPECT_EQ(program.Wait(15000), 1u);
    EXPECT_FALSE(EventExists(RunningEventName));
    CloseHandle(squatter);
}

TEST_F(RunningProgramTest, WithoutAStoredLanguageTheLanguageDialogAsksAndTheProgramStartsAgain)
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, ProductKey, L"Language");
    Program program;
    ASSERT_TRUE(program.Start(m_program));
    HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    // Asked before the single-instance test: no copy runs yet.
    EXPECT_FALSE(EventExists(RunningEventName));
    Click(dialog, IDC_LANGUAGE_OK);
    EXPECT_EQ(program.Wait(15000), 0u);
    // The dialog offers the language of the keyboard layout (English for any
    // but Bulgarian), and OK stores it.
    DWORD language = 0;
    EXPECT_TRUE(ReadDword(L"Language", language));
    const DWORD expected = LOWORD(reinterpret_cast<ULONG_PTR>(GetKeyboardLayout(0))) == 1026 ? 1026u : 1033u;
    EXPECT_EQ(language, expected);

    std::vector<DWORD> running;
    ASSERT_TRUE(WaitUntil([&] { return !(running = ProcessesOf(m_program)).empty(); }, 15000));
    Program restarted;
    ASSERT_TRUE(restarted.Adopt(running[0]));
    ASSERT_NE(restarted.WaitForController(), nullptr);
    EXPECT_EQ(restarted.Quit(), 0u);
}

TEST_F(RunningProgramTest, TheFirstRunShowsTheIntroductionBeforeTheControllerStarts)
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, ProductKey, L"Display Area");
    Program program;
    ASSERT_TRUE(program.Start(m_program));
    HWND introduction = program.WaitForDialog();
    ASSERT_NE(introduction, nullptr);
    EXPECT_EQ(FindController(program.Id()), nullptr);
    EXPECT_FALSE(EventExists(RunningEventName));
    // Going on takes the tick in the box first.
    Click(introduction, IDC_INTRO_CHECK);
    Click(introduction, IDC_INTRO_CONTINUE);
    ASSERT_NE(program.WaitForController(), nullptr);
    // The main window stores a display area: the next start is no first run.
    EXPECT_TRUE(ValueExists(L"Display Area"));
    EXPECT_EQ(program.Quit(), 0u);
}

TEST_F(RunningProgramTest, TheCleanUpSwitchWaitsForTheSetupProgramThenDeletesItsFile)
{
    const std::wstring setupFile = m_folder + L"\\{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}.Setup.exe";
    const std::wstring otherFile = m_folder + L"\\Keep Me.txt";
    CloseHandle(CreateFileW(otherFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

    // The setup program's stand-in runs from the setup file itself (a copy of
    // this test program, held suspended until the test ends it): while it
    // runs its file cannot be deleted, so a program that did not wait for it
    // could never delete the file.
    wchar_t self[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    ASSERT_TRUE(CopyFileW(self, setupFile.c_str(), FALSE));
    std::wstring cmd = L"\"" + setupFile + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION setup = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                               &setup));
    EXPECT_FALSE(DeleteFileW(setupFile.c_str()));

    // As the setup program starts the viewer: the whole line in quotes.
    const std::wstring line =
        L"\"/clean_setup_file***" + setupFile + L"***" + std::to_wstring(setup.dwProcessId) + L"\"";
    Program program;
    ASSERT_TRUE(program.Start(m_program, line.c_str()));
    // The language module is loaded before the entry point, and the clean-up
    // is the entry's first step: from here on the program waits for the setup.
    EXPECT_TRUE(WaitUntil([&] { return HasLoadedLanguageModule(program.Id()); }, 15000));
    TerminateProcess(setup.hProcess, 0);
    WaitForSingleObject(setup.hProcess, 15000);
    CloseHandle(setup.hThread);
    CloseHandle(setup.hProcess);

    // Once the setup has ended the file goes, and only then the program starts.
    // The bound leaves room for a slow start and for the program's own
    // retries while the ended setup's file is still locked.
    EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesW(setupFile.c_str()) == INVALID_FILE_ATTRIBUTES; }, 60000));
    ASSERT_NE(program.WaitForController(), nullptr);
    EXPECT_EQ(program.Quit(), 0u);

    // Another file named by the switch stays.
    const std::wstring other = L"\"/clean_setup_file***" + otherFile + L"***0\"";
    Program second;
    ASSERT_TRUE(second.Start(m_program, other.c_str()));
    ASSERT_NE(second.WaitForController(), nullptr);
    EXPECT_NE(GetFileAttributesW(otherFile.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(second.Quit(), 0u);
}

TEST_F(RunningProgramTest, TheQuitOfOneCopyEndsOnlyItsOwnDialogs)
{
    // This process runs a second copy of the controller and main window.
    LanguageModuleScope language(LanguageEnglish);
    RunningControllerTest::RunningController here;
    ASSERT_TRUE(here.Start());

    Program other;
    ASSERT_TRUE(other.Start(m_program));
    HWND otherController = other.WaitForController();
    ASSERT_NE(otherController, nullptr);
    HWND otherMain = FindMainWindow(other.Id());
    PostMessageW(otherController, WM_COMMAND, ID_SETTINGS, 0);
    HWND otherSettings = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(other.Id()))
                if (IsDialog(window) && IsWindowVisible(window) && UiTest::WindowText(window) == L"Quillory Settings")
                    otherSettings = window;
            return otherSettings != nullptr;
        },
        15000));

    here.Command(ID_SETTINGS);
    HWND hereSettings = RunningControllerTest::WaitForDialog(here.ControllerThread(), L"Quillory Settings");
    ASSERT_NE(hereSettings, nullptr);

    // The other copy quits: its dialog and main window end, this copy's stay.
    EXPECT_EQ(other.Quit(), 0u);
    EXPECT_FALSE(IsWindow(otherSettings));
    EXPECT_FALSE(IsWindow(otherMain));
    // The other copy's broadcast reached this process's windows before its
    // end: once they have taken what was posted, this copy's dialog is
    // still there.
    here.Settle();
    EXPECT_TRUE(IsWindow(hereSettings));
    EXPECT_TRUE(IsWindowVisible(hereSettings));
    EXPECT_TRUE(IsWindow(here.MainWindow()));
    EXPECT_FALSE(here.HasEnded());

    // Its own quit ends them.
    here.Command(ID_QUIT);
    EXPECT_TRUE(RunningControllerTest::WaitUntil([&] { return here.HasEnded(); }, 30000));
    EXPECT_EQ(here.Result(), 0);
    EXPECT_FALSE(IsWindow(hereSettings));
}
