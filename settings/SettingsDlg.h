// The settings dialog (template 110): size and transparency of the display
// area (previewed live on the main window), the operation mode and its
// intervals, borders, order, anchor corner, the screen saver, start with
// Windows and the tray icon; it opens the hot-key dialog. It edits a copy of
// the main window's settings, which the controller hands back when saved.
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "settings/DialogItems.h"
#include "settings/HotKeysOpener.h"
#include "settings/IntervalEdits.h"
#include "settings/ScreenSaverControls.h"
#include "settings/SettingsToolTips.h"
#include "core/ControllerDialog.h"
#include "slideshow/SettingsTypes.h"

class CSettingsDlg : public CControllerDialog<CSettingsDlg>
{
public:
    enum : INT_PTR
    {
        IDD = IDD_SETTINGS,
        Saved = 0,
        Cancelled = 1,
        ClosedByProgram = 2,
        AcceptedResult = Saved,
        CancelledResult = Cancelled,
        ClosedResult = ClosedByProgram,
    };

    using EnumTexts = DialogItems::ChoiceTexts;

    // settings is the copy of the main window's record and display area that
    // the dialog edits (the controller hands a saved copy back to the main
    // window); mainWindow gets the live previews; the hot-key tables are the
    // controller's, handed on to the hot-key dialog.
    CSettingsDlg(HWND mainWindow, DialogWindowSlot* slot, SettingsCopy* settings, HWND controllerWindow,
                 const Dictionary<unsigned char, MStringEx<wchar_t>>* allowedKeys,
                 Pair<unsigned char, bool>* hotKeys);
    ~CSettingsDlg() override;

    static const ATL::MessageMap<CSettingsDlg>& GetMessageMap();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTransparencyChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnSizeChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnOperationModeChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnSlideIntervalChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnIntervalAChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnIntervalBChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnSlideTimerClicked(WORD, WORD, HWND, BOOL&);
    LRESULT OnScreenSaverChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnIdleTimeChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnOptionClicked(WORD, WORD, HWND, BOOL&);
    LRESULT OnHotKeys(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnIgnore(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnCancelCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseDialogs(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnToolTipShow(UINT, WPARAM, LPARAM, BOOL&);

    // Every way out: the hot-key dialog is closed with this one, a topmost
    // main window goes back to normal.
    void End(INT_PTR result);

    int ShowError(const MString& text, UINT flags = MB_ICONERROR);

    void ShowModeControls(bool oneInterval);
    void UpdateIntervalToolTip(int edit, int unitCombo, unsigned tipId);
    void PlaceBesideMainWindow();
    bool Validate();
    void Apply();

    HWND m_mainWindow;
    SettingsCopy* m_settings;
    HotKeysOpener m_hotKeys;

    MString m_caption;
    MString m_productName;
    EnumTexts m_operationModes;
    EnumTexts m_windowBorders;
    EnumTexts m_imageBorders;
    EnumTexts m_displayOrders;
    EnumTexts m_anchorCorners;

    DialogItems m_items;
    IntervalEdits m_intervals;
    ScreenSaverControls m_screenSaver;
    SettingsToolTips m_toolTips;

    // Working copies.
    int m_size;
    bool m_trayIcon;
    DWORD m_operationMode;
    // Set while the size edit follows its up-down, so that its change
    // handler leaves it alone.
    bool m_sizeBusy = false;
    // The dialog made the main window topmost (and puts it back as it ends).
    bool m_mainWindowOnTop = false;
};
