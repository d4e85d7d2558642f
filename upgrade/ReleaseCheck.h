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
// The controller's stored release record: its two texts and the links.
using ReleaseRecord = Triple<MStringEx<wchar_t>, MStringEx<wchar_t>, UpgradeLinks>;

// The result of one release check, posted to the controller (0x40D) on the
// heap; the controller copies it and frees it. first and second are the
// release's two texts, third the upgrade links, state the check's final value.
class ReleaseInfo : public ReleaseRecord
{
public:
    __int64 state = 0;
};

// The release-check thread; parameter is the controller's WorkerContext.
// Started when the main window has shown its first slide; ends when the exit
// event is set.
DWORD WINAPI ReleaseCheckThreadProc(LPVOID context);
