// The hand-over to the setup program: the checks of the installed product's
// folder, the setup program written from the viewer's own resource, and the
// command line it is started with.
#pragma once

#include "foundation/Atom.h"
#include "foundation/StringEx.h"

#include <windows.h>

// The steps of the hand-over that can fail, as the user is told them.
enum UpgradeFailureStep : unsigned
{
    HandOverNoUninstallKey = 1,
    HandOverNoLocationSize = 2,
    HandOverNoLocation = 3,
    HandOverLocationType = 4,
    HandOverLocationOddLength = 5,
    HandOverOtherFolder = 6,
    HandOverNoSetupResource = 7,
    HandOverSetupNotWritten = 8,
    HandOverSetupNotStarted = 9,
    HandOverUnexpected = 10,
};

// The setup program inside Quillory Window: resource type "BDX", id 101.
inline constexpr wchar_t SetupResourceType[] = L"BDX";
constexpr WORD SetupResourceId = 101;

// The product's Uninstall key below HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER.
MString ProductUninstallKeyPath();

// Reads "InstallLocation" of the key (HKEY_LOCAL_MACHINE first, then
// HKEY_CURRENT_USER): its text up to the first NUL (for REG_MULTI_SZ the
// first string; REG_EXPAND_SZ is not expanded). 0, or the failed step.
unsigned ReadInstallLocation(const MString& keyPath, MString& folder);

// Whether the installed folder is the program's folder: the same length and
// equal without regard to case; no backslash is added or removed.
bool IsProgramFolder(const MString& installFolder, const MString& programFolder);

// "<folder>\{GUID}.Setup.exe" with a new GUID.
MString NewSetupFilePath(const MString& folder);

// Writes bytes into a new file at path (an existing file is never touched).
// 0, or HandOverSetupNotWritten; created tells whether this call made the
// file (and so may delete it again).
unsigned WriteSetupFile(const MAtom<unsigned char>& bytes, const MString& path, bool& created);

// The upgrade command line for the setup program.
MString UpgradeCommandLineFor(const MString& packagePath, const MString& installFolder,
                              const MString& upgradeExitEventName, LANGID language);
