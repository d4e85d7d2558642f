// The settings dialog (template 110): size and transparency of the display
// area (previewed live on the main window), the operation mode and its
// intervals, borders, order, anchor corner, the screen saver, start with
// Windows and the tray icon; it opens the hot-key dialog. It edits a copy of
// the main window's settings, which the controller hands back when saved.
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"
#include "resources/languages/LanguageIds.h"
#include "shell/core/ControllerDialog.h"
#include "slideshow/SettingsTypes.h"

#include <array>

struct SettingsCopy;

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

    using EnumTexts = Dictionary<DWORD, MString>;

    // settings is the copy of the main window's record and display area that
    // the dialog edits (the controller hands a saved copy back to the main
    // window); mainWindow gets the live previews; the hot-key tables are the
    // controller's, handed on to the hot-key dialog.
    CSettingsDlg(HWND mainWindow, DialogWindowSlot* slot, SettingsCopy* settings, HWND controllerWindow,
                 const Dictionary<unsigned char, MStringEx<wchar_t>>* allowedKeys,
                 Pair<unsigned char, bool>* hotKeys);
    ~CSettingsDlg() override;

    static const ATL::MessageMap<CSettingsDlg>& GetMessageMap();

    // The text beside an interval: "h:m:s"-like texts of the language module
    // for a value in seconds or minutes; empty when under a minute (seconds)
    // or under an hour (minutes).
    static MString FormatDuration(unsigned __int64 value, Time_unit unit);

private:
    static constexpr size_t ToolTipCount = 15;

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

    void FillCombo(int id, const EnumTexts& texts, bool select, DWORD value);
    DWORD SelectedValue(int id) const;
    bool HasSelection(int id) const;
    void SelectValue(int id, DWORD value);
    MString Text(int id) const;
    void SetText(int id, const wchar_t* text);
    // The edit's number; false when empty or not a number.
    bool Number(int id, unsigned __int64& value) const;
    bool IsChecked(int id) const;
    void Check(int id, bool on);
    void Enable(int id, bool on);
    void Show(int id, bool on);
    int ShowError(const MString& text, UINT flags = MB_ICONERROR);
    void FocusOn(int id);

    void EnableSlideTimerControls(bool on);
    void ShowModeControls(bool oneInterval);
    void EnableScreenSaverControls(bool on);
    void UpdateIntervalToolTip(int edit, int unitCombo, unsigned tipId);
    void SetUpDown(int upDown, int edit, int digits, int low, int high);
    void PlaceBesideMainWindow();
    bool Validate();
    void Apply();

    HWND m_mainWindow;
    SettingsCopy* m_settings;
    HWND m_controllerWindow;
    const Dictionary<unsigned char, MStringEx<wchar_t>>* m_allowedKeys;
    Pair<unsigned char, bool>* m_hotKeys;
    // Where the open hot-key dialog records its window.
    DialogWindowSlot m_hotKeysSlot;

    MString m_caption;
    MString m_productName;
    EnumTexts m_screenSaverModes;
    EnumTexts m_operationModes;
    EnumTexts m_windowBorders;
    EnumTexts m_imageBorders;
    EnumTexts m_displayOrders;
    EnumTexts m_anchorCorners;
    EnumTexts m_timeUnits;

    // Working copies.
    int m_size;
    bool m_trayIcon;
    DWORD m_screenSaverMode;
    unsigned __int64 m_idleSeconds;
    bool m_lock;
    DWORD m_operationMode;
    // Set while the dialog writes texts itself, so that the change handlers
    // leave them alone.
    bool m_intervalBusy = false;
    bool m_idleBusy = false;
    bool m_sizeBusy = false;
    bool m_intervalABusy = false;
    bool m_intervalBBusy = false;
    // The dialog made the main window topmost (and puts it back as it ends).
    bool m_mainWindowOnTop = false;

    struct ToolTip
    {
        int control;
        HWND window;
        MString text;
    };
    std::array<ToolTip, ToolTipCount> m_toolTips;
};
