#include "settings/SettingsDlg.h"

#include "foundation/ShellHelpers.h"
#include "foundation/WindowPlacement.h"
#include "settings/HotKeysDlg.h"
#include "shell/core/EditContextMenu.h"
#include "shell/core/Help.h"
#include "shell/core/HelpContexts.h"
#include "shell/core/MessageBox.h"
#include "slideshow/MainWindowThread.h"

#include <commctrl.h>

#include <algorithm>

namespace
{
constexpr unsigned __int64 MaxIntervalA = 599940; // 9999 minutes
constexpr unsigned __int64 MaxIntervalB = 599939;
constexpr unsigned __int64 MaxSize = 999;
constexpr unsigned __int64 MaxTransparency = 250;
constexpr unsigned __int64 MaxIdleMinutes = 999;
// A display area narrower than this needs the tray icon to stay reachable.
constexpr unsigned __int64 NarrowestWithoutTrayIcon = 8;
constexpr WPARAM HelpCommand = 0x20;

// The modes that keep the main window on top of the dialog, and those that
// need the tray icon.
bool KeepsMainWindowOnTop(DWORD mode) { return mode == 0x4000000 || mode == 0x5000000; }
bool ForcesTrayIcon(DWORD mode) { return mode == 0x2000000 || mode == 0x3000000 || mode == 0x5000000; }
bool IsOneInterval(DWORD mode) { return IsSingleIntervalMode(static_cast<OperationMode>(mode)); }

unsigned __int64 Seconds(unsigned __int64 value, DWORD unit)
{
    return unit == static_cast<DWORD>(Time_unit::Minutes) ? value * 60 : value;
}

// An interval as its edit shows it in the unit.
MString InUnit(unsigned __int64 seconds, Time_unit unit)
{
    return MString(sX::Format(), L"%I64u", unit == Time_unit::Minutes ? seconds / 60 : seconds);
}

using Entry = CSettingsDlg::EnumTexts::Entry;
Entry* EnumText(DWORD value, unsigned id) { return new Entry(value, MString(ResId(id))); }

// The edits that get the program's context menu.
const int SubclassedEdits[] = {IDC_SET_SIZE, IDC_SET_TRANSPARENCY, IDC_SET_SLIDE_INTERVAL,
                               IDC_SET_INTERVAL_A, IDC_SET_INTERVAL_B, IDC_SET_IDLE};
}

CSettingsDlg::CSettingsDlg(HWND mainWindow, DialogWindowSlot* slot, SettingsCopy* settings, HWND controllerWindow,
                           const Dictionary<unsigned char, MStringEx<wchar_t>>* allowedKeys,
                           Pair<unsigned char, bool>* hotKeys)
    : CControllerDialog<CSettingsDlg>(L"CSettingsDlg", slot, CursorPosition()), m_mainWindow(mainWindow),
      m_settings(settings), m_controllerWindow(controllerWindow), m_allowedKeys(allowedKeys), m_hotKeys(hotKeys),
      m_caption(ResId(IDS_PRODUCT_CAPTION)), m_productName(ResId(IDS_PRODUCT_NAME)),
      m_screenSaverModes(EnumText(0, IDS_SAVER_OFF), EnumText(1, IDS_SAVER_SPAN_FIT), EnumText(2, IDS_SAVER_SPAN_FILL),
                         EnumText(5, IDS_SAVER_EACH_FIT), EnumText(6, IDS_SAVER_EACH_FILL), EnumText(3, IDS_SAVER_PRIMARY_FIT),
                         EnumText(4, IDS_SAVER_PRIMARY_FILL)),
      m_operationModes(EnumText(0x1000000, IDS_MODE_FADE_ON_CTRL_HOVER), EnumText(0, IDS_MODE_FADE_ON_HOVER),
                       EnumText(0x3000000, IDS_MODE_CYCLE_FADE_ON_CTRL_HOVER),
                       EnumText(0x2000000, IDS_MODE_CYCLE_FADE_ON_HOVER), EnumText(0x4000000, IDS_MODE_APP_WINDOW),
                       EnumText(0x5000000, IDS_MODE_TOOL_WINDOW)),
      m_windowBorders(EnumText(0, IDS_BORDER_NONE), EnumText(1, IDS_BORDER_THIN), EnumText(2, IDS_BORDER_DIALOG)),
      m_imageBorders(EnumText(0, IDS_BORDER_NONE), EnumText(1, IDS_BORDER_THIN), EnumText(2, IDS_BORDER_MODAL)),
      m_displayOrders(EnumText(0, IDS_ORDER_RANDOM), EnumText(0x20000000, IDS_ORDER_BY_NAME)),
      m_anchorCorners(EnumText(0, IDS_ANCHOR_AUTOMATIC), EnumText(0x200000, IDS_ANCHOR_TOP_LEFT),
                      EnumText(0x400000, IDS_ANCHOR_TOP_RIGHT), EnumText(0x600000, IDS_ANCHOR_BOTTOM_LEFT),
                      EnumText(0x800000, IDS_ANCHOR_BOTTOM_RIGHT)),
      m_timeUnits(EnumText(0, IDS_UNIT_SECONDS), EnumText(1, IDS_UNIT_MINUTES)),
      m_size(static_cast<int>(settings->displayArea.right - settings->displayArea.left)),
      m_trayIcon(settings->settings.trayIcon), m_screenSaverMode(static_cast<DWORD>(settings->settings.screenSaverMode)),
      m_idleSeconds(settings->settings.idleSeconds), m_lock(settings->settings.lockOnScreenSaverEnd),
      m_operationMode(static_cast<DWORD>(settings->settings.operationMode))
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const struct
    {
        int control;
        unsigned text;
        bool withName;
    } tips[ToolTipCount] = {
        {IDC_SET_SIZE, IDS_TIP_SIZE, false},           {IDC_SET_ANCHOR, IDS_TIP_ANCHOR, false},
        {IDC_SET_TRANSPARENCY, IDS_TIP_TRANSPARENCY, false}, {IDC_SET_WINDOW_BORDER, IDS_TIP_WINDOW_BORDER, false},
        {IDC_SET_IMAGE_BORDER, IDS_TIP_IMAGE_BORDER, false}, {IDC_SET_MODE, IDS_TIP_MODE, true},
        {IDC_SET_SLIDE_INTERVAL, IDS_TIP_SLIDE_INTERVAL, false}, {IDC_SET_SLIDE_UNIT, IDS_TIP_SLIDE_UNIT, false},
        {IDC_SET_INTERVAL_A, IDS_TIP_INTERVAL_A, false}, {IDC_SET_UNIT_A, IDS_TIP_UNIT_A, false},
        {IDC_SET_INTERVAL_B, IDS_TIP_INTERVAL_B, false}, {IDC_SET_UNIT_B, IDS_TIP_UNIT_B, false},
        {IDC_SET_ORDER, IDS_TIP_ORDER, false},          {IDC_SET_SCREEN_SAVER, IDS_TIP_SCREEN_SAVER, true},
        {IDC_SET_IDLE, IDS_TIP_IDLE, true},
    };
    for (size_t i = 0; i < ToolTipCount; ++i)
        m_toolTips[i] = ToolTip{tips[i].control, nullptr,
                                tips[i].withName ? MString(sX::Format(), tips[i].text, m_productName.GetText())
                                                 : MString(ResId(tips[i].text))};
}

CSettingsDlg::~CSettingsDlg() = default;

const ATL::MessageMap<CSettingsDlg>& CSettingsDlg::GetMessageMap()
{
    using T = CSettingsDlg;
    static const ATL::MessageMap<T> map = ATL::MessageMap<T>()
        .Message(WM_INITDIALOG, &T::OnInitDialog)
        .Message(WM_DESTROY, &T::OnDestroy)
        .Command(IDC_SET_TRANSPARENCY, EN_CHANGE, &T::OnTransparencyChanged)
        .Command(IDC_SET_SIZE, EN_CHANGE, &T::OnSizeChanged)
        .Command(IDC_SET_MODE, CBN_SELCHANGE, &T::OnOperationModeChanged)
        .Command(IDC_SET_SLIDE_UNIT, CBN_SELCHANGE, &T::OnSlideIntervalChanged)
        .Command(IDC_SET_SLIDE_INTERVAL, EN_CHANGE, &T::OnSlideIntervalChanged)
        .Command(IDC_SET_UNIT_A, CBN_SELCHANGE, &T::OnIntervalAChanged)
        .Command(IDC_SET_INTERVAL_A, EN_CHANGE, &T::OnIntervalAChanged)
        .Command(IDC_SET_UNIT_B, CBN_SELCHANGE, &T::OnIntervalBChanged)
        .Command(IDC_SET_INTERVAL_B, EN_CHANGE, &T::OnIntervalBChanged)
        .Command(IDC_SET_SLIDE_TIMER, BN_CLICKED, &T::OnSlideTimerClicked)
        .Command(IDC_SET_SCREEN_SAVER, CBN_SELCHANGE, &T::OnScreenSaverChanged)
        .Command(IDC_SET_IDLE, EN_CHANGE, &T::OnIdleTimeChanged)
        .Command(IDC_SET_LOCK, BN_CLICKED, &T::OnOptionClicked)
        .Command(IDC_SET_TRAY_ICON, BN_CLICKED, &T::OnOptionClicked)
        .Command(IDC_SET_HOT_KEYS, BN_CLICKED, &T::OnHotKeys)
        .Command(IDC_SET_OK, BN_CLICKED, &T::OnOK)
        // Enter in an edit does not confirm.
        .Command(IDOK, &T::OnIgnore)
        .Command(IDCANCEL, &T::OnCancelCommand)
        .Command(IDC_SET_CANCEL, BN_CLICKED, &T::OnCancelCommand)
        .Message(WM_CLOSE, &T::OnClose)
        .Message(WM_CLOSE_REQUEST, &T::OnCloseRequest)
        .RegisteredMessage(&T::m_closeDialogsMessage, &T::OnCloseDialogs)
        .Message(WM_HELP, &T::OnHelp)
        .Message(WM_SYSCOMMAND, &T::OnSysCommand)
        .Message(WM_NOTIFY, &T::OnToolTipShow);
    return map;
}

// ---- Small control helpers ----------------------------------------------------

void CSettingsDlg::FillCombo(int id, const EnumTexts& texts, bool select, DWORD value)
{
    // A value without an entry is a damaged setting in memory.
    if (select)
        texts.GetValue(value);
    HWND combo = GetDlgItem(id);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (unsigned __int64 i = 0; i < texts.GetCount(); ++i)
    {
        const Entry& entry = *texts.GetAt(i);
        const LRESULT index = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.second.GetText()));
        ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), entry.first);
    }
    if (select)
        SelectValue(id, value);
}

void CSettingsDlg::SelectValue(int id, DWORD value)
{
    HWND combo = GetDlgItem(id);
    const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        if (static_cast<DWORD>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == value)
        {
            ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
}

bool CSettingsDlg::HasSelection(int id) const { return ::SendMessageW(GetDlgItem(id), CB_GETCURSEL, 0, 0) != CB_ERR; }

DWORD CSettingsDlg::SelectedValue(int id) const
{
    HWND combo = GetDlgItem(id);
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return 0;
    return static_cast<DWORD>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

MString CSettingsDlg::Text(int id) const
{
    HWND control = GetDlgItem(id);
    const int length = ::GetWindowTextLengthW(control);
    MString text{ElementCount(static_cast<unsigned __int64>(length))};
    if (length > 0)
        ::GetWindowTextW(control, text.GetData(), length + 1);
    return MString(text.GetText());
}

void CSettingsDlg::SetText(int id, const wchar_t* text) { ::SetWindowTextW(GetDlgItem(id), text); }

bool CSettingsDlg::Number(int id, unsigned __int64& value) const
{
    const MString text = Text(id);
    return !text.IsEmpty() && text.ToUInt64(value);
}

bool CSettingsDlg::IsChecked(int id) const { return ::SendMessageW(GetDlgItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void CSettingsDlg::Check(int id, bool on) { ::SendMessageW(GetDlgItem(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
void CSettingsDlg::Enable(int id, bool on) { ::EnableWindow(GetDlgItem(id), on); }
void CSettingsDlg::Show(int id, bool on) { ::ShowWindow(GetDlgItem(id), on ? SW_SHOW : SW_HIDE); }
void CSettingsDlg::FocusOn(int id) { ::SetFocus(GetDlgItem(id)); }

int CSettingsDlg::ShowError(const MString& text, UINT flags)
{
    return LocalizedMessageBox(m_hWnd, text.GetText(), m_caption.GetText(), flags);
}

void CSettingsDlg::SetUpDown(int upDown, int edit, int digits, int low, int high)
{
    HWND spin = GetDlgItem(upDown);
    ::SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(static_cast<HWND>(GetDlgItem(edit))), 0);
    ::SendMessageW(GetDlgItem(edit), EM_LIMITTEXT, static_cast<WPARAM>(digits), 0);
    ::SendMessageW(spin, UDM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
}

// ---- Initialisation -------------------------------------------------------------

LRESULT CSettingsDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    const PerformanceData& settings = m_settings->settings;
    const SettingsCopy::TimerFields& timer = m_settings->timer;

    SetWindowText(MString(sX::Format(), IDS_SETTINGS_TITLE, m_caption.GetText()).GetText());
    if (m_slot)
        m_slot->Record(m_hWnd);
    if (m_mainWindow)
    {
        SetIcon(reinterpret_cast<HICON>(::SendMessageW(m_mainWindow, WM_GETICON, ICON_BIG, 0)), TRUE);
        SetIcon(reinterpret_cast<HICON>(::SendMessageW(m_mainWindow, WM_GETICON, ICON_SMALL, 0)), FALSE);
    }
    SetWindowContextHelpId(DialogHelpBase + IDD_SETTINGS);
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SetWindowContextHelpId(child, DialogHelpBase + static_cast<DWORD>(::GetDlgCtrlID(child)));

    for (int id : SubclassedEdits)
    {
        HWND edit = GetDlgItem(id);
        ::SetWindowLongPtrW(edit, GWLP_USERDATA, ::GetWindowLongPtrW(edit, GWLP_WNDPROC));
        ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditContextMenuSubclassProc));
    }
    for (ToolTip& tip : m_toolTips)
        CreateToolTip(m_hWnd, GetDlgItem(tip.control), tip.window, tip.text);

    SetUpDown(IDC_SET_SIZE_SPIN, IDC_SET_SIZE, 3, 1, static_cast<int>(MaxSize));
    ::SendMessageW(GetDlgItem(IDC_SET_SIZE_SPIN), UDM_SETPOS32, 0, m_size);
    SetUpDown(IDC_SET_TRANSPARENCY_SPIN, IDC_SET_TRANSPARENCY, 3, 0, static_cast<int>(MaxTransparency));
    ::SendMessageW(GetDlgItem(IDC_SET_TRANSPARENCY_SPIN), UDM_SETPOS32, 0, 255 - settings.opacity);

    FillCombo(IDC_SET_MODE, m_operationModes, true, m_operationMode);
    FillCombo(IDC_SET_SLIDE_UNIT, m_timeUnits, true, static_cast<DWORD>(timer.unitA));
    FillCombo(IDC_SET_UNIT_A, m_timeUnits, true, static_cast<DWORD>(timer.unitA));
    FillCombo(IDC_SET_UNIT_B, m_timeUnits, true, static_cast<DWORD>(timer.unitB));
    FillCombo(IDC_SET_ORDER, m_displayOrders, true, static_cast<DWORD>(settings.displayOrder));
    Check(IDC_SET_VIEWER_OPTION, settings.largePhotoCaption);
    Check(IDC_SET_SLIDE_TIMER, timer.enabled);

    SetUpDown(IDC_SET_SLIDE_INTERVAL_SPIN, IDC_SET_SLIDE_INTERVAL, 4, 1, 9999);
    SetUpDown(IDC_SET_INTERVAL_A_SPIN, IDC_SET_INTERVAL_A, 4, 1, 9999);
    SetUpDown(IDC_SET_INTERVAL_B_SPIN, IDC_SET_INTERVAL_B, 4, 1, 9999);
    SetUpDown(IDC_SET_IDLE_SPIN, IDC_SET_IDLE, 3, 1, static_cast<int>(MaxIdleMinutes));
    FillCombo(IDC_SET_SCREEN_SAVER, m_screenSaverModes, false, 0);
    m_screenSaverModes.GetValue(m_screenSaverMode);
    FillCombo(IDC_SET_WINDOW_BORDER, m_windowBorders, true, settings.windowBorder);
    FillCombo(IDC_SET_IMAGE_BORDER, m_imageBorders, true, settings.imageBorder);
    FillCombo(IDC_SET_ANCHOR, m_anchorCorners, true, static_cast<DWORD>(settings.anchorCorner));
    Check(IDC_SET_TRAY_ICON, m_trayIcon);
    Check(IDC_SET_AUTO_START, settings.autoStart);

    PlaceBesideMainWindow();

    SetText(IDC_SET_INTERVAL_A, InUnit(timer.intervalA, timer.unitA).GetText());
    SetText(IDC_SET_INTERVAL_B, InUnit(timer.intervalB, timer.unitB).GetText());

    EnableSlideTimerControls(timer.enabled);
    ShowModeControls(IsOneInterval(m_operationMode));

    m_mainWindowOnTop = KeepsMainWindowOnTop(m_operationMode) && m_mainWindow;
    if (m_mainWindowOnTop)
        ::SendMessageW(m_mainWindow, WM_SET_TOPMOST, 1, 0);
    FocusOn(IDC_SET_OK);
    return FALSE;
}

void CSettingsDlg::PlaceBesideMainWindow()
{
    RECT dialog = {};
    GetWindowRect(&dialog);
    RECT main = {};
    if (!m_mainWindow || !::GetWindowRect(m_mainWindow, &main))
    {
        CenterWindowOnParent(m_hWnd);
        return;
    }
    RECT placed = dialog;
    bool found = PlaceRectNearPoint(POINT{main.left, main.top}, POINT{main.left, main.bottom}, true, placed);
    if (!found)
    {
        placed = dialog;
        found = PlaceRectNearPoint(POINT{main.right, main.top}, POINT{main.right, main.bottom}, false, placed);
    }
    if (!found)
    {
        CenterWindowOnParent(m_hWnd);
        return;
    }
    if (!IsRectOnMonitors(placed))
        FitRectToMonitor(placed, false, false);
    SetWindowPos(nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CSettingsDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    for (int id : SubclassedEdits)
    {
        HWND edit = GetDlgItem(id);
        const LONG_PTR previous = ::GetWindowLongPtrW(edit, GWLP_USERDATA);
        if (previous)
            ::SetWindowLongPtrW(edit, GWLP_WNDPROC, previous);
    }
    for (ToolTip& tip : m_toolTips)
        if (tip.window)
        {
            ::DestroyWindow(tip.window);
            tip.window = nullptr;
        }
    if (m_slot)
        m_slot->Clear(m_hWnd);
    handled = TRUE;
    return 0;
}

// ---- The groups of controls -------------------------------------------------------

void CSettingsDlg::EnableSlideTimerControls(bool on)
{
    m_intervalBusy = true;
    if (on)
    {
        SelectValue(IDC_SET_SLIDE_UNIT, SelectedValue(IDC_SET_UNIT_A));
        Enable(IDC_SET_SLIDE_UNIT, true);
        Enable(IDC_SET_SLIDE_INTERVAL, true);
        Enable(IDC_SET_SLIDE_INTERVAL_SPIN, true);
        SetText(IDC_SET_SLIDE_INTERVAL, Text(IDC_SET_INTERVAL_A).GetText());
        Enable(IDC_SET_SLIDE_DURATION, true);
        unsigned __int64 value = 0;
        SetText(IDC_SET_SLIDE_DURATION,
                Number(IDC_SET_SLIDE_INTERVAL, value)
                    ? FormatDuration(value, static_cast<Time_unit>(SelectedValue(IDC_SET_SLIDE_UNIT))).GetText()
                    : L"");
    }
    else
    {
        Enable(IDC_SET_SLIDE_INTERVAL, false);
        Enable(IDC_SET_SLIDE_INTERVAL_SPIN, false);
        SetText(IDC_SET_SLIDE_INTERVAL, L"");
        ::SendMessageW(GetDlgItem(IDC_SET_SLIDE_UNIT), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        Enable(IDC_SET_SLIDE_UNIT, false);
        Enable(IDC_SET_SLIDE_DURATION, false);
    }
    m_intervalBusy = false;
}

void CSettingsDlg::ShowModeControls(bool oneInterval)
{
    for (int id : {IDC_SET_SLIDE_TIMER, IDC_SET_SLIDE_INTERVAL, IDC_SET_SLIDE_INTERVAL_SPIN, IDC_SET_SLIDE_DURATION,
                   IDC_SET_SLIDE_UNIT})
        Show(id, oneInterval);
    for (int id : {IDC_SET_CYCLE_LABEL, IDC_SET_INTERVAL_A, IDC_SET_INTERVAL_A_SPIN, IDC_SET_UNIT_A,
                   IDC_SET_SHOWN_LABEL, IDC_SET_INTERVAL_B, IDC_SET_INTERVAL_B_SPIN, IDC_SET_UNIT_B})
        Show(id, !oneInterval);
    Enable(IDC_SET_SLIDE_LABEL, oneInterval);
    if (oneInterval)
    {
        SelectValue(IDC_SET_SCREEN_SAVER, m_screenSaverMode);
        Enable(IDC_SET_SCREEN_SAVER, true);
        EnableScreenSaverControls(m_screenSaverMode != 0);
    }
    else
    {
        // The show/hide modes have no screen saver; the stored mode stays.
        SelectValue(IDC_SET_SCREEN_SAVER, 0);
        for (int id : {IDC_SET_SCREEN_SAVER, IDC_SET_IDLE_LABEL, IDC_SET_IDLE, IDC_SET_IDLE_SPIN, IDC_SET_IDLE_TEXT,
                       IDC_SET_LOCK})
            Enable(id, false);
        m_idleBusy = true;
        SetText(IDC_SET_IDLE, L"");
        Check(IDC_SET_LOCK, false);
        m_idleBusy = false;
    }
    if (ForcesTrayIcon(SelectedValue(IDC_SET_MODE)))
    {
        Check(IDC_SET_TRAY_ICON, true);
        Enable(IDC_SET_TRAY_ICON, false);
    }
    else
    {
        Check(IDC_SET_TRAY_ICON, m_trayIcon);
        Enable(IDC_SET_TRAY_ICON, true);
    }
}

void CSettingsDlg::EnableScreenSaverControls(bool on)
{
    for (int id : {IDC_SET_IDLE_LABEL, IDC_SET_IDLE, IDC_SET_IDLE_SPIN, IDC_SET_IDLE_TEXT, IDC_SET_LOCK})
        Enable(id, on);
    if (on)
    {
        SetText(IDC_SET_IDLE, MString(sX::Format(), L"%I64u", m_idleSeconds / 60).GetText());
        Check(IDC_SET_LOCK, m_lock);
    }
    else
    {
        SetText(IDC_SET_IDLE, L"");
        Check(IDC_SET_LOCK, false);
    }
}

MString CSettingsDlg::FormatDuration(unsigned __int64 value, Time_unit unit)
{
    if (unit == Time_unit::Seconds)
    {
        const unsigned h = static_cast<unsigned>(value / 3600), m = static_cast<unsigned>(value % 3600 / 60),
                       s = static_cast<unsigned>(value % 60);
        if (h > 0)
            return MString(sX::Format(), IDS_DURATION_HOURS_SECONDS, h, m, s);
        if (m == 0)
            return MString();
        return MString(sX::Format(), IDS_DURATION_MINUTES_SECONDS, m, s);
    }
    const unsigned d = static_cast<unsigned>(value / 1440), h = static_cast<unsigned>(value % 1440 / 60),
                   m = static_cast<unsigned>(value % 60);
    if (d > 0)
        return MString(sX::Format(), IDS_DURATION_DAYS, d, h, m);
    if (h == 0)
        return MString();
    return MString(sX::Format(), IDS_DURATION_HOURS, h, m);
}

// ---- Change handlers -----------------------------------------------------------------

LRESULT CSettingsDlg::OnOperationModeChanged(WORD, WORD, HWND, BOOL&)
{
    const DWORD mode = SelectedValue(IDC_SET_MODE);
    const bool wasOneInterval = IsOneInterval(m_operationMode), isOneInterval = IsOneInterval(mode);
    if (!isOneInterval && wasOneInterval && HasSelection(IDC_SET_SLIDE_UNIT))
    {
        // The slide interval carries over to interval A.
        SelectValue(IDC_SET_UNIT_A, SelectedValue(IDC_SET_SLIDE_UNIT));
        SetText(IDC_SET_INTERVAL_A, Text(IDC_SET_SLIDE_INTERVAL).GetText());
    }
    else if (isOneInterval && !wasOneInterval)
    {
        SelectValue(IDC_SET_SLIDE_UNIT, SelectedValue(IDC_SET_UNIT_A));
        SetText(IDC_SET_SLIDE_INTERVAL, Text(IDC_SET_INTERVAL_A).GetText());
        Check(IDC_SET_SLIDE_TIMER, true);
        EnableSlideTimerControls(true);
    }
    m_operationMode = mode;
    ShowModeControls(isOneInterval);
    return 0;
}

LRESULT CSettingsDlg::OnSlideIntervalChanged(WORD, WORD, HWND, BOOL&)
{
    if (m_intervalBusy)
        return 0;
    m_intervalBusy = true;
    const DWORD unit = SelectedValue(IDC_SET_SLIDE_UNIT);
    if (Text(IDC_SET_SLIDE_INTERVAL).IsEmpty())
        SetText(IDC_SET_SLIDE_DURATION, L"");
    else
    {
        unsigned __int64 value = 0;
        const bool number = Number(IDC_SET_SLIDE_INTERVAL, value);
        if (number && Seconds(value, unit) == 0)
            SetText(IDC_SET_SLIDE_INTERVAL, L"1");
        else if (!number || Seconds(value, unit) > MaxIntervalA)
            SetText(IDC_SET_SLIDE_INTERVAL, L"9999");
        Number(IDC_SET_SLIDE_INTERVAL, value);
        SetText(IDC_SET_SLIDE_DURATION, FormatDuration(value, static_cast<Time_unit>(unit)).GetText());
    }
    m_intervalBusy = false;
    return 0;
}

void CSettingsDlg::UpdateIntervalToolTip(int edit, int unitCombo, unsigned tipId)
{
    const MString text = Text(edit);
    const DWORD unit = SelectedValue(unitCombo);
    unsigned __int64 value = 0;
    MString duration;
    if (Number(edit, value))
        duration = FormatDuration(value, static_cast<Time_unit>(unit));
    const MString label{ResId(tipId)};
    const MString tip = text.IsEmpty() || duration.IsEmpty()
                            ? label
                            : MString(sX::Format(), L"%s %s %s = %s", label.GetText(), text.GetText(),
                                      MString(ResId(unit ? IDS_UNIT_MINUTES : IDS_UNIT_SECONDS)).GetText(),
                                      duration.GetText());
    for (ToolTip& t : m_toolTips)
        if (t.control == edit && t.window)
        {
            t.text = tip;
            TOOLINFOW info = {};
            info.cbSize = sizeof(info);
            info.hwnd = m_hWnd;
            info.uId = reinterpret_cast<UINT_PTR>(static_cast<HWND>(GetDlgItem(edit)));
            info.lpszText = const_cast<wchar_t*>(t.text.GetText());
            ::SendMessageW(t.window, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
        }
}

LRESULT CSettingsDlg::OnIntervalAChanged(WORD, WORD, HWND, BOOL&)
{
    if (m_intervalABusy)
        return 0;
    m_intervalABusy = true;
    if (!Text(IDC_SET_INTERVAL_A).IsEmpty())
    {
        unsigned __int64 value = 0;
        const bool number = Number(IDC_SET_INTERVAL_A, value);
        const unsigned __int64 seconds = Seconds(value, SelectedValue(IDC_SET_UNIT_A));
        if (number && seconds == 0)
            SetText(IDC_SET_INTERVAL_A, L"1");
        else if (!number || seconds > MaxIntervalA)
            SetText(IDC_SET_INTERVAL_A, L"9999");
    }
    UpdateIntervalToolTip(IDC_SET_INTERVAL_A, IDC_SET_UNIT_A, IDS_TIP_INTERVAL_A);
    m_intervalABusy = false;
    return 0;
}

LRESULT CSettingsDlg::OnIntervalBChanged(WORD, WORD, HWND, BOOL&)
{
    if (m_intervalBBusy)
        return 0;
    m_intervalBBusy = true;
    if (!Text(IDC_SET_INTERVAL_B).IsEmpty())
    {
        unsigned __int64 value = 0;
        const bool number = Number(IDC_SET_INTERVAL_B, value);
        const DWORD unit = SelectedValue(IDC_SET_UNIT_B);
        const unsigned __int64 seconds = Seconds(value, unit);
        if (number && seconds == 0)
            SetText(IDC_SET_INTERVAL_B, L"1");
        else if (!number || seconds > MaxIntervalB)
            SetText(IDC_SET_INTERVAL_B, unit ? L"9998" : L"9999");
    }
    UpdateIntervalToolTip(IDC_SET_INTERVAL_B, IDC_SET_UNIT_B, IDS_TIP_INTERVAL_B);
    m_intervalBBusy = false;
    return 0;
}

LRESULT CSettingsDlg::OnSlideTimerClicked(WORD, WORD, HWND, BOOL&)
{
    const bool on = IsChecked(IDC_SET_SLIDE_TIMER);
    EnableSlideTimerControls(on);
    if (on)
        FocusOn(IDC_SET_SLIDE_INTERVAL);
    return 0;
}

LRESULT CSettingsDlg::OnScreenSaverChanged(WORD, WORD, HWND, BOOL&)
{
    m_screenSaverMode = SelectedValue(IDC_SET_SCREEN_SAVER);
    EnableScreenSaverControls(m_screenSaverMode != 0);
    if (m_screenSaverMode != 0)
        FocusOn(IDC_SET_IDLE);
    return 0;
}

LRESULT CSettingsDlg::OnIdleTimeChanged(WORD, WORD, HWND, BOOL&)
{
    unsigned __int64 minutes = 0;
    const bool number = Number(IDC_SET_IDLE, minutes);
    if (m_screenSaverMode == 0 || Text(IDC_SET_IDLE).IsEmpty() || !number)
        SetText(IDC_SET_IDLE_TEXT, MString(ResId(IDS_UNIT_MINUTES)).GetText());
    else
    {
        const unsigned v = static_cast<unsigned>(std::min<unsigned __int64>(minutes, MaxIdleMinutes));
        const unsigned d = v / 1440, h = v % 1440 / 60, m = v % 60;
        if (d > 0)
            SetText(IDC_SET_IDLE_TEXT, MString(sX::Format(), IDS_IDLE_DAYS, d, h, m).GetText());
        else if (h == 0)
            SetText(IDC_SET_IDLE_TEXT, MString(ResId(IDS_UNIT_MINUTES)).GetText());
        else
            SetText(IDC_SET_IDLE_TEXT, MString(sX::Format(), IDS_IDLE_HOURS, h, m).GetText());
    }
    if (m_idleBusy || !number)
        return 0;
    if (minutes == 0)
    {
        m_idleSeconds = 60;
        SetText(IDC_SET_IDLE, L"1");
    }
    else if (minutes > MaxIdleMinutes)
    {
        m_idleSeconds = MaxIdleMinutes * 60;
        SetText(IDC_SET_IDLE, L"999");
    }
    else
        m_idleSeconds = minutes * 60;
    return 0;
}

LRESULT CSettingsDlg::OnOptionClicked(WORD, WORD id, HWND, BOOL&)
{
    if (id == IDC_SET_LOCK)
        m_lock = IsChecked(IDC_SET_LOCK);
    else
        m_trayIcon = IsChecked(IDC_SET_TRAY_ICON);
    return 0;
}

LRESULT CSettingsDlg::OnTransparencyChanged(WORD, WORD, HWND, BOOL&)
{
    unsigned __int64 value = 0;
    if (!Number(IDC_SET_TRANSPARENCY, value))
        return 0;
    if (value > MaxTransparency)
    {
        // The change this causes sends the preview.
        SetText(IDC_SET_TRANSPARENCY, L"250");
        return 0;
    }
    ::SendMessageW(GetDlgItem(IDC_SET_TRANSPARENCY_SPIN), UDM_SETPOS32, 0, static_cast<LPARAM>(value));
    if (m_mainWindow)
        ::SendMessageW(m_mainWindow, WM_SET_ALPHA, static_cast<WPARAM>(255 - value), 0);
    return 0;
}

LRESULT CSettingsDlg::OnSizeChanged(WORD, WORD, HWND, BOOL&)
{
    if (m_sizeBusy)
        return 0;
    unsigned __int64 value = 0;
    if (!Number(IDC_SET_SIZE, value) || value < 1 || value > MaxSize)
        return 0;
    m_sizeBusy = true;
    ::SendMessageW(GetDlgItem(IDC_SET_SIZE_SPIN), UDM_SETPOS32, 0, static_cast<LPARAM>(value));
    m_size = static_cast<int>(value);
    if (m_mainWindow)
        ::SendMessageW(m_mainWindow, WM_SET_SIDE, static_cast<WPARAM>(value), 0);
    m_sizeBusy = false;
    return 0;
}

LRESULT CSettingsDlg::OnToolTipShow(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    // One balloon at a time.
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->code != TTN_SHOW)
    {
        handled = FALSE;
        return 0;
    }
    bool ours = false;
    for (const ToolTip& tip : m_toolTips)
        ours = ours || tip.window == header->hwndFrom;
    if (!ours)
    {
        handled = FALSE;
        return 0;
    }
    for (const ToolTip& tip : m_toolTips)
        if (tip.window && tip.window != header->hwndFrom)
            ::SendMessageW(tip.window, TTM_POP, 0, 0);
    return 0;
}

// ---- The hot keys --------------------------------------------------------------------

LRESULT CSettingsDlg::OnHotKeys(WORD, WORD, HWND, BOOL&)
{
    if (!m_hotKeys || !m_allowedKeys)
        return 0;
    // No hot key is active while the dialog is open; every way out of it
    // registers a table again.
    UnregisterHotKeys(m_controllerWindow, m_hotKeys);
    CHotKeysDlg dialog(&m_hotKeysSlot, m_controllerWindow, m_allowedKeys, m_hotKeys);
    dialog.DoModal(m_hWnd);
    return 0;
}

// ---- Ending ----------------------------------------------------------------------------

void CSettingsDlg::End(INT_PTR result)
{
    m_hotKeysSlot.SendCloseRequest();
    if (m_mainWindowOnTop)
        ::SendMessageW(m_mainWindow, WM_SET_TOPMOST, 0, 0);
    EndDialog(result);
}

LRESULT CSettingsDlg::OnCancelCommand(WORD, WORD, HWND, BOOL&)
{
    End(Cancelled);
    return 0;
}

LRESULT CSettingsDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&)
{
    End(Cancelled);
    return 0;
}

LRESULT CSettingsDlg::OnCloseRequest(UINT, WPARAM, LPARAM, BOOL&)
{
    End(ClosedByProgram);
    return 0;
}

LRESULT CSettingsDlg::OnCloseDialogs(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (DialogCloseToken.Matches(wParam, lParam))
        End(ClosedByProgram);
    return 0;
}

LRESULT CSettingsDlg::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    if (!info)
        return TRUE;
    ShowHelpContext(info->iContextType == HELPINFO_MENUITEM ? static_cast<int>(DialogHelpBase + IDD_SETTINGS)
                                                            : static_cast<int>(info->dwContextId));
    return TRUE;
}

LRESULT CSettingsDlg::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if ((wParam & 0xFFF0) == HelpCommand)
        ShowHelpContext(static_cast<int>(DialogHelpBase + IDD_SETTINGS));
    else
        handled = FALSE;
    return 0;
}

// ---- Confirm -----------------------------------------------------------------------------

bool CSettingsDlg::Validate()
{
    unsigned __int64 value = 0;
    const auto fail = [&](const MString& text, int focus) {
        ShowError(text);
        FocusOn(focus);
        return false;
    };

    if (Text(IDC_SET_SIZE).IsEmpty())
        return fail(MString(sX::Format(), IDS_SIZE_EMPTY, L"1", L"999"), IDC_SET_SIZE);
    if (!Number(IDC_SET_SIZE, value) || value < 1 || value > MaxSize)
        return fail(MString(sX::Format(), IDS_SIZE_RANGE, L"1", L"999"), IDC_SET_SIZE);
    if (value < NarrowestWithoutTrayIcon && !IsChecked(IDC_SET_TRAY_ICON))
        return fail(MString(sX::Format(), IDS_SIZE_TOO_SMALL, m_caption.GetText(), Text(IDC_SET_SIZE).GetText()),
                    IDC_SET_SIZE);

    if (Text(IDC_SET_TRANSPARENCY).IsEmpty())
        return fail(MString(sX::Format(), IDS_TRANSPARENCY_EMPTY, L"0", L"250"), IDC_SET_TRANSPARENCY);
    if (!Number(IDC_SET_TRANSPARENCY, value) || value > MaxTransparency)
        return fail(MString(sX::Format(), IDS_TRANSPARENCY_RANGE, L"0", L"250"), IDC_SET_TRANSPARENCY);

    if (IsOneInterval(m_operationMode))
    {
        if (IsChecked(IDC_SET_SLIDE_TIMER))
        {
            if (Text(IDC_SET_SLIDE_INTERVAL).IsEmpty())
                return fail(MString(ResId(IDS_SLIDE_INTERVAL_EMPTY)), IDC_SET_SLIDE_INTERVAL);
            const bool number = Number(IDC_SET_SLIDE_INTERVAL, value);
            const unsigned __int64 seconds = Seconds(value, SelectedValue(IDC_SET_SLIDE_UNIT));
            if (!number || seconds < 1 || seconds > MaxIntervalA)
                return fail(MString(sX::Format(), IDS_SLIDE_INTERVAL_RANGE, L"1", L"599940", L"9999"),
                            IDC_SET_SLIDE_INTERVAL);
        }
        if (m_screenSaverMode != 0)
        {
            if (Text(IDC_SET_IDLE).IsEmpty())
                return fail(MString(sX::Format(), IDS_IDLE_EMPTY, m_productName.GetText()), IDC_SET_IDLE);
            if (!Number(IDC_SET_IDLE, value) || value < 1 || value > MaxIdleMinutes)
                return fail(MString(sX::Format(), IDS_IDLE_RANGE, L"1", L"999"), IDC_SET_IDLE);
        }
        return true;
    }

    unsigned __int64 a = 0, b = 0;
    if (Text(IDC_SET_INTERVAL_A).IsEmpty())
        return fail(MString(ResId(IDS_INTERVAL_A_EMPTY)), IDC_SET_INTERVAL_A);
    const bool numberA = Number(IDC_SET_INTERVAL_A, a);
    a = Seconds(a, SelectedValue(IDC_SET_UNIT_A));
    if (!numberA || a < 1 || a > MaxIntervalA)
        return fail(MString(sX::Format(), IDS_INTERVAL_A_RANGE, L"1", L"599940", L"9999"), IDC_SET_INTERVAL_A);
    if (Text(IDC_SET_INTERVAL_B).IsEmpty())
        return fail(MString(ResId(IDS_INTERVAL_B_EMPTY)), IDC_SET_INTERVAL_B);
    const bool numberB = Number(IDC_SET_INTERVAL_B, b);
    b = Seconds(b, SelectedValue(IDC_SET_UNIT_B));
    if (!numberB || b < 1 || b > MaxIntervalB)
        return fail(MString(sX::Format(), IDS_INTERVAL_B_RANGE, L"1", L"599939", L"9998"), IDC_SET_INTERVAL_B);
    if (a <= b)
        return fail(MString(ResId(IDS_INTERVAL_A_NOT_LONGER)), IDC_SET_INTERVAL_B);
    return true;
}

void CSettingsDlg::Apply()
{
    PerformanceData& settings = m_settings->settings;
    SettingsCopy::TimerFields& timer = m_settings->timer;
    unsigned __int64 value = 0;

    Number(IDC_SET_TRANSPARENCY, value);
    settings.opacity = settings.currentOpacity = static_cast<BYTE>(255 - value);
    settings.windowBorder = SelectedValue(IDC_SET_WINDOW_BORDER);
    settings.imageBorder = SelectedValue(IDC_SET_IMAGE_BORDER);
    settings.operationMode = static_cast<OperationMode>(SelectedValue(IDC_SET_MODE));

    if (!IsOneInterval(m_operationMode))
    {
        // The slide timer, the screen saver, the idle time and the lock keep
        // their values.
        timer.unitA = static_cast<Time_unit>(SelectedValue(IDC_SET_UNIT_A));
        Number(IDC_SET_INTERVAL_A, value);
        timer.intervalA = Seconds(value, static_cast<DWORD>(timer.unitA));
        timer.unitB = static_cast<Time_unit>(SelectedValue(IDC_SET_UNIT_B));
        Number(IDC_SET_INTERVAL_B, value);
        timer.intervalB = Seconds(value, static_cast<DWORD>(timer.unitB));
    }
    else
    {
        timer.enabled = IsChecked(IDC_SET_SLIDE_TIMER);
        if (timer.enabled)
        {
            timer.unitA = static_cast<Time_unit>(SelectedValue(IDC_SET_SLIDE_UNIT));
            Number(IDC_SET_SLIDE_INTERVAL, value);
            timer.intervalA = Seconds(value, static_cast<DWORD>(timer.unitA));
            // Interval B stays shorter than A.
            if (timer.intervalA <= timer.intervalB)
            {
                timer.intervalB = std::max<unsigned __int64>(timer.intervalA / 2, 1);
                if (timer.unitB == Time_unit::Minutes &&
                    !(timer.unitA == Time_unit::Minutes && timer.intervalB % 60 == 0))
                    timer.unitB = Time_unit::Seconds;
            }
        }
        settings.screenSaverMode = static_cast<Screen_saver_mode>(SelectedValue(IDC_SET_SCREEN_SAVER));
        if (settings.screenSaverMode != Screen_saver_mode::Off)
        {
            Number(IDC_SET_IDLE, value);
            settings.idleSeconds = std::min<unsigned __int64>(std::max<unsigned __int64>(value, 1), MaxIdleMinutes) * 60;
            settings.lockOnScreenSaverEnd = IsChecked(IDC_SET_LOCK);
        }
    }

    settings.displayOrder = static_cast<Display_order>(SelectedValue(IDC_SET_ORDER));
    settings.anchorCorner = static_cast<Anchor_corner>(SelectedValue(IDC_SET_ANCHOR));
    settings.largePhotoCaption = IsChecked(IDC_SET_VIEWER_OPTION);
    settings.autoStart = IsChecked(IDC_SET_AUTO_START);
    settings.trayIcon = IsChecked(IDC_SET_TRAY_ICON);

    Number(IDC_SET_SIZE, value);
    RECT& area = m_settings->displayArea;
    area.right = area.left + static_cast<LONG>(value);
    area.bottom = area.top + static_cast<LONG>(value);
}

LRESULT CSettingsDlg::OnOK(WORD, WORD, HWND, BOOL&)
{
    if (!Validate())
        return 0;
    Apply();
    End(Saved);
    return 0;
}
