// The plain-installation dialog of Quillory Setup: the product artwork and
// one button that opens the installer package that suits the running
// Windows. Also the package's file name and its launch.
#pragma once

#include "foundation/GdiOwners.h"
#include "foundation/StringEx.h"
#include "setup/SetupSystem.h"

#include <windows.h>

// "%s\%s - Setup for Windows %s- %d bit.msi": the folder, the product name,
// "XP " below Windows 6 (nothing from 6 on), and 64 on an AMD64 processor
// (32 on every other, ARM64 included).
MString MsiPackageFileName(const MString& folder, DWORD windowsMajor, WORD processorArchitecture);

// The package beside the program file, for the running Windows.
MString MakeMsiFileName(const MString& ownPath);

// Opens the package; when that fails, tells the user (string 105 and the
// read-me file on an installation disc, string 112 elsewhere). Boxes are
// centred on owner under the caption. Answers whether the package opened.
bool LaunchInstallPackage(SetupSystem& system, HMODULE module, HWND owner, const wchar_t* caption,
                          const MString& ownPath, const MString& packagePath);

class CSetupDlg
{
public:
    // Resources come from module: template 101, icon 100, artwork "PNG" 103,
    // the string table and the version block. GDI+ must be running.
    CSetupDlg(SetupSystem& system, HMODULE module, const MString& ownPath);
    CSetupDlg(const CSetupDlg&) = delete;
    CSetupDlg& operator=(const CSetupDlg&) = delete;
    ~CSetupDlg() = default;

    // Runs the dialog modally; answers its end code (0 from the close box).
    INT_PTR DoModal(HWND owner);

    const MString& Title() const { return m_title; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnDestroy();

    SetupSystem& m_system;
    HMODULE m_module;
    MString m_ownPath;
    MString m_title;
    MBitmap m_artwork;
    MIcon m_icon;
    HWND m_window = nullptr;
    HWND m_picture = nullptr;
    HWND m_button = nullptr;
};
