// What the setup program does to the rest of the system: start programs
// (elevated or not, waiting or not), show message boxes, sleep, and find
// the cached package of the installed product. The real calls are the
// default; tests put a recording stand-in in place, so that no MsiExec.exe,
// elevation prompt or viewer start happens while the modes are tested.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

// The outcome of one program run that is waited for.
struct RunResult
{
    // False when the program could not be started (startError says why).
    bool started = false;
    DWORD startError = 0;
    // The program's exit code once it has ended.
    DWORD exitCode = 0;
};

class SetupSystem
{
public:
    virtual ~SetupSystem() = default;

    // ShellExecuteExW of file with parameters and the verb (null for the
    // default one), shown normally; waits without limit for it to end.
    virtual RunResult RunAndWait(const wchar_t* verb, const wchar_t* file, const wchar_t* parameters) = 0;
    // CreateProcessW of application with the command line; nothing waits.
    virtual bool StartProgram(const wchar_t* application, const wchar_t* commandLine) = 0;
    // A message box centred on its owner (the desktop when owner is the
    // desktop window or null); answers the button pressed.
    virtual int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
    // ShellExecuteExW "open" of a document (the installer package, the
    // read-me file) without waiting and without the system's error boxes.
    virtual bool OpenDocument(const wchar_t* path) = 0;
    // GetDriveTypeW of a root such as "D:\".
    virtual UINT DriveType(const wchar_t* root) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    // The Windows Installer's cached copy of the installed product's
    // package, or the empty string when there is none on disk.
    virtual MString FindInstalledPackage(const wchar_t* productCode) = 0;
};

// The real calls.
SetupSystem& RealSetupSystem();

// The folder key of a product code below the Windows Installer's UserData
// key: the GUID's hexadecimal digits, each of the first three groups
// reversed and each following byte's two digits swapped. Empty for a text
// that is no braced GUID.
MString PackedProductCode(const wchar_t* productCode);

// The cached package of a product from the registry of the local machine:
// "LocalPackage" of ...\Installer\UserData\<user>\Products\<packed>\InstallProperties
// for any user key, when that file exists.
MString FindInstalledPackageInRegistry(const wchar_t* productCode);

// The Windows version from RtlGetVersion of ntdll.dll; 0.0 when the function
// is missing or fails.
void GetWindowsVersion(DWORD& major, DWORD& minor);
