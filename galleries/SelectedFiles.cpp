// The gallery dialog's frame: start-up, the message map, the switch between
// the sources, the online pane's messages passed on, and how the dialog ends.
// The list-view and header macros call the system, not the dialog's own SendMessage.
#define SNDMSG ::SendMessageW
#include "galleries/SelectedFiles.h"

#include "foundation/FolderPath.h"
#include "foundation/ShellHelpers.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"
#include "foundation/WindowPlacement.h"
#include "galleries/FileDrop.h"
#include "galleries/LocalGalleryStore.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/MessageBox.h"

#include <ole2.h>

namespace
{
constexpr WORD SysCommandReloadProperties = 0x40;
constexpr WORD SysCommandRescan = 0x60;
constexpr DWORD ScanPollDelay = 40;

MString Text(UINT id) { return MString(ResId(id)); }

struct Tip
{
    int control;
    UINT text;
};
const Tip Tips[] = {{IDC_RELOAD_PROPERTIES, IDS_TIP_RELOAD_PROPERTIES}, {IDC_FILTER_SWITCH, IDS_TIP_FILTER_SWITCH},
                    {521, IDS_TIP_CONJUNCTION}, {522, IDS_TIP_CONJUNCTION}, {523, IDS_TIP_CONJUNCTION},
                    {524, IDS_TIP_CONJUNCTION}, {IDC_MEDIA_SOURCE, IDS_TIP_MEDIA_SOURCE},
                    {IDC_ONLINE_GALLERY, IDS_TIP_ONLINE_GALLERY}, {IDC_LOCAL_GALLERY, IDS_TIP_LOCAL_GALLERY},
                    {IDC_NEW_GALLERY, IDS_TIP_NEW_GALLERY}, {IDC_RENAME_GALLERY, IDS_TIP_RENAME_GALLERY},
                    {IDC_DELETE_GALLERY, IDS_TIP_DELETE_GALLERY}, {IDC_FILE_LIST, IDS_TIP_FILE_LIST},
                    {IDC_ADD_FILES, IDS_TIP_ADD_FILES}, {IDC_ADD_FOLDER, IDS_TIP_ADD_FOLDER},
                    {IDC_REMOVE_FILES, IDS_TIP_REMOVE_FILES}, {IDC_THUMBNAIL_SIZE, IDS_TIP_THUMBNAIL_SIZE}};

const int LocalControls[] = {IDC_LOCAL_GALLERY, IDC_NEW_GALLERY, IDC_RENAME_GALLERY, IDC_DELETE_GALLERY,
                             IDC_FILE_LIST, IDC_ADD_FILES, IDC_ADD_FOLDER, IDC_REMOVE_FILES, IDC_FILE_COUNT,
                             IDC_THUMBNAIL_SIZE, IDC_THUMBNAIL_LABEL, IDC_THUMBNAIL_UNIT};
const int OnlineControls[] = {IDC_ONLINE_LABEL, IDC_ONLINE_GALLERY, IDC_FILTER_SWITCH, IDC_RELOAD_PROPERTIES};

int ComboData(HWND combo)
{
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, index, 0));
}

}

CSelectedFiles::CSelectedFiles(POINT cursor, DialogWindowSlot* slot, HWND mainWindow, const MString& startPath)
    : CControllerDialog<CSelectedFiles>(L"CSelectedFiles", slot, cursor), m_mainWindow(mainWindow),
      m_startPath(startPath), m_galleryInUse(ReadSelectedLocalGallery()), m_storedLocal(ReadMediaSource()),
      m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

CSelectedFiles::~CSelectedFiles() = default;

const ATL::MessageMap<CSelectedFiles>& CSelectedFiles::GetMessageMap()
{
    using T = CSelectedFiles;
    static const ATL::MessageMap<T> map = ATL::MessageMap<T>()
        .Message(WM_INITDIALOG, &T::OnInitDialog)
        .Message(WM_DESTROY, &T::OnDestroy)
        .Message(WM_CLOSE, &T::OnCloseMessage)
        .Message(WM_HSCROLL, &T::OnHScroll)
        .Timer(SizeTimerId, &T::OnSizeTimer)
        .Message(WM_SIZE, &T::OnSize)
        .Message(WM_GETMINMAXINFO, &T::OnGetMinMaxInfo)
        .Message(WM_DRAWITEM, &T::OnMenuMessage)
        .Message(WM_MEASUREITEM, &T::OnMenuMessage)
        .Message(WM_MENUCHAR, &T::OnMenuMessage)
        .Message(WM_HELP, &T::OnHelp)
        .Message(WM_SYSCOMMAND, &T::OnSysCommand)
        .Message(WM_WINDOWPOSCHANGING, &T::OnWindowPosChanging)
        .Message(WM_SET_COLUMN_WIDTH, &T::OnSetColumnWidth)
        .Message(WM_SHOW_SELECTED_GALLERY, &T::OnShowSelectedGallery)
        .Message(WM_SHOW_STARTUP_MESSAGE, &T::OnShowStartupMessage)
        .Message(WM_RESTART_RENAME, &T::OnRestartRename)
        .Message(WM_SHOW_MESSAGE, &T::OnShowMessage)
        .Message(WM_STARTUP_DONE, &T::OnStartupDone)
        .Message(WM_CLOSE_REQUEST, &T::OnCloseMessage)
        .RegisteredMessage(&T::m_closeDialogsMessage, &T::OnCloseDialogsMessage)
        .Message(WM_SCAN_QUICK_RECORDS, &T::OnQuickRecords)
        .Message(WM_SCAN_RECORDS, &T::OnFullRecords)
        .Message(WM_SCAN_PASS_END, &T::OnPassEnd)
        .Message(WM_SCAN_STILL_HELD, &T::OnStillHeld)
        .Message(WM_MESSAGE_BOX_REQUEST, &T::OnMessageBoxRequest)
        .Message(WM_SHOWWINDOW, &T::OnConsume)
        .Message(WM_CTLCOLORSTATIC, &T::OnCtlColorStatic)
        .Notify(IDC_FILE_LIST, ATL::MessageMap<T>::AnyCode, &T::OnListNotify)
        .NotifyRange(0, 0xFFFF, HDN_ITEMCLICKW, &T::OnHeaderNotify)
        .NotifyRange(0, 0xFFFF, HDN_ENDTRACKW, &T::OnHeaderNotify)
        .Notify(IDC_THUMBNAIL_SIZE, NM_RELEASEDCAPTURE, &T::OnSliderReleased)
        .Command(IDOK, BN_CLICKED, &T::OnSwallowCommand)
        .Command(IDC_SELECTION_OK, BN_CLICKED, &T::OnApply)
        .Command(IDCANCEL, BN_CLICKED, &T::OnCancelCommand)
        .Command(IDC_SELECTION_CANCEL, BN_CLICKED, &T::OnCancelCommand)
        .Command(IDC_REMOVE_FILES, BN_CLICKED, &T::OnListCommand)
        .Command(IDC_MEDIA_SOURCE, CBN_SELCHANGE, &T::OnMediaSourceChange)
        .CommandRange(IDC_NEW_GALLERY, IDC_DELETE_GALLERY, BN_CLICKED, &T::OnGalleryCommand)
        .Command(IDC_LOCAL_GALLERY, CBN_SELCHANGE, &T::OnGalleryChange)
        .Command(IDC_ONLINE_GALLERY, CBN_SELCHANGE, &T::OnOnlineGalleryChange)
        .Command(IDC_FILTER_SWITCH, BN_CLICKED, &T::OnFilterSwitch)
        .Command(IDC_RELOAD_PROPERTIES, BN_CLICKED, &T::OnReloadProperties)
        .CommandRange(IDC_ADD_FILES, IDC_ADD_FOLDER, BN_CLICKED, &T::OnAddCommand)
        .CommandRange(IDC_CONJUNCTION_FIRST, IDC_CONJUNCTION_LAST, ATL::MessageMap<T>::AnyCode, &T::OnConjunctionCommand)
        .Command(CmdAddFiles, &T::OnAddCommand)
        .Command(CmdAddFolder, &T::OnAddCommand)
        .CommandRange(CmdCopyFiles, CmdRemoveFiles, ATL::MessageMap<T>::AnyCode, &T::OnListCommand);
    return map;
}

// ---- Start-up -------------------------------------------------------------

LRESULT CSelectedFiles::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_slot)
        m_slot->Record(m_hWnd);
    HMENU system = ::GetSystemMenu(m_hWnd, FALSE);
    InsertMenuW(system, 0, MF_BYPOSITION | MF_SEPARATOR, 0x10, nullptr);
    m_caption = Text(IDS_PRODUCT_CAPTION);
    ::SetWindowTextW(m_hWnd, MString(sX::Format(), IDS_SELECTION_CAPTION, m_caption.GetText()).GetText());
    const HMODULE art = GetModuleHandleW(nullptr);
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconW(art, MAKEINTRESOURCEW(IDI_PROGRAM))));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(LoadImageW(art, MAKEINTRESOURCEW(IDI_PROGRAM),
        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED)));
    ::SetWindowContextHelpId(m_hWnd, DialogHelpContext(IDD));

    // Placement: the stored rectangle, else centred on the monitor of the
    // cursor at the opening.
    RECT window = {};
    GetWindowRect(&window);
    m_minimumSize = {window.right - window.left, window.bottom - window.top};
    m_localSize = m_minimumSize;
    RECT stored = {};
    POINT centre = {};
    const LONG screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    bool placed = false;
    if (ReadDialogRect(stored, centre))
    {
        const LONG width = stored.right - stored.left, height = stored.bottom - stored.top;
        if (width >= m_minimumSize.cx && height >= m_minimumSize.cy && width <= screenWidth && height <= screenHeight)
        {
            if (!IsRectOnMonitors(stored))
                FitRectToMonitor(stored, true, true);
            m_localSize = {width, height};
            ::SetWindowPos(m_hWnd, nullptr, stored.left, stored.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
            placed = true;
        }
        else
            DeleteDialogRect();
    }
    if (!placed)
    {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromPoint(m_cursor, MONITOR_DEFAULTTONEAREST), &monitor);
        const CRect at = CenterRectOn(monitor.rcWork, m_minimumSize.cx, m_minimumSize.cy);
        ::SetWindowPos(m_hWnd, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    for (int id = IDC_SOURCE_LABEL; id <= IDC_RELOAD_PROPERTIES; ++id)
        if (HWND control = Item(id))
            ::SetWindowContextHelpId(control, DialogHelpContext(id));

    // The file list and its columns.
    m_files.Attach(m_hWnd, Item(IDC_FILE_LIST), m_caption);

    // Nudge OK and Cancel: one pixel right, one pixel wider.
    for (int id : {IDC_SELECTION_OK, IDC_SELECTION_CANCEL})
    {
        HWND button = Item(id);
        RECT r = {};
        ::GetWindowRect(button, &r);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        ::MoveWindow(button, r.left + 1, r.top, r.right - r.left + 1, r.bottom - r.top, FALSE);
    }
    m_online.Attach(m_hWnd, m_caption);
    ::ShowWindow(Item(IDC_ONLINE_LABEL), SW_HIDE);
    ::ShowWindow(Item(IDC_FILTER_LABEL), SW_HIDE);
    for (const Tip& tip : Tips)
    {
        HWND toolTip = nullptr;
        CreateToolTip(m_hWnd, Item(tip.control), toolTip, Text(tip.text));
        if (toolTip)
            m_toolTips.push_back(toolTip);
    }

    const struct
    {
        UINT text;
        int data;
    } sources[] = {{IDS_SOURCE_ONLINE, 0}, {IDS_SOURCE_LOCAL, 1}};
    for (const auto& source : sources)
    {
        const LRESULT item =
            SendDlgItemMessage(IDC_MEDIA_SOURCE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(source.text).GetText()));
        SendDlgItemMessage(IDC_MEDIA_SOURCE, CB_SETITEMDATA, item, source.data);
    }
    SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_SETRANGE, TRUE, MAKELPARAM(SmallestThumbnail, LargestThumbnail));
    SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_SETTICFREQ, 49);
    m_localLayout.Measure(m_hWnd, m_files.Window());

    m_online.PrepareSearchLines(m_minimumSize);

    m_oleInitialised = SUCCEEDED(OleInitialize(nullptr));
    m_dropTarget = RegisterFileDropTarget(m_files.Window(), this);

    SendDlgItemMessage(IDC_ADD_FILES, BM_SETIMAGE, IMAGE_ICON,
                       reinterpret_cast<LPARAM>(LoadImageW(art, MAKEINTRESOURCEW(IDI_ADD_FILES), IMAGE_ICON, 16, 16, LR_SHARED)));
    SendDlgItemMessage(IDC_ADD_FOLDER, BM_SETIMAGE, IMAGE_ICON,
                       reinterpret_cast<LPARAM>(LoadImageW(art, MAKEINTRESOURCEW(IDI_ADD_FOLDER), IMAGE_ICON, 16, 16, LR_SHARED)));
    SendDlgItemMessage(IDC_REMOVE_FILES, BM_SETIMAGE, IMAGE_ICON,
                       reinterpret_cast<LPARAM>(LoadImageW(art, MAKEINTRESOURCEW(IDI_REMOVE_FILES), IMAGE_ICON, 16, 16, LR_SHARED)));
    ::EnableWindow(Item(IDC_REMOVE_FILES), FALSE);
    SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_SETPOS, TRUE, ReadThumbnailSize());
    wchar_t unit[32] = {};
    ::GetDlgItemTextW(m_hWnd, IDC_THUMBNAIL_UNIT, unit, 32);
    m_thumbnailUnit = MString(unit);
    ShowThumbnailSize();
    RebuildImageList();
    m_files.FitNameColumn(ThumbnailSize());
    m_files.ShowSortMarks();
    LayoutLocalControls();

    SendDlgItemMessage(IDC_MEDIA_SOURCE, CB_SETCURSEL, m_storedLocal ? 1 : 0);
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    PostMessage(WM_COMMAND, MAKEWPARAM(IDC_MEDIA_SOURCE, CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(Item(IDC_MEDIA_SOURCE)));
    return TRUE;
}

LRESULT CSelectedFiles::OnWindowPosChanging(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    // Hidden until the first source handling has run.
    if (m_initialising)
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
    handled = FALSE;
    return 0;
}

LRESULT CSelectedFiles::OnStartupDone(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    std::unique_ptr<MString> text = TakeStartupDone(lParam);
    if (!m_initialising)
        return 0;
    PostMessage(WM_SHOW_SELECTED_GALLERY);
    m_initialising = false;
    ::ShowWindow(m_hWnd, SW_SHOW);
    SetForegroundWindow(m_hWnd);
    if (wParam == 1 && text)
        PostStartupMessage(m_hWnd, std::move(text));
    return 0;
}

LRESULT CSelectedFiles::OnShowStartupMessage(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const std::unique_ptr<MString> text = TakeStartupMessage(lParam);
    if (text)
        ShowMessage(*text, MB_ICONERROR);
    return 0;
}

LRESULT CSelectedFiles::OnShowSelectedGallery(UINT, WPARAM, LPARAM, BOOL&)
{
    ShowLocalGallery(ReadSelectedLocalGallery());
    return 0;
}

LRESULT CSelectedFiles::OnShowMessage(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const std::unique_ptr<MString> text = TakeShowMessage(lParam);
    if (text)
        ShowMessage(*text, static_cast<UINT>(wParam));
    return 0;
}

LRESULT CSelectedFiles::OnMessageBoxRequest(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ShowRequestedMessageBox(m_summaryGuard, m_caption.GetText(), wParam, lParam);
    return 0;
}

LRESULT CSelectedFiles::OnConsume(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT CSelectedFiles::OnCtlColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    return m_online.OnCtlColorStatic(wParam, lParam, handled);
}

LRESULT CSelectedFiles::OnSwallowCommand(WORD, WORD, HWND, BOOL&) { return 0; }

void CSelectedFiles::ShowMessage(const MString& text, UINT flags)
{
    LocalizedMessageBox(m_hWnd, text.GetText(), m_caption.GetText(), flags);
}

LRESULT CSelectedFiles::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize = {m_minimumSize.cx, m_minimumSize.cy};
    info->ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    MONITORINFO primary = {};
    primary.cbSize = sizeof(primary);
    if (GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary))
    {
        info->ptMaxPosition = {primary.rcWork.left, primary.rcWork.top};
        info->ptMaxSize = {primary.rcWork.right - primary.rcWork.left, primary.rcWork.bottom - primary.rcWork.top};
    }
    return 0;
}

LRESULT CSelectedFiles::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
    if (help->iContextType == HELPINFO_MENUITEM)
    {
        const bool listCommand = help->iCtrlId >= CmdCopyFiles && help->iCtrlId <= CmdRemoveFiles;
        ShowHelpContext(listCommand ? MenuEntryHelpContext(help->iCtrlId) : DialogHelpContext(IDD));
    }
    else
        ShowHelpContext(static_cast<int>(help->dwContextId));
    return TRUE;
}

LRESULT CSelectedFiles::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    const WORD command = static_cast<WORD>(wParam & 0xFFF0);
    if (command == SysCommandRescan && !IsScanning())
        RefreshList();
    else if (command == SysCommandReloadProperties)
        m_online.LoadSearchProperties(m_initialising);
    else
        handled = FALSE;
    return 0;
}

LRESULT CSelectedFiles::OnSetColumnWidth(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ListView_SetColumnWidth(m_files.Window(), static_cast<int>(wParam), LOWORD(lParam));
    return 0;
}

void CSelectedFiles::UpdateSystemMenu(bool online)
{
    HMENU system = ::GetSystemMenu(m_hWnd, FALSE);
    DeleteMenu(system, online ? SysCommandRescan : SysCommandReloadProperties, MF_BYCOMMAND);
    const WORD wanted = online ? SysCommandReloadProperties : SysCommandRescan;
    if (GetMenuState(system, wanted, MF_BYCOMMAND) == static_cast<UINT>(-1))
        InsertMenuW(system, 0, MF_BYPOSITION | MF_STRING, wanted,
                    Text(online ? IDS_SYSMENU_RELOAD_PROPERTIES : IDS_MENU_REFRESH).GetText());
    if (!online)
        EnableMenuItem(system, SysCommandRescan,
                       MF_BYCOMMAND | (m_files.Count() > 0 && !IsScanning() ? MF_ENABLED
                                                                                          : MF_GRAYED | MF_DISABLED));
    DrawMenuBar(m_hWnd);
}

// ---- Sources --------------------------------------------------------------

LRESULT CSelectedFiles::OnMediaSourceChange(WORD, WORD, HWND, BOOL&)
{
    MString kept;
    if (IsLocalSourceChosen())
    {
        // What was typed on the online side is kept for the next time,
        // without a word: the user has turned to the local galleries.
        bool filterChanged = false;
        if (!m_initialising && m_online.HasExchanged())
            m_online.StoreOnlineFilter(filterChanged, false);
        UpdateSystemMenu(false);
        ShowLocalControls();
        if (!m_pendingSummary.IsEmpty())
        {
            const MString summary = m_pendingSummary;
            m_pendingSummary = MString();
            SemaphoreGuard box(m_summaryGuard, SemaphoreGuard::Take::Try);
            if (box.IsHeld())
            {
                MString shown = summary;
                ShowMessage(shown.Trim(), summary.StartsWith(MString(L"\r\n\r\n"), true) ? MB_ICONEXCLAMATION
                                                                                         : MB_ICONERROR);
            }
        }
    }
    else
    {
        if (!m_initialising && m_files.IsModified())
            SaveShownGallery(false);
        // The size the user gave the local side comes back with it.
        if (!m_initialising && m_localLayout.IsGripVisible())
        {
            RECT window = {};
            GetWindowRect(&window);
            m_localSize = {window.right - window.left, window.bottom - window.top};
        }
        UpdateSystemMenu(true);
        for (int id : LocalControls)
            ::ShowWindow(Item(id), SW_HIDE);
        m_localLayout.ShowGrip(false);
        for (int id : OnlineControls)
            ::ShowWindow(Item(id), SW_SHOW);
        ::EnableWindow(Item(IDC_SELECTION_OK), TRUE);
        kept = m_online.PrepareOnlineSide(m_initialising);
        if (!m_initialising && !kept.IsEmpty())
            ShowMessage(kept, ::IsWindowEnabled(Item(IDC_SELECTION_OK)) ? MB_ICONINFORMATION : MB_ICONERROR);
    }
    if (m_initialising)
        PostStartupDone(m_hWnd, kept.IsEmpty() ? nullptr : std::make_unique<MString>(kept));
    return 0;
}

void CSelectedFiles::ShowLocalControls()
{
    if (!m_initialising && m_localLayout.IsGripVisible())
        return;
    for (int id : OnlineControls)
        ::ShowWindow(Item(id), SW_HIDE);
    m_online.HideSearchLines();
    for (int id : LocalControls)
        ::ShowWindow(Item(id), SW_SHOW);
    m_localLayout.ShowGrip(true);
    ::EnableWindow(Item(IDC_SELECTION_OK), !IsScanning());
    ModifyStyle(0, WS_THICKFRAME);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, m_localSize.cx, m_localSize.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// ---- The end ---------------------------------------------------------------

bool CSelectedFiles::ScanStopped(WORD command)
{
    SetEvent(m_stopEvent);
    if (InterlockedCompareExchange(&m_runningScans, 0, 0) == 0)
        return true;
    // The scan ends at its next path; the command comes back until it has.
    Sleep(ScanPollDelay);
    PostMessage(WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), reinterpret_cast<LPARAM>(Item(command)));
    return false;
}

LRESULT CSelectedFiles::OnApply(WORD, WORD, HWND, BOOL&)
{
    if (ScanStopped(IDC_SELECTION_OK))
        ApplySelection();
    return 0;
}

void CSelectedFiles::ApplySelection()
{
    const bool local = IsLocalSourceChosen();
    const bool sourceChanged = local != m_storedLocal;
    if (local)
    {
        if (!SaveShownGallery(true))
            return;
        const MString shown = GetComboGalleryName();
        if (m_galleryInUse.IsEmpty() || !EqualsIgnoringCase(shown, m_galleryInUse))
        {
            if (!WriteSelectedLocalGallery(m_hWnd, shown))
                return;
            m_galleryInUse = MString();
        }
        WriteMediaSource(true);
        if (sourceChanged)
            m_galleryInUse = MString();
        EndDialog(LocalEndCode());
        return;
    }
    bool filterChanged = false;
    if (!m_online.StoreOnlineFilter(filterChanged, true))
        return;
    WriteMediaSource(false);
    EndDialog(sourceChanged || filterChanged || !m_online.IsOnlineChoiceUnchanged() ? OnlineChanged : NothingChanged);
}

INT_PTR CSelectedFiles::LocalEndCode() const
{
    if (m_galleryInUse.IsEmpty())
        return GalleryInUseChanged;
    return (m_filesChangedOnDisk ? INT_PTR(FilesChangedOnDisk) : 0) | (m_galleryInUseChanged ? INT_PTR(EntriesSaved) : 0);
}

LRESULT CSelectedFiles::OnCancelCommand(WORD, WORD id, HWND, BOOL&)
{
    // Escape on an open conjunction list closes only the list.
    if (m_online.TakeEscape())
        return 0;
    if (ScanStopped(id == IDC_SELECTION_CANCEL ? IDC_SELECTION_CANCEL : IDCANCEL))
        CancelSelection();
    return 0;
}

LRESULT CSelectedFiles::OnCloseMessage(UINT, WPARAM, LPARAM, BOOL&)
{
    if (ScanStopped(IDCANCEL))
        CancelSelection();
    return 0;
}

LRESULT CSelectedFiles::OnCloseDialogsMessage(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (DialogCloseToken.Matches(wParam, lParam) && ScanStopped(IDCANCEL))
        CancelSelection();
    return 0;
}

void CSelectedFiles::CancelSelection()
{
    if (!m_storedLocal)
        EndDialog(m_online.IsOnlineChoiceUnchanged() ? NothingChanged : OnlineChanged);
    else
        EndDialog(LocalEndCode());
}

bool CSelectedFiles::IsLocalSourceChosen() const { return ComboData(::GetDlgItem(m_hWnd, IDC_MEDIA_SOURCE)) == 1; }

LRESULT CSelectedFiles::OnConjunctionCommand(WORD code, WORD id, HWND control, BOOL&)
{
    m_online.OnConjunctionCommand(code, id, control);
    return 0;
}

// ---- The online half ---------------------------------------------------------

LRESULT CSelectedFiles::OnOnlineGalleryChange(WORD, WORD, HWND combo, BOOL&)
{
    m_online.OnOnlineGalleryChange(combo);
    return 0;
}

LRESULT CSelectedFiles::OnFilterSwitch(WORD, WORD, HWND, BOOL&)
{
    m_online.OnFilterSwitch();
    return 0;
}

LRESULT CSelectedFiles::OnReloadProperties(WORD, WORD, HWND, BOOL&)
{
    m_online.LoadSearchProperties(m_initialising);
    return 0;
}
