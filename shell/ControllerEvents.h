// The controller's events, made in one place: all manual-reset and unset at
// the start. RunningEvent and ReleaseCheckEvent carry the program's fixed
// names, UpgradeExitEvent the per-run name that the setup program is given.
#pragma once

#include "foundation/Handle.h"
#include "foundation/StringEx.h"

struct ControllerEvents
{
    explicit ControllerEvents(const MString& upgradeExitEventName);
    ControllerEvents(const ControllerEvents&) = delete;
    ControllerEvents& operator=(const ControllerEvents&) = delete;

    // The program quits: every worker and the main window end on it.
    MHandle ExitEvent;
    MHandle ReleaseCheckEvent;
    MHandle UpgradeExitEvent;
    // Exists while a copy runs.
    MHandle RunningEvent;
    // The session ended before the controller's window existed.
    MHandle EndSessionEvent;
    // The tray icon exists, or is not wanted: the release check may start.
    MHandle TrayIconReadyEvent;
    MHandle ReleaseRecheckEvent;
    // The main window shows its first slide.
    MHandle MainWindowReadyEvent;
    // The controller's window exists.
    MHandle ControllerReadyEvent;
    // The first round of slide adverts is known (or failed).
    MHandle SlideAdvertsSettledEvent;
};
