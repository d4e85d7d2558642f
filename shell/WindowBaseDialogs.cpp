// CWindowBase: opening the settings, gallery, release and about dialogs on
// the controller's thread, and the stored release record.
#include "shell/WindowBase.h"

#include "foundation/Registry.h"
#include "foundation/SmartPtr.h"
#include "galleries/SelectedFiles.h"
#include "settings/AboutBoxDlg.h"
#include "settings/SettingsDlg.h"
#include "core/DialogEnd.h"
#include "core/PrivateMessages.h"
#include "slideshow/MainWindowThread.h"
#include "slideshow/SettingsRegistry.h"
#include "upgrade/CheckForNewReleaseDlg.h"

#include <memory>

namespace
{
WPARAM SignExtended(DWORD value) { return static_cast<WPARAM>(static_cast<LONG_PTR>(static_cast<LONG>(value))); }

// The main window as a dialog found it when it opened.
struct Opening
{
    HWND mainWindow = nullptr;
    bool wasVisible = false;
    DWORD operationMode = 0;
};

Opening RecordOpening(HWND mainWindow, const MainWindowSnapshot& state)
{
    Opening opening;
    opening.mainWindow = mainWindow;
    opening.wasVisible = mainWindow && ::IsWindowVisible(mainWindow) == 1;
    if (mainWindow)
        opening.operationMode = state.operationMode;
    return opening;
}

void Post(const Opening& opening, const DialogEndMessage& end)
{
    if (opening.mainWindow)
        ::PostMessageW(opening.mainWindow, end.message, end.wParam, end.lParam);
}
}

DialogEndMessage DialogClosedMessage(INT_PTR code, bool wasVisible, DWORD operationMode)
{
    const DWORD value = static_cast<DWORD>(code) | (wasVisible ? DialogClosedWasVisible : 0);
    return DialogEndMessage{WM_DIALOG_CLOSED, SignExtended(value),
                            static_cast<LPARAM>(SignExtended(operationMode))};
}

DialogEndMessage GalleryDialogEndMessage(INT_PTR result, bool wasVisible, DWORD operationMode)
{
    if (result == 0)
        return DialogClosedMessage(1, wasVisible, operationMode);
    if (static_cast<DWORD>(result) == SelectionUnchanged)
        return DialogEndMessage{WM_SELECTION_CHANGED, 0, static_cast<LPARAM>(SelectionUnchanged)};
    return DialogEndMessage{WM_SELECTION_CHANGED, SignExtended(wasVisible ? 0xC0000001u : 0x40000001u),
                            static_cast<LPARAM>(SignExtended(static_cast<DWORD>(result) | 0x80000000u))};
}

// ---- The four dialogs -----------------------------------------------------

template <class Run> void CWindowBase::RunControllerDialog(DWORD reason, Run&& run)
{
    m_dialogs.RunOne([&] {
        const Opening opening = RecordOpening(m_mainWindow, MainWindowState());
        // While it handles this message the main window ends its cross-fade
        // (and, for the settings, remembers its display area).
        SendToMainWindow(WM_SHOW_HIDE, ShowFlagShow | ShowFlagFinishCrossFade, reason);
        const DialogEndMessage end = run(opening);
        Post(opening, end);
    });
}

LRESULT CWindowBase::OpenSettings()
{
    RunControllerDialog(ShowReasonSettings, [&](const Opening& opening) {
        // The dialog edits a copy that the main window takes on its own
        // thread; a saved copy goes back to it by message. The controller's
        // thread never touches the main window's fields. After the dialog,
        // on WM_DIALOG_CLOSED, the main window ends a preview fade, takes its
        // opacity back and, unless the settings were saved, its display area.
        auto settings = std::make_unique<SettingsCopy>();
        const bool copied = SendToMainWindow(WM_COPY_SETTINGS, 0, reinterpret_cast<LPARAM>(settings.get())) != 0;
        INT_PTR result;
        {
            MSmartPtr<CSettingsDlg> dialog(new CSettingsDlg(m_mainWindow, m_dialogs.Slot(), settings.get(), m_hWnd,
                                                            &m_hotKeys.AllowedKeys(), m_hotKeys.Stored()));
            result = dialog->DoModal(GetDesktopWindow());
        }
        if (result == CSettingsDlg::Saved && copied && IsMainWindowRegistered())
        {
            // The icon in the notification area follows the saved setting.
            const bool wanted = settings->settings.trayIcon;
            PostApplySettings(m_registeredMainWindow, std::move(settings));
            if (wanted && !m_trayIcon.IsPresent())
                AddTrayIcon(false);
            else if (!wanted && m_trayIcon.IsPresent())
                DeleteTrayIcon();
        }
        return DialogClosedMessage(result, opening.wasVisible, opening.operationMode);
    });
    return 0;
}

LRESULT CWindowBase::OpenSelectedFiles(std::unique_ptr<MString> path)
{
    RunControllerDialog(ShowReasonGalleries, [&](const Opening& opening) {
        CSelectedFiles dialog(CursorPosition(), m_dialogs.Slot(), m_mainWindow, path ? *path : MString());
        const INT_PTR result = dialog.DoModal(GetDesktopWindow());
        return GalleryDialogEndMessage(result, opening.wasVisible, opening.operationMode);
    });
    return 0;
}

LRESULT CWindowBase::OpenCheckForNewRelease()
{
    // The dialog reads the stored record for its whole run.
    SemaphoreGuard record(m_shared->release.RecordGuard(), SemaphoreGuard::Take::Try);
    if (!record.IsHeld())
        return 0;
    RunControllerDialog(ShowReasonRelease, [&](const Opening& opening) {
        {
            const ReleaseRecord& release = m_shared->release.Record();
            const UpgradeLinks links(release.links);
            const MString notes(release.notes);
            CCheckForNewReleaseDlg dialog(CursorPosition(), m_dialogs.Slot(), release.version, notes, links,
                                          GetUpgradeExitEventName());
            dialog.DoModal(GetDesktopWindow());
        }
        // The release check looks again at once.
        SetEvent(m_shared->events.ReleaseRecheckEvent);
        return DialogClosedMessage(1, opening.wasVisible, opening.operationMode);
    });
    return 0;
}

void CWindowBase::OpenAboutBox()
{
    RunControllerDialog(ShowReasonAbout, [&](const Opening& opening) {
        {
            CAboutBoxDlg dialog(CursorPosition(), m_dialogs.Slot(), m_hWnd, m_mainWindow);
            dialog.DoModal(GetDesktopWindow());
        }
        return DialogClosedMessage(1, opening.wasVisible, opening.operationMode);
    });
}

// ---- The stored release record --------------------------------------------

LRESULT CWindowBase::OnReleaseCheckResult(std::unique_ptr<ReleaseInfo> result)
{
    // A result that arrives while the release dialog reads the record is
    // dropped.
    if (m_shared->release.Take(result.get()))
        RefreshTrayIcon();
    return 0;
}
