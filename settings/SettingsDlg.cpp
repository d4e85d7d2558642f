#include "settings/SettingsDlg.h"

#include "foundation/ShellHelpers.h"
#include "foundation/WindowPlacement.h"
#include "core/EditContextMenu.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/MessageBox.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/MainWindowThread.h"

#include <commctrl.h>

namespace
{
// The size and transparency edits take three digits.
constexpr int SizeDigits = 3;
constexpr unsigned __int64 SmallestSide = MinDisplayAreaSide;
constexpr unsigned __int64 LargestSide = MaxDisplayAreaSide;
constexpr unsigned __int64 MostTransparent = PerformanceData::MaxTransparency;

// The modes that keep the main window on top of the dialog, and those that
// need the tray icon.
bool KeepsMainWindowOnTop(DWORD mode) { return mode == 0x4000000 || mode == 0x5000000; }
bool ForcesTrayIcon(DWORD mode) { return mode == 0x2000000 || mode == 0x3000000 || mode == 0x5000000; }
bool IsOneInterval(DWORD mode) { return IsSingleIntervalMode(static_cast<OperationMode>(mode)); }

MString Decimal(unsigned __int64 value) { return MString(false, value); }

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
      m_settings(settings), m_hotKeys(controllerWindow, allowedKeys, hotKeys),
      m_caption(ResId(IDS_PRODUCT_CAPTION)), m_productName(ResId(IDS_PRODUCT_NAME)),
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
      m_items(*this), m_intervals(*this), m_screenSaver(*this, settings->settings), m_toolTips(m_productName),
      m_size(static_cast<int>(settings->displayArea.right - settings->displayArea.left)),
      m_trayIcon(settings->settings.trayIcon), m_operationMode(static_cast<DWORD>(settings->settings.operationMode))
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
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

int CSettingsDlg::ShowError(const MString& text, UINT flags)
{
    return LocalizedMessageBox(m_hWnd, text.GetText(), m_caption.GetText(), flags);
}

// ---- Initialisation -------------------------------------------------------------

LRESULT CSettingsDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    const PerformanceData& settings = m_settings->settings;

    SetWindowText(MString(sX::Format(), IDS_SETTINGS_TITLE, m_caption.GetText()).GetText());
    if (m_slot)
        m_slot->Record(m_hWnd);
    if (m_mainWindow)
    {
        SetIcon(reinterpret_cast<HICON>(::SendMessageW(m_mainWindow, WM_GETICON, ICON_BIG, 0)), TRUE);
        SetIcon(reinterpret_cast<HICON>(::SendMessageW(m_mainWindow, WM_GETICON, ICON_SMALL, 0)), FALSE);
    }
    SetWindowContextHelpId(DialogHelpContext(IDD_SETTINGS));
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SetWindowContextHelpId(child, DialogHelpContext(static_cast<DWORD>(::GetDlgCtrlID(child))));

    for (int id : SubclassedEdits)
    {
        HWND edit = m_items.Item(id);
        ::SetWindowLongPtrW(edit, GWLP_USERDATA, ::GetWindowLongPtrW(edit, GWLP_WNDPROC));
        ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditContextMenuSubclassProc));
    }
    m_toolTips.Create(m_hWnd);

    m_items.SetUpDown(IDC_SET_SIZE_SPIN, IDC_SET_SIZE, SizeDigits, static_cast<int>(SmallestSide),
                      static_cast<int>(LargestSide));
    ::SendMessageW(m_items.Item(IDC_SET_SIZE_SPIN), UDM_SETPOS32, 0, m_size);
    m_items.SetUpDown(IDC_SET_TRANSPARENCY_SPIN, IDC_SET_TRANSPARENCY, SizeDigits, 0,
                      static_cast<int>(MostTransparent));
    ::SendMessageW(m_items.Item(IDC_SET_TRANSPARENCY_SPIN), UDM_SETPOS32, 0, 255 - settings.opacity);

    m_items.FillCombo(IDC_SET_MODE, m_operationModes, true, m_operationMode);
    m_intervals.Fill(m_settings->timer);
    m_items.FillCombo(IDC_SET_ORDER, m_displayOrders, true, static_cast<DWORD>(settings.displayOrder));
    m_items.Check(IDC_SET_VIEWER_OPTION, settings.largePhotoCaption);
    m_screenSaver.Fill();
    m_items.FillCombo(IDC_SET_WINDOW_BORDER, m_windowBorders, true, settings.windowBorder);
    m_items.FillCombo(IDC_SET_IMAGE_BORDER, m_imageBorders, true, settings.imageBorder);
    m_items.FillCombo(IDC_SET_ANCHOR, m_anchorCorners, true, static_cast<DWORD>(settings.anchorCorner));
    m_items.Check(IDC_SET_TRAY_ICON, m_trayIcon);
    m_items.Check(IDC_SET_AUTO_START, settings.autoStart);

    PlaceBesideMainWindow();

    m_intervals.ShowStored(m_settings->timer);
    ShowModeControls(IsOneInterval(m_operationMode));

    m_mainWindowOnTop = KeepsMainWindowOnTop(m_operationMode) && m_mainWindow;
    if (m_mainWindowOnTop)
        ::SendMessageW(m_mainWindow, WM_SET_TOPMOST, 1, 0);
    m_items.FocusOn(IDC_SET_OK);
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
        HWND edit = m_items.Item(id);
        const LONG_PTR previous = ::GetWindowLongPtrW(edit, GWLP_USERDATA);
        if (previous)
            ::SetWindowLongPtrW(edit, GWLP_WNDPROC, previous);
    }
    m_toolTips.Destroy();
    if (m_slot)
        m_slot->Clear(m_hWnd);
    handled = TRUE;
    return 0;
}

// ---- The groups of controls -------------------------------------------------------

void CSettingsDlg::ShowModeControls(bool oneInterval)
{
    m_intervals.ShowFor(oneInterval);
    m_screenSaver.ShowFor(oneInterval);
    if (ForcesTrayIcon(m_items.SelectedValue(IDC_SET_MODE)))
    {
        m_items.Check(IDC_SET_TRAY_ICON, true);
        m_items.Enable(IDC_SET_TRAY_ICON, false);
    }
    else
    {
        m_items.Check(IDC_SET_TRAY_ICON, m_trayIcon);
        m_items.Enable(IDC_SET_TRAY_ICON, true);
    }
}

// ---- Change handlers -----------------------------------------------------------------

LRESULT CSettingsDlg::OnOperationModeChanged(WORD, WORD, HWND, BOOL&)
{
    const DWORD mode = m_items.SelectedValue(IDC_SET_MODE);
    const bool isOneInterval = IsOneInterval(mode);
    m_intervals.CarryOver(IsOneInterval(m_operationMode), isOneInterval);
    m_operationMode = mode;
    ShowModeControls(isOneInterval);
    return 0;
}

LRESULT CSettingsDlg::OnSlideIntervalChanged(WORD, WORD, HWND, BOOL&)
{
    m_intervals.KeepSlideIntervalInRange();
    return 0;
}

void CSettingsDlg::UpdateIntervalToolTip(int edit, int unitCombo, unsigned tipId)
{
    m_toolTips.SetText(m_hWnd, edit, m_intervals.Tip(edit, unitCombo, tipId));
}

LRESULT CSettingsDlg::OnIntervalAChanged(WORD, WORD, HWND, BOOL&)
{
    if (m_intervals.KeepIntervalAInRange())
        UpdateIntervalToolTip(IDC_SET_INTERVAL_A, IDC_SET_UNIT_A, IDS_TIP_INTERVAL_A);
    return 0;
}

LRESULT CSettingsDlg::OnIntervalBChanged(WORD, WORD, HWND, BOOL&)
{
    if (m_intervals.KeepIntervalBInRange())
        UpdateIntervalToolTip(IDC_SET_INTERVAL_B, IDC_SET_UNIT_B, IDS_TIP_INTERVAL_B);
    return 0;
}

LRESULT CSettingsDlg::OnSlideTimerClicked(WORD, WORD, HWND, BOOL&)
{
    const bool on = m_items.IsChecked(IDC_SET_SLIDE_TIMER);
    m_intervals.EnableSlideTimerControls(on);
    if (on)
        m_items.FocusOn(IDC_SET_SLIDE_INTERVAL);
    return 0;
}

LRESULT CSettingsDlg::OnScreenSaverChanged(WORD, WORD, HWND, BOOL&)
{
    m_screenSaver.TakeMode();
    return 0;
}

LRESULT CSettingsDlg::OnIdleTimeChanged(WORD, WORD, HWND, BOOL&)
{
    m_screenSaver.TakeIdleTime();
    return 0;
}

LRESULT CSettingsDlg::OnOptionClicked(WORD, WORD id, HWND, BOOL&)
{
    if (id == IDC_SET_LOCK)
        m_screenSaver.TakeLock();
    else
        m_trayIcon = m_items.IsChecked(IDC_SET_TRAY_ICON);
    return 0;
}

LRESULT CSettingsDlg::OnTransparencyChanged(WORD, WORD, HWND, BOOL&)
{
    unsigned __int64 value = 0;
    if (!m_items.Number(IDC_SET_TRANSPARENCY, value))
        return 0;
    if (value > MostTransparent)
    {
        // The change this causes sends the preview.
        m_items.SetText(IDC_SET_TRANSPARENCY, Decimal(MostTransparent).GetText());
        return 0;
    }
    ::SendMessageW(m_items.Item(IDC_SET_TRANSPARENCY_SPIN), UDM_SETPOS32, 0, static_cast<LPARAM>(value));
    if (m_mainWindow)
        ::SendMessageW(m_mainWindow, WM_SET_ALPHA, static_cast<WPARAM>(255 - value), 0);
    return 0;
}

LRESULT CSettingsDlg::OnSizeChanged(WORD, WORD, HWND, BOOL&)
{
    if (m_sizeBusy)
        return 0;
    unsigned __int64 value = 0;
    if (!m_items.Number(IDC_SET_SIZE, value) || value < SmallestSide || value > LargestSide)
        return 0;
    m_sizeBusy = true;
    ::SendMessageW(m_items.Item(IDC_SET_SIZE_SPIN), UDM_SETPOS32, 0, static_cast<LPARAM>(value));
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
    if (!header || header->code != TTN_SHOW || !m_toolTips.PopOthers(header->hwndFrom))
        handled = FALSE;
    return 0;
}

// ---- The hot keys --------------------------------------------------------------------

LRESULT CSettingsDlg::OnHotKeys(WORD, WORD, HWND, BOOL&)
{
    m_hotKeys.Open(m_hWnd);
    return 0;
}

// ---- Ending ----------------------------------------------------------------------------

void CSettingsDlg::End(INT_PTR result)
{
    m_hotKeys.Close();
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
    ShowHelpContext(info->iContextType == HELPINFO_MENUITEM ? static_cast<int>(DialogHelpContext(IDD_SETTINGS))
                                                            : static_cast<int>(info->dwContextId));
    return TRUE;
}

LRESULT CSettingsDlg::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (IsHelpSysCommand(wParam))
        ShowHelpContext(static_cast<int>(DialogHelpContext(IDD_SETTINGS)));
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
        m_items.FocusOn(focus);
        return false;
    };

    const MString smallest = Decimal(SmallestSide), largest = Decimal(LargestSide);
    if (m_items.Text(IDC_SET_SIZE).IsEmpty())
        return fail(MString(sX::Format(), IDS_SIZE_EMPTY, smallest.GetText(), largest.GetText()), IDC_SET_SIZE);
    if (!m_items.Number(IDC_SET_SIZE, value) || value < SmallestSide || value > LargestSide)
        return fail(MString(sX::Format(), IDS_SIZE_RANGE, smallest.GetText(), largest.GetText()), IDC_SET_SIZE);
    if (value < static_cast<unsigned __int64>(PerformanceData::NarrowestAreaWithoutTrayIcon) &&
        !m_items.IsChecked(IDC_SET_TRAY_ICON))
        return fail(MString(sX::Format(), IDS_SIZE_TOO_SMALL, m_caption.GetText(), m_items.Text(IDC_SET_SIZE).GetText()),
                    IDC_SET_SIZE);

    const MString clear = Decimal(0), mostTransparent = Decimal(MostTransparent);
    if (m_items.Text(IDC_SET_TRANSPARENCY).IsEmpty())
        return fail(MString(sX::Format(), IDS_TRANSPARENCY_EMPTY, clear.GetText(), mostTransparent.GetText()),
                    IDC_SET_TRANSPARENCY);
    if (!m_items.Number(IDC_SET_TRANSPARENCY, value) || value > MostTransparent)
        return fail(MString(sX::Format(), IDS_TRANSPARENCY_RANGE, clear.GetText(), mostTransparent.GetText()),
                    IDC_SET_TRANSPARENCY);

    const bool oneInterval = IsOneInterval(m_operationMode);
    MString message;
    if (const int control = m_intervals.Refusal(oneInterval, message))
        return fail(message, control);
    if (!oneInterval)
        return true;
    if (const int control = m_screenSaver.Refusal(m_productName, message))
        return fail(message, control);
    return true;
}

void CSettingsDlg::Apply()
{
    PerformanceData& settings = m_settings->settings;
    unsigned __int64 value = 0;

    m_items.Number(IDC_SET_TRANSPARENCY, value);
    settings.opacity = settings.currentOpacity = static_cast<BYTE>(255 - value);
    settings.windowBorder = m_items.SelectedValue(IDC_SET_WINDOW_BORDER);
    settings.imageBorder = m_items.SelectedValue(IDC_SET_IMAGE_BORDER);
    settings.operationMode = static_cast<OperationMode>(m_items.SelectedValue(IDC_SET_MODE));

    // In the show/hide modes the slide timer, the screen saver, the idle
    // time and the lock keep their values.
    const bool oneInterval = IsOneInterval(m_operationMode);
    m_intervals.Apply(oneInterval, m_settings->timer);
    if (oneInterval)
        m_screenSaver.Apply(settings);

    settings.displayOrder = static_cast<Display_order>(m_items.SelectedValue(IDC_SET_ORDER));
    settings.anchorCorner = static_cast<Anchor_corner>(m_items.SelectedValue(IDC_SET_ANCHOR));
    settings.largePhotoCaption = m_items.IsChecked(IDC_SET_VIEWER_OPTION);
    settings.autoStart = m_items.IsChecked(IDC_SET_AUTO_START);
    settings.trayIcon = m_items.IsChecked(IDC_SET_TRAY_ICON);

    m_items.Number(IDC_SET_SIZE, value);
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
