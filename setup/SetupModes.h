// The two switch modes of Quillory Setup: the upgrade hand-over with the
// running viewer, and the elevated uninstall-then-install through the
// Windows Installer command line.
#pragma once

#include "foundation/StringEx.h"
#include "setup/SetupSystem.h"

#include <windows.h>

// What a mode needs to know of its own program.
struct SetupEnvironment
{
    SetupSystem& system;
    // The module whose string table and version block the texts come from.
    HMODULE module;
    // The full path of the setup program's own file.
    MString ownPath;
    DWORD processId;
};

// The environment of this process with the real system calls.
SetupEnvironment CurrentSetupEnvironment(SetupSystem& system);

// Exit codes of the setup program.
constexpr int SetupSucceeded = 0;
constexpr int SetupFailed = 1;

// Polling for the viewer's end: every 100 ms; after the poll counter passes
// 250 (251 polls, about 25 s) the user is asked to retry or cancel.
constexpr DWORD ViewerPollInterval = 100;
constexpr unsigned ViewerPollLimit = 250;

// The Windows Installer's exit codes that mean the step worked: success,
// success with a restart started, and success with a restart needed.
bool IsInstallerSuccess(DWORD exitCode);

// The verb for the elevated copy: none on Windows 5.1 and 5.2 (XP, Server
// 2003: no elevation), "runas" everywhere else.
const wchar_t* ElevationVerb(DWORD major, DWORD minor);

// Whether a viewer runs: its running marker event exists.
bool IsViewerRunning();

// Upgrade mode: takes SetupUpgradeMutex, sets the viewer's upgrade-exit
// event, waits until the viewer has gone, runs the elevated copy with the
// uninstall-install command line, then starts the viewer again with the
// clean-up switch. Answers 1 when the line is short, the user cancels the
// wait, the copy cannot start or the copy reports a failure.
int RunUpgradeMode(const MString& switchText, const SetupEnvironment& environment);

// Uninstall-install mode (the elevated copy): removes the installed product
// and installs the package into the folder. Each Windows Installer run must
// end in success (IsInstallerSuccess); anything else is reported with its
// code and ends with exit code 1. When the installation fails after the
// removal, the installed product's package (kept aside before the removal)
// is installed again, and the user is told which of the two happened.
int RunUninstallInstallMode(const MString& switchText, const SetupEnvironment& environment);

// Plain mode (no switch): one plain setup at a time (a second start shows
// string 103 and ends with 0), otherwise the installation dialog until the
// user closes it. Answers the exit code, 0.
int RunPlainMode(const SetupEnvironment& environment);
