// The periodic release check, as far as the controller starts and ends it,
// and the record of one check's result.
#pragma once

#include "foundation/Containers.h"
#include "foundation/Contextualize.h"
#include "foundation/StringEx.h"

#include <windows.h>

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

// The release-check thread; parameter is the controller's WorkerContext.
// Started when the main window has shown its first slide; ends when the exit
// event is set.
DWORD WINAPI ReleaseCheckThreadProc(LPVOID context);
