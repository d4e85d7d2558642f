// The gallery dialog's frame: start-up, the message map, the switch between
// the sources, the gallery combo, the gallery commands, adding files and
// folders, and how the dialog ends.
// The list-view and header macros call the system, not the dialog's own SendMessage.
#define SNDMSG ::SendMessageW
#include "galleries/SelectedFiles.h"

#include "foundation/FolderPath.h"
#include "foundation/ShellHelpers.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"
#include "foundation/WindowPlacement.h"
#include "galleries/FileDrop.h"
#include "galleries/FileTypes.h"
#include "galleries/GalleryEntryCheck.h"
#include "galleries/GalleryNames.h"
#include "galleries/LocalGalleryStore.h"
#include "galleries/MediaProbe.h"
#include "resources/window/ProgramResourceIds.h"
#include "shell/core/Help.h"
#include "shell/core/HelpContexts.h"
#include "shell/core/MessageBox.h"

#include <cderr.h>
#include <commdlg.h>
#include <ole2.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace
{
constexpr WORD SysCommandReloadProperties = 0x40;
constexpr WORD SysCommandRescan = 0x60;
constexpr DWORD ScanPollDelay = 40;
constexpr COLORREF ProblemTextColour = RGB(255, 0, 0);

const GUID AddFilesClient = {0x477D769B, 0x94AD, 0x449D, {0xAD, 0xE2, 0x59, 0xD7, 0x42, 0xB8, 0xED, 0x1C}};
const GUID AddFolderClient = {0x817F89DA, 0x9B9D, 0x4923, {0xAB, 0x84, 0x9C, 0x63, 0x26, 0x2C, 0xBB, 0xB5}};

MString Text(UINT id) { return MString(ResId(id)); }

// The faces of the search lines' operator combos, tried in order, with their
// heights: the dialog's own font has no glyphs for most of the comparison
// signs (equivalence, subset).
DialogFont::Candidates OperatorFaces()
{
    using Face = Pair<MStringEx<wchar_t>, long>;
    return DialogFont::Candidates(new Face(L"Lucida Sans", 13), new Face(L"Arial Unicode MS", 14), nullptr);
}

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

const struct
{
    UINT text;
    wchar_t code;
} Conjunctions[] = {{IDS_CONJUNCTION_END, L'='},
                    {IDS_CONJUNCTION_NONE, L'='},
                    {IDS_CONJUNCTION_AND, L'&'},
                    {IDS_CONJUNCTION_OR, L'|'},
                    {IDS_CONJUNCTION_XOR, L'^'}};

int ComboData(HWND combo)
{
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, index, 0));
}

// Every file-system path that the common item dialog returns, in order.
bool ChooseWithItemDialog(HWND owner, bool folders, const MString& caption, std::vector<MString>& paths)
{
    IFileOpenDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&dialog))))
        return false;
    // Options first: choosing folders may give the dialog a title of its own,
    // which ours then replaces.
    dialog->SetOptions(folders ? 0x2000B60 : 0x2001B40);
    dialog->SetTitle(MString(sX::Format(), folders ? IDS_ADD_FOLDER_TITLE : IDS_ADD_FILES_TITLE, caption.GetText())
                         .GetText());
    dialog->SetOkButtonLabel(Text(folders ? IDS_ADD_FOLDER_BUTTON : IDS_ADD_FILES_BUTTON).GetText());
    dialog->SetClientGuid(folders ? AddFolderClient : AddFilesClient);
    if (!folders)
    {
        const std::vector<FileTypeFilter> filters = FileTypeFilters(UiLanguage, false);
        std::vector<COMDLG_FILTERSPEC> specs;
        for (const FileTypeFilter& filter : filters)
            specs.push_back({filter.name.GetText(), filter.pattern.GetText()});
        dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
        dialog->SetFileTypeIndex(1);
    }
    if (SUCCEEDED(dialog->Show(owner)))
    {
        IShellItemArray* items = nullptr;
        if (SUCCEEDED(dialog->GetResults(&items)))
        {
            DWORD count = 0;
            items->GetCount(&count);
            for (DWORD i = 0; i < count; ++i)
            {
                IShellItem* item = nullptr;
                if (FAILED(items->GetItemAt(i, &item)))
                    continue;
                wchar_t* path = nullptr;
                if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)))
                {
                    paths.emplace_back(path);
                    CoTaskMemFree(path);
                }
                item->Release();
            }
            items->Release();
        }
    }
    dialog->Release();
    return true;
}

UINT_PTR CALLBACK OpenFileDialogHook(HWND window, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        CenterWindowOnWindow(GetParent(window), GetWindow(GetParent(window), GW_OWNER));
    return 0;
}

// The older file dialog: folder, then the names after the file-name offset.
void ChooseWithOlderDialog(HWND owner, const MString& caption, std::vector<MString>& paths)
{
    constexpr DWORD ResultUnits = 0x400000;
    std::vector<wchar_t> result(ResultUnits);
    MString filter;
    std::vector<wchar_t> filterText;
    for (const FileTypeFilter& row : FileTypeFilters(UiLanguage, true))
    {
        filterText.insert(filterText.end(), row.name.GetText(), row.name.GetText() + row.name.GetLength() + 1);
        filterText.insert(filterText.end(), row.pattern.GetText(), row.pattern.GetText() + row.pattern.GetLength() + 1);
    }
    filterText.push_back(0);
    const MString title(sX::Format(), IDS_ADD_FILES_TITLE, caption.GetText());
    OPENFILENAMEW open = {};
    open.lStructSize = sizeof(open);
    open.hwndOwner = owner;
    open.lpstrFilter = filterText.data();
    open.nFilterIndex = 1;
    open.lpstrFile = result.data();
    open.nMaxFile = ResultUnits;
    open.lpstrTitle = title.GetText();
    open.Flags = 0x2181A26;
    open.lpfnHook = &OpenFileDialogHook;
    if (!GetOpenFileNameW(&open))
    {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            LocalizedMessageBox(owner, Text(IDS_ADD_FILES_TOO_MANY).GetText(), caption.GetText(), MB_ICONERROR);
        return;
    }
    MString folder(MString(result.data()).Left(open.nFileOffset));
    if (folder.GetLength() && folder.GetText()[folder.GetLength() - 1] == 0)
        folder = MString(result.data());
    if (!folder.IsEmpty() && folder.GetText()[folder.GetLength() - 1] != L'\\')
        folder += MString(L"\\");
    for (const wchar_t* name = result.data() + open.nFileOffset; *name; name += wcslen(name) + 1)
        paths.push_back(folder + name);
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM)
{
    if (message == BFFM_INITIALIZED)
        CenterWindowOnWindow(window, GetWindow(window, GW_OWNER));
    return 0;
}

bool BrowseForFolder(MString& path, HWND owner, const MString& title)
{
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.lpszTitle = title.GetText();
    browse.ulFlags = 0x82D8;
    browse.lpfn = &BrowseCallback;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen)
        return false;
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(chosen, folder))
        SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder);
    CoTaskMemFree(chosen);
    path = MString(folder);
    return true;
}
}

CSelectedFiles::CSelectedFiles(POINT cursor, DialogWindowSlot* slot, HWND mainWindow, const MString& startPath)
    : CControllerDialog<CSelectedFiles>(L"CSelectedFiles", slot, cursor), m_mainWindow(mainWindow),
      m_startPath(startPath), m_galleryInUse(ReadSelectedLocalGallery()), m_storedLocal(ReadMediaSource()),
      m_onlineChoice(ReadSelectedOnlineGallery()), m_dialogFont(OperatorFaces(), FW_NORMAL),
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
    m_list = Item(IDC_FILE_LIST);
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
    ListView_SetBkColor(m_list, RGB(255, 255, 255));
    ListView_SetExtendedListViewStyleEx(m_list, LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP,
                                        LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    const UINT headers[FileListColumns] = {IDS_COLUMN_NAME,     IDS_COLUMN_STATUS, IDS_COLUMN_KIND,
                                           IDS_COLUMN_WIDTH,    IDS_COLUMN_HEIGHT, IDS_COLUMN_DURATION,
                                           IDS_COLUMN_TYPE,     IDS_COLUMN_SIZE,   IDS_COLUMN_FOLDER};
    const int defaultWidths[FileListColumns] = {200, 60, 70, 50, 50, 60, 110, 70, 200};
    const bool stored_view = ReadFileListView(m_view);
    RECT client = {};
    ::GetClientRect(m_list, &client);
    for (int c = 0; c < FileListColumns; ++c)
    {
        const MString header = Text(headers[c]);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = (c >= ColumnWidth && c <= ColumnDuration) || c == ColumnSize ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = stored_view ? ClampColumnWidth(m_view.widths[c], client.right) : defaultWidths[c];
        column.pszText = const_cast<wchar_t*>(header.GetText());
        ListView_InsertColumn(m_list, c, &column);
    }
    if (stored_view && !ListView_SetColumnOrderArray(m_list, FileListColumns, m_view.order))
        m_view = FileListState();

    // Nudge OK and Cancel: one pixel right, one pixel wider.
    for (int id : {IDC_SELECTION_OK, IDC_SELECTION_CANCEL})
    {
        HWND button = Item(id);
        RECT r = {};
        ::GetWindowRect(button, &r);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        ::MoveWindow(button, r.left + 1, r.top, r.right - r.left + 1, r.bottom - r.top, FALSE);
    }
    for (int id = IDC_CONJUNCTION_FIRST; id <= IDC_CONJUNCTION_LAST; ++id)
    {
        for (const auto& conjunction : Conjunctions)
        {
            const LRESULT item =
                SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(conjunction.text).GetText()));
            SendDlgItemMessage(id, CB_SETITEMDATA, item, conjunction.code);
        }
        SendDlgItemMessage(id, CB_SETCURSEL, 0);
    }
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
    RECT clientRect = {};
    GetClientRect(&clientRect);
    const int grip = GetSystemMetrics(SM_CXVSCROLL);
    m_sizeGrip = CreateWindowExW(0, L"Scrollbar", nullptr, WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP,
                                 clientRect.right - grip, clientRect.bottom - grip, grip, grip, m_hWnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SIZE_GRIP)), nullptr, nullptr);
    ::SetWindowPos(m_sizeGrip, m_list, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_layoutClient = clientRect;
    for (int id = IDC_SOURCE_LABEL; id <= IDC_RELOAD_PROPERTIES; ++id)
        if (HWND control = Item(id))
        {
            RECT r = {};
            ::GetWindowRect(control, &r);
            MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
            m_layout.emplace_back(id, r);
        }

    PrepareSearchLines();

    m_oleInitialised = SUCCEEDED(OleInitialize(nullptr));
    m_dropTarget = RegisterFileDropTarget(m_list, this);

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
    if (ListView_GetColumnWidth(m_list, 0) < static_cast<int>(SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_GETPOS)) + 80)
        ListView_SetColumnWidth(m_list, 0, SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_GETPOS) + 80);
    MakeSortMarks(m_ascendingMark, m_descendingMark);
    UpdateSortMarks();
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
    std::unique_ptr<MString> text(reinterpret_cast<MString*>(lParam));
    if (!m_initialising)
        return 0;
    PostMessage(WM_SHOW_SELECTED_GALLERY);
    m_initialising = false;
    ::ShowWindow(m_hWnd, SW_SHOW);
    SetForegroundWindow(m_hWnd);
    if (wParam == 1 && text)
        PostMessage(WM_SHOW_STARTUP_MESSAGE, 0, reinterpret_cast<LPARAM>(text.release()));
    return 0;
}

LRESULT CSelectedFiles::OnShowStartupMessage(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    std::unique_ptr<MString> text(reinterpret_cast<MString*>(lParam));
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
    std::unique_ptr<MString> text(reinterpret_cast<MString*>(lParam));
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

// The filter's problems stand out in red on the dialog's face.
LRESULT CSelectedFiles::OnCtlColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (reinterpret_cast<HWND>(lParam) != Item(IDC_FILTER_NOTICE))
    {
        handled = FALSE;
        return 0;
    }
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    if (face != m_faceColour)
    {
        m_faceColour = face;
        m_faceBrush = std::make_unique<MSolidBrush>(face);
    }
    const HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, ProblemTextColour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(m_faceBrush->Get());
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
        ShowHelpContext(help->iCtrlId >= CmdCopyFiles && help->iCtrlId <= CmdRemoveFiles ? 0x10000 + help->iCtrlId
                                                                                          : DialogHelpContext(IDD));
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
        LoadSearchProperties();
    else
        handled = FALSE;
    return 0;
}

LRESULT CSelectedFiles::OnSetColumnWidth(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ListView_SetColumnWidth(m_list, static_cast<int>(wParam), LOWORD(lParam));
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
                       MF_BYCOMMAND | (ListView_GetItemCount(m_list) > 0 && !IsScanning() ? MF_ENABLED
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
        if (!m_initialising && m_request)
            StoreOnlineFilter(filterChanged, false);
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
        if (!m_initialising && m_entriesModified)
            SaveShownGallery(false);
        UpdateSystemMenu(true);
        for (int id : LocalControls)
            ::ShowWindow(Item(id), SW_HIDE);
        ::ShowWindow(m_sizeGrip, SW_HIDE);
        for (int id : OnlineControls)
            ::ShowWindow(Item(id), SW_SHOW);
        ::EnableWindow(Item(IDC_SELECTION_OK), TRUE);
        kept = PrepareOnlineSide();
        if (!m_initialising && !kept.IsEmpty())
            ShowMessage(kept, ::IsWindowEnabled(Item(IDC_SELECTION_OK)) ? MB_ICONINFORMATION : MB_ICONERROR);
    }
    if (m_initialising)
        PostMessage(WM_STARTUP_DONE, kept.IsEmpty() ? 0 : 1,
                    kept.IsEmpty() ? 0 : reinterpret_cast<LPARAM>(new MString(kept)));
    return 0;
}

void CSelectedFiles::ShowLocalControls()
{
    if (!m_initialising && ::IsWindowVisible(m_sizeGrip))
        return;
    for (int id : OnlineControls)
        ::ShowWindow(Item(id), SW_HIDE);
    HideSearchLines();
    for (int id : LocalControls)
        ::ShowWindow(Item(id), SW_SHOW);
    ::ShowWindow(m_sizeGrip, SW_SHOW);
    ::EnableWindow(Item(IDC_SELECTION_OK), !IsScanning());
    ModifyStyle(0, WS_THICKFRAME);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, m_localSize.cx, m_localSize.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// ---- The gallery combo and the gallery commands -----------------------------

MString CSelectedFiles::GetComboGalleryName() const
{
    HWND combo = ::GetDlgItem(m_hWnd, IDC_LOCAL_GALLERY);
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return MString();
    std::vector<wchar_t> text(static_cast<size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, index, 0)) + 1);
    ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return MString(text.data());
}

bool CSelectedFiles::SaveShownGallery(bool showErrors)
{
    std::vector<MString> paths(m_paths.begin(), m_paths.end());
    std::unique_ptr<MediaProbe> media = NewWindowsMediaPlayerProbe();
    const GallerySave save = SaveLocalGalleryFiles(m_hWnd, GetComboGalleryName(), paths, showErrors,
                                                   GalleryEntryCheck(media.get()));
    if (!save.saved)
        return false;
    m_entriesModified = false;
    if (EqualsIgnoringCase(GetComboGalleryName(), m_galleryInUse))
        m_galleryInUseChanged = true;
    return true;
}

LRESULT CSelectedFiles::OnGalleryChange(WORD, WORD, HWND, BOOL&)
{
    const int previous = m_comboIndex;
    const int chosen = static_cast<int>(SendDlgItemMessage(IDC_LOCAL_GALLERY, CB_GETCURSEL));
    if (m_entriesModified && previous >= 0)
    {
        SendDlgItemMessage(IDC_LOCAL_GALLERY, CB_SETCURSEL, previous);
        const bool saved = SaveShownGallery(true);
        if (!saved)
            return 0;
        SendDlgItemMessage(IDC_LOCAL_GALLERY, CB_SETCURSEL, chosen);
    }
    m_comboIndex = chosen;
    ShowLocalGallery(GetComboGalleryName());
    return 0;
}

bool CSelectedFiles::ShowLocalGallery(const MString& name)
{
    m_entriesModified = false;
    std::vector<MString> galleries;
    ListLocalGalleries(galleries);
    HWND combo = Item(IDC_LOCAL_GALLERY);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const MString& gallery : galleries)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(gallery.GetText()));
    const int fileControls[] = {IDC_FILE_LIST, IDC_ADD_FILES, IDC_ADD_FOLDER};
    if (galleries.empty())
    {
        for (int id : {IDC_LOCAL_GALLERY, IDC_RENAME_GALLERY, IDC_DELETE_GALLERY, IDC_REMOVE_FILES})
            ::EnableWindow(Item(id), FALSE);
        ::EnableWindow(Item(IDC_NEW_GALLERY), TRUE);
        StopScan();
        ClearList();
        for (int id : fileControls)
            ::EnableWindow(Item(id), FALSE);
        m_comboIndex = -1;
        UpdateSystemMenu(!IsLocalSourceChosen());
        return false;
    }
    ::EnableWindow(combo, TRUE);
    LRESULT index = name.IsEmpty() ? CB_ERR
                                   : ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(name.GetText()));
    if (index == CB_ERR)
    {
        index = 0;
        ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
        WriteSelectedLocalGallery(m_hWnd, GetComboGalleryName());
    }
    ::SendMessageW(combo, CB_SETCURSEL, index, 0);
    m_comboIndex = static_cast<int>(index);
    for (int id : {IDC_NEW_GALLERY, IDC_RENAME_GALLERY, IDC_DELETE_GALLERY})
        ::EnableWindow(Item(id), TRUE);
    for (int id : fileControls)
        ::EnableWindow(Item(id), TRUE);

    StopScan();
    ClearList();
    m_loadingGallery = true;
    std::unique_ptr<ScanJob> job = NewScanJob(ScanMode::AddFiles);
    StartGalleryScan(std::move(job));
    return true;
}

LRESULT CSelectedFiles::OnGalleryCommand(WORD, WORD id, HWND, BOOL&)
{
    if (id == IDC_NEW_GALLERY)
        CreateLocalGallery();
    else if (id == IDC_RENAME_GALLERY)
        RenameLocalGallery();
    else
        DeleteLocalGallery();
    return 0;
}

void CSelectedFiles::CreateLocalGallery()
{
    if (m_entriesModified && !SaveShownGallery(true))
        return;
    CLocalGalleryName ask(m_caption, MString());
    if (ask.DoModal(m_hWnd) != 1)
        return;
    const LONG error = CreateGalleryKey(ask.Name());
    if (error != ERROR_SUCCESS)
        return ShowMessage(MString(sX::Format(), IDS_GALLERY_CREATE_FAILED, ask.Name().GetText(),
                                   FormatSystemError(static_cast<DWORD>(error)).GetText()),
                           MB_ICONERROR);
    ShowLocalGallery(ask.Name());
}

void CSelectedFiles::RenameLocalGallery()
{
    if (m_entriesModified && !SaveShownGallery(true))
        return;
    const MString current = GetComboGalleryName();
    CLocalGalleryName ask(m_caption, current);
    if (ask.DoModal(m_hWnd) != 1 || ask.Name() == current)
        return;
    MString failed;
    const LONG error = RenameGalleryKey(current, ask.Name(), failed);
    if (error != ERROR_SUCCESS)
        return ShowMessage(MString(sX::Format(), IDS_GALLERY_RENAME_FAILED, failed.GetText(),
                                   FormatSystemError(static_cast<DWORD>(error)).GetText()),
                           MB_ICONERROR);
    if (EqualsIgnoringCase(m_galleryInUse, current))
        m_galleryInUse = ask.Name();
    ShowLocalGallery(ask.Name());
}

void CSelectedFiles::DeleteLocalGallery()
{
    const MString name = GetComboGalleryName();
    const LONG error = DeleteGalleryKey(name);
    if (error != ERROR_SUCCESS)
        return ShowMessage(MString(sX::Format(), IDS_GALLERY_DELETE_FAILED, name.GetText(),
                                   FormatSystemError(static_cast<DWORD>(error)).GetText()),
                           MB_ICONERROR);
    if (EqualsIgnoringCase(m_galleryInUse, name))
        m_galleryInUse = MString();
    if (EqualsIgnoringCase(ReadSelectedLocalGallery(), name))
        ClearSelectedLocalGallery();
    ShowLocalGallery(ReadSelectedLocalGallery());
}

// ---- Adding ---------------------------------------------------------------

LRESULT CSelectedFiles::OnAddCommand(WORD, WORD id, HWND, BOOL&)
{
    if (id == IDC_ADD_FILES || id == CmdAddFiles)
        AddFiles();
    else
        AddFolder();
    return 0;
}

void CSelectedFiles::AddFiles()
{
    std::vector<MString> paths;
    if (!ChooseWithItemDialog(m_hWnd, false, m_caption, paths))
        ChooseWithOlderDialog(m_hWnd, m_caption, paths);
    AfterAdding(paths);
}

void CSelectedFiles::AddFolder()
{
    std::vector<MString> paths;
    if (!ChooseWithItemDialog(m_hWnd, true, m_caption, paths))
    {
        MString folder;
        if (BrowseForFolder(folder, m_hWnd, MString(sX::Format(), IDS_BROWSE_FOLDER_TITLE, m_caption.GetText())))
            paths.push_back(folder);
    }
    AfterAdding(paths);
}

void CSelectedFiles::AfterAdding(std::vector<MString>& paths)
{
    if (paths.empty())
        return;
    const int first = ListView_GetItemCount(m_list);
    StartScan(paths);
    ListView_EnsureVisible(m_list, first, FALSE);
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
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
    if (!StoreOnlineFilter(filterChanged, true))
        return;
    WriteMediaSource(false);
    EndDialog(sourceChanged || filterChanged || !IsOnlineChoiceUnchanged() ? OnlineChanged : NothingChanged);
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
    if (m_dropDowns.open || GetTickCount() - m_dropDowns.closedTick < GetDoubleClickTime())
    {
        if (m_dropDowns.open || m_dropDowns.closedTick)
        {
            ::SetFocus(m_dropDowns.open ? m_dropDowns.open : Item(IDC_CONJUNCTION_FIRST));
            MessageBeep(MB_ICONERROR);
            return 0;
        }
    }
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
        EndDialog(IsOnlineChoiceUnchanged() ? NothingChanged : OnlineChanged);
    else
        EndDialog(LocalEndCode());
}

bool CSelectedFiles::IsLocalSourceChosen() const { return ComboData(::GetDlgItem(m_hWnd, IDC_MEDIA_SOURCE)) == 1; }

LRESULT CSelectedFiles::OnConjunctionCommand(WORD code, WORD id, HWND control, BOOL&)
{
    if (code == CBN_DROPDOWN)
    {
        m_dropDowns.open = control;
        m_dropDowns.closedTick = 0;
    }
    else if (code == CBN_CLOSEUP)
    {
        m_dropDowns.open = nullptr;
        m_dropDowns.closedTick = GetTickCount();
    }
    else if (code == CBN_SELCHANGE)
    {
        // A joining shows the next line; the end resets the lines after it.
        const DWORD line = id - IDC_CONJUNCTION_FIRST + 1;
        const int data = ComboData(control);
        if (data > 0 && data != L'=')
        {
            ::ShowWindow(*m_lines[line], SW_SHOW);
            if (line + 1 < MaximumSearchLines)
                ::ShowWindow(Item(IDC_CONJUNCTION_FIRST + line), SW_SHOW);
        }
        else
        {
            ::SendMessageW(control, CB_SETCURSEL, 0, 0);
            ResetSearchLinesFrom(line + 1);
        }
        LayoutSearchLines();
    }
    return 0;
}
