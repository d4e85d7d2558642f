#include "setup/SetupDlg.h"

#include "foundation/HandleMemory.h"
#include "foundation/SystemUtilities.h"
#include "foundation/WindowPlacement.h"
#include "resources/setup/SetupResourceIds.h"
#include "setup/SetupText.h"

#include <objidl.h>
#include <gdiplus.h>

namespace
{
// The artwork as a GDI bitmap: the PNG resource decoded by GDI+ over a
// stream on movable memory, opaque black under transparent pixels.
HBITMAP LoadArtwork(HMODULE module)
{
    HandleMemory<unsigned char> bytes;
    bytes.LoadFromResource(module, L"PNG", IDP_SETUP_ARTWORK);
    if (!bytes.GetStream())
        return nullptr;
    Gdiplus::GpBitmap* decoded = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(bytes.GetStream(), &decoded) != Gdiplus::Ok || !decoded)
        return nullptr;
    HBITMAP bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(decoded, &bitmap, 0xFF000000) != Gdiplus::Ok)
        bitmap = nullptr;
    Gdiplus::DllExports::GdipDisposeImage(decoded);
    return bitmap;
}

MString FileNameOf(const MString& path)
{
    return path.AfterLast(L'\\', true);
}
}

MString MsiPackageFileName(const MString& folder, DWORD windowsMajor, WORD processorArchitecture)
{
    return MString(sX::Format(), L"%s\\%s - Setup for Windows %s- %d bit.msi", folder.GetText(), ProductName,
                   windowsMajor < 6 ? L"XP " : L"", processorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? 64 : 32);
}

MString MakeMsiFileName(const MString& ownPath)
{
    DWORD major = 0, minor = 0;
    GetWindowsVersion(major, minor);
    SYSTEM_INFO system = {};
    GetNativeSystemInfo(&system);
    return MsiPackageFileName(ownPath.BeforeLast(L'\\', true), major, system.wProcessorArchitecture);
}

bool LaunchInstallPackage(SetupSystem& system, HMODULE module, HWND owner, const wchar_t* caption,
                          const MString& ownPath, const MString& packagePath)
{
    if (system.OpenDocument(packagePath.GetText()))
        return true;
    const LANGID language = DefaultSetupLanguage();
    const MString fileName = FileNameOf(packagePath);
    const MString root = ownPath.Left(3);
    if (system.DriveType(root.GetText()) == DRIVE_CDROM)
    {
        system.ShowMessage(
            owner, FormatSetupString(module, IDS_SETUP_PACKAGE_NOT_STARTED_CD, language, fileName.GetText()).GetText(),
            caption, MB_ICONERROR);
        const MString readMe(sX::Format(), L"%s\\Read Me.htm", packagePath.BeforeLast(L'\\', true).GetText());
        if (!system.OpenDocument(readMe.GetText()))
            system.ShowMessage(owner, SetupString(module, IDS_SETUP_README_NOT_OPENED, language).GetText(), caption,
                               MB_ICONERROR);
    }
    else
    {
        system.ShowMessage(
            owner, FormatSetupString(module, IDS_SETUP_PACKAGE_NOT_STARTED, language, fileName.GetText()).GetText(),
            caption, MB_ICONERROR);
    }
    return false;
}

CSetupDlg::CSetupDlg(SetupSystem& system, HMODULE module, const MString& ownPath)
    : m_system(system), m_module(module), m_ownPath(ownPath), m_title(SetupCaption(module)),
      m_artwork(LoadArtwork(module)),
      m_icon(static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)))
{
}

INT_PTR CSetupDlg::DoModal(HWND owner)
{
    return DialogBoxParamW(m_module, MAKEINTRESOURCEW(IDD_SETUP), owner, DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CSetupDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_INITDIALOG)
    {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<CSetupDlg*>(lParam)->m_window = window;
    }
    CSetupDlg* dialog = reinterpret_cast<CSetupDlg*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    // Nothing may leave a window procedure: a failure ends in the default
    // handling of the message.
    try
    {
        return dialog->HandleMessage(message, wParam, lParam);
    }
    catch (...)
    {
        return FALSE;
    }
}

INT_PTR CSetupDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_SETUP_INSTALL && HIWORD(wParam) == BN_CLICKED)
        {
            LaunchInstallPackage(m_system, m_module, m_window, m_title.GetText(), m_ownPath,
                                 MakeMsiFileName(m_ownPath));
            return TRUE;
        }
        // Enter and Escape do not close the dialog: only the close box does.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            return TRUE;
        return FALSE;
    case WM_CLOSE:
        EndDialog(m_window, 0);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default:
        (void)lParam;
        return FALSE;
    }
}

void CSetupDlg::OnInitDialog()
{
    m_picture = GetDlgItem(m_window, IDC_SETUP_PICTURE);
    m_button = GetDlgItem(m_window, IDC_SETUP_INSTALL);
    SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));
    SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.Get()));
    SetWindowTextW(m_window, m_title.GetText());

    // The picture control takes the artwork's own size, its top-left corner
    // kept.
    BITMAP size = {};
    if (m_artwork.IsValid() && m_picture && GetObjectW(m_artwork.Get(), sizeof(size), &size))
    {
        RECT placed = {};
        GetWindowRect(m_picture, &placed);
        MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&placed), 2);
        SetWindowPos(m_picture, nullptr, placed.left, placed.top, size.bmWidth, size.bmHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (m_picture)
    {
        const LONG_PTR style = GetWindowLongPtrW(m_picture, GWL_STYLE);
        SetWindowLongPtrW(m_picture, GWL_STYLE, (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | SS_BITMAP);
        // The control hands back a bitmap it held before: none here.
        HBITMAP previous = reinterpret_cast<HBITMAP>(
            SendMessageW(m_picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_artwork.Get())));
        if (previous && previous != m_artwork.Get())
            DeleteObject(previous);
    }

    // The dialog ends half a button's height (and 4 pixels) below the button.
    RECT dialog = {};
    RECT button = {};
    GetWindowRect(m_window, &dialog);
    if (m_button && GetWindowRect(m_button, &button))
    {
        dialog.bottom = button.bottom + (button.bottom - button.top) / 2 + 4;
        SetWindowPos(m_window, nullptr, 0, 0, dialog.right - dialog.left, dialog.bottom - dialog.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CRect centred(dialog);
    CenterRectOnPrimaryMonitor(centred);
    SetWindowPos(m_window, nullptr, centred.left, centred.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CSetupDlg::OnDestroy()
{
    // The bitmap stays this object's: the control lets go of it first.
    // A control that drew from a copy of its own hands that copy back.
    if (!m_picture)
        return;
    HBITMAP held = reinterpret_cast<HBITMAP>(SendMessageW(m_picture, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (held && held != m_artwork.Get())
        DeleteObject(held);
}
