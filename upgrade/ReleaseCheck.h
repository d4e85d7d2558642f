// The periodic release check: the thread that asks the server for its
// release document every four hours, and the record of one check's result.
#pragma once

#include "foundation/Containers.h"
#include "foundation/Contextualize.h"
#include "foundation/PostOwned.h"
#include "foundation/StringEx.h"
#include "core/PrivateMessages.h"
#include "upgrade/ReleaseDocument.h"

#include <windows.h>

#include <memory>

// The product name: the edition the release document is searched for, the
// agent of the release requests and the title of the installer's window.
inline constexpr wchar_t ReleaseProductName[] = L"Quillory";

// The two links of an upgrade: the package that installs itself and the page
// for a manual download.
using UpgradeLinks =
    Pair<contextualize<MStringEx<wchar_t>, sX::Automatic>, contextualize<MStringEx<wchar_t>, sX::Manual>>;
// A release as the server describes it: its version, its notes and the
// upgrade links.
struct ReleaseRecord
{
    MStringEx<wchar_t> version;
    MStringEx<wchar_t> notes;
    UpgradeLinks links;

    void Clear()
    {
        version.Clear();
        notes.Clear();
        links.first.Clear();
        links.second.Clear();
    }
};

// The result of one release check, posted to the controller
// (WM_RELEASE_CHECK_RESULT) on the heap; the controller copies it and frees
// it. state is the check's final value.
struct ReleaseInfo
{
    ReleaseRecord record;
    __int64 state = 0;
};

// WM_RELEASE_CHECK_RESULT; a null result says there is no newer release.
inline bool PostReleaseCheckResult(HWND controller, std::unique_ptr<ReleaseInfo> result)
{
    return PostOwned(controller, WM_RELEASE_CHECK_RESULT, 0, std::move(result));
}
inline std::unique_ptr<ReleaseInfo> TakeReleaseCheckResult(LPARAM lParam)
{
    return TakeOwned<ReleaseInfo>(lParam);
}

// The fixed inputs of this program's checks: its name and version, the
// user's language, the default notes (language module) and the "https://"
// prefix of a web page without a scheme.
ReleaseQuery ProgramReleaseQuery();

// One check against address: a heap ReleaseInfo when the server names a
// newer release (the installer link is installerAddress), else null.
ReleaseInfo* CheckForNewRelease(const MString& address, const MString& installerAddress, const ReleaseQuery& query);

// Whether a top-level window is the product's Windows Installer window:
// title exactly the product name, a class name that holds "msi", and, when
// the process's first module could be read (moduleName not null), that
// module named msiexec.exe in any case.
bool IsInstallerWindow(const wchar_t* title, const wchar_t* className, const wchar_t* moduleName);

// EnumWindows callback: lParam points to a bool set when a visible window
// of at least 100 x 100 pixels is the installer's window; the enumeration
// then stops.
BOOL CALLBACK FindInstallerWindowProc(HWND window, LPARAM found);

// The release-check thread; parameter is the controller's WorkerContext.
// Started when the main window has shown its first slide; ends when the exit
// event is set.
DWORD WINAPI ReleaseCheckThreadProc(LPVOID context);
