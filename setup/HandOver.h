// The command lines and named objects that pass between Quillory Window and
// Quillory Setup. Both programs build and read them from here, so the texts
// exist once: the viewer writes the upgrade command line and reads the
// clean-up one; the setup program reads the upgrade command line and writes
// the other two.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <vector>

namespace HandOver
{
// The installer product code; it also begins every shared object name.
#define QUILLORY_HANDOVER_PRODUCT_CODE L"{97095852-4142-479B-9DF3-A81B80B19229}"
inline constexpr wchar_t ProductCode[] = QUILLORY_HANDOVER_PRODUCT_CODE;

// Separates the items of every command line below.
inline constexpr wchar_t Separator[] = L"***";
inline constexpr wchar_t UpgradeSwitch[] = L"/upgrade";
inline constexpr wchar_t UninstallInstallSwitch[] = L"/upgrade_uninstall_install";
inline constexpr wchar_t CleanSetupSwitch[] = L"/clean_setup_file";

// Exists while a copy of the viewer runs (the viewer holds it for its life).
inline constexpr wchar_t RunningEventName[] =
    QUILLORY_HANDOVER_PRODUCT_CODE L"LV_{A7FE042E-D363-4FD3-BC56-7A314933AA14}";
// Held by the setup program in upgrade mode until it ends.
inline constexpr wchar_t SetupUpgradeMutexName[] =
    QUILLORY_HANDOVER_PRODUCT_CODE L"LV_{EA3DD5EA-1885-4FFC-B1F3-AE0AB032ACCF}";
// One plain installation dialog at a time.
inline constexpr wchar_t SetupInstanceMutexName[] =
    L"CustomLumivaneSetup" QUILLORY_HANDOVER_PRODUCT_CODE L"MutexInstance";

// The viewer's file in the installation folder.
inline constexpr wchar_t ViewerFileName[] = L"Quillory Window.exe";

inline constexpr LANGID Bulgarian = 1026;
inline constexpr LANGID English = 1033;
}

// "/upgrade***code***package***folder***event***language": written by the
// viewer's release dialog, read by the setup program.
struct UpgradeRequest
{
    MString productCode;
    MString packagePath;
    MString installFolder;
    MString exitEventName;
    // The viewer's user-interface language; 0 when the item held no digits.
    unsigned language = 0;
};

// "/upgrade_uninstall_install***code***package***folder***language": the
// setup program's command line for its elevated copy. The language item is
// this program's own addition, so that the copy can report in the viewer's
// language; a line without it reads as English.
struct InstallRequest
{
    MString productCode;
    MString packagePath;
    MString installFolder;
    unsigned language = 0;
};

enum class SetupMode
{
    Plain,
    Upgrade,
    UninstallInstall
};

// Chooses the mode from the full process command line: white space, then
// double quotes are removed at both ends; the first "/upgrade_uninstall_install***"
// (else "/upgrade***{") found in any case, and what follows it, is the switch
// text; what stands before it (the program path) is dropped. A switch counts
// only when a braced product code follows it.
SetupMode ChooseSetupMode(const wchar_t* commandLine, MString& switchText);

// The items between the separators; empty pieces are dropped.
std::vector<MString> SplitHandOverItems(const MString& text);

// The leading decimal digits of an item (0 when there are none).
unsigned LeadingNumber(const MString& item);

// Each reader needs the switch text and at least as many items as the line
// has (6 for the upgrade, 4 for the uninstall-install); further items are
// ignored.
bool ParseUpgradeCommandLine(const MString& switchText, UpgradeRequest& request);
bool ParseInstallCommandLine(const MString& switchText, InstallRequest& request);

MString MakeUpgradeCommandLine(const UpgradeRequest& request);
MString MakeInstallCommandLine(const InstallRequest& request);
// The whole line in double quotes, so that it stays one token:
// "\"/clean_setup_file***<setup file>***<process id>\"".
MString MakeCleanSetupCommandLine(const wchar_t* setupFile, DWORD processId);

// The viewer's file in the installation folder; trailing backslashes of the
// folder are removed first, so exactly one stands before the file name.
MString ViewerPathIn(const MString& installFolder);

// MsiExec.exe parameters: remove the product quietly with a progress bar,
// and install a package into a folder with the basic user interface.
MString MsiUninstallParameters(const MString& productCode);
MString MsiInstallParameters(const MString& packagePath, const MString& installFolder);
