#include "core/Help.h"

#include "foundation/SystemUtilities.h"
#include "core/Language.h"

namespace
{
void StartHelpViewer(const MStringEx<wchar_t>& application, const MStringEx<wchar_t>& commandLine)
{
    // CreateProcessW may write into the command line.
    MStringEx<wchar_t> writable(commandLine);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(application.GetText(), writable.GetData(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return;
    WaitForInputIdle(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

HelpLauncher g_launcher = &StartHelpViewer;

void LaunchHelp(const MStringEx<wchar_t>& arguments)
{
    const MStringEx<wchar_t> viewer = HelpViewerPath();
    g_launcher(viewer, MStringEx<wchar_t>(sX::Format(), L"\"%s\" %s", viewer.GetText(), arguments.GetText()));
}
}

MStringEx<wchar_t> GetHelpFileName()
{
    const DWORD room = 40000;
    MStringEx<wchar_t> own{ElementCount(room)};
    const DWORD length = GetModuleFileNameW(nullptr, own.GetData(), room);
    if (length == 0 || length >= room)
        return MStringEx<wchar_t>();
    MStringEx<wchar_t> full{ElementCount(room)};
    wchar_t* fileName = nullptr;
    const DWORD fullLength = GetFullPathNameW(own.GetText(), room, full.GetData(), &fileName);
    const bool haveFolder = fullLength > 0 && fullLength < room;
    if (haveFolder && fileName)
        *fileName = 0;
    const wchar_t* folder = haveFolder ? full.GetText() : L"";
    if (haveFolder && UiLanguage == LanguageBulgarian)
        return MStringEx<wchar_t>(sX::Format(), L"%sHelp.BG-BG.chm", folder);
    return MStringEx<wchar_t>(sX::Format(), L"%sHelp.EN-US.chm", folder);
}

MStringEx<wchar_t> HelpViewerPath()
{
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        GetWindowsDirectoryW(windows, MAX_PATH);
    const size_t end = wcslen(windows);
    const bool slash = end > 0 && windows[end - 1] == L'\\';
    return MStringEx<wchar_t>(sX::Format(), slash ? L"%shh.exe" : L"%s\\hh.exe", windows);
}

// The help path is quoted, so that paths with blanks reach the viewer whole.
void ShowHelpContext(int contextId)
{
    LaunchHelp(MStringEx<wchar_t>(sX::Format(), L"-mapid %d \"ms-its:%s\"", contextId, GetHelpFileName().GetText()));
}

void ShowHelpTopic(const MStringEx<wchar_t>& topic)
{
    LaunchHelp(MStringEx<wchar_t>(sX::Format(), L"\"%s::/%s\"", GetHelpFileName().GetText(), topic.GetText()));
}

HelpLauncher SetHelpLauncher(HelpLauncher launcher)
{
    HelpLauncher previous = g_launcher;
    g_launcher = launcher ? launcher : &StartHelpViewer;
    return previous;
}
