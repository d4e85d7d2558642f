// The gallery dialog's file list: the scan's records, the thumbnails and
// their size, the list's look kept between runs, sorting, the keys and the
// context menu, the shell verbs, removing and renaming files.
// The list-view and header macros call the system, not the dialog's own SendMessage.
#define SNDMSG ::SendMessageW
#include "galleries/SelectedFiles.h"

#include "foundation/FolderPath.h"
#include "foundation/ShellHelpers.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"
#include "galleries/GalleryNames.h"
#include "resources/window/ProgramResourceIds.h"
#include "galleries/FileDrop.h"
#include "galleries/Thumbnail.h"
#include "shell/core/EditContextMenu.h"
#include "shell/core/Help.h"
#include "shell/core/MessageBox.h"

#include <shellapi.h>

#include <algorithm>
#include <map>

namespace
{
// The count label is rewritten at most this often while records arrive.
constexpr DWORD CountLabelInterval = 150;
constexpr UINT NameBalloonTimeout = 100;
constexpr size_t MostLinesListed = 15;
constexpr size_t LinesListed = 10;
constexpr size_t AskAbove = 10;

MString Text(UINT id) { return MString(ResId(id)); }
MString Number(unsigned __int64 n) { return MString(true, n); }

MString ItemText(HWND list, int item, int column)
{
    std::vector<wchar_t> buffer(256);
    for (;;)
    {
        LVITEMW lv = {};
        lv.iSubItem = column;
        lv.pszText = buffer.data();
        lv.cchTextMax = static_cast<int>(buffer.size());
        const LRESULT length = ::SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
        if (static_cast<size_t>(length) + 1 < buffer.size())
            return MString(buffer.data());
        buffer.resize(buffer.size() * 2);
    }
}

// The sort column's text of every item, by the item's parameter: the
// comparison reads no item while the list moves them.
struct SortContext
{
    std::map<LPARAM, MString> texts;
    int column;
    bool ascending;
};

// Keeps a window from redrawing for the scope, then has it redrawn whole.
class RedrawPause
{
public:
    explicit RedrawPause(HWND window) : m_window(window) { ::SendMessageW(m_window, WM_SETREDRAW, FALSE, 0); }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;
    ~RedrawPause()
    {
        ::SendMessageW(m_window, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(m_window, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }

private:
    HWND m_window;
};

int CALLBACK CompareItems(LPARAM first, LPARAM second, LPARAM context)
{
    const auto* sort = reinterpret_cast<const SortContext*>(context);
    const int result = CompareColumnTexts(sort->column, sort->texts.at(first), sort->texts.at(second));
    return sort->ascending ? result : -result;
}
}

void MakeSortMarks(MBitmap& ascending, MBitmap& descending)
{
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), face = GetSysColor(COLOR_BTNFACE);
    HDC screen = GetDC(nullptr);
    for (int mark = 0; mark < 2; ++mark)
    {
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 7, 4);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        for (int row = 0; row < 4; ++row)
        {
            const int width = mark == 0 ? 1 + 2 * row : 7 - 2 * row;
            for (int x = 0; x < 7; ++x)
                SetPixel(dc, x, row, std::abs(x - 3) <= width / 2 ? shadow : face);
        }
        SelectObject(dc, old);
        DeleteDC(dc);
        *(mark == 0 ? ascending : descending).ReleaseForReuse() = bitmap;
    }
    ReleaseDC(nullptr, screen);
}

// ---- The scan ---------------------------------------------------------------

std::unique_ptr<ScanJob> CSelectedFiles::NewScanJob(ScanMode mode)
{
    auto job = std::make_unique<ScanJob>();
    job->dialog = m_hWnd;
    job->gallery = GetComboGalleryName();
    job->mode = mode;
    job->icons = m_icons;
    job->cancelEvent = m_stopEvent;
    job->records = &m_scanRecords;
    job->thumbnailSize = static_cast<UINT>(SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_GETPOS));
    job->runningScans = &m_runningScans;
    job->artModule = GetModuleHandleW(nullptr);
    return job;
}

void CSelectedFiles::StartScan(std::vector<MString>& paths)
{
    for (const MString& path : paths)
        if (path.GetLength() >= 3 && GetDriveTypeW(path.Left(3).GetText()) == DRIVE_CDROM)
        {
            if (LocalizedMessageBox(m_hWnd, Text(IDS_SCAN_CDROM_QUESTION).GetText(), m_caption.GetText(),
                                    MB_YESNO | MB_ICONWARNING) == IDYES)
            {
                paths.clear();
                return;
            }
            break;
        }
    m_entriesModified = true;
    m_loadingGallery = false;
    std::unique_ptr<ScanJob> job = NewScanJob(ScanMode::AddFiles);
    job->paths = std::move(paths);
    paths.clear();
    StartGalleryScan(std::move(job));
}

void CSelectedFiles::StartGalleryScan(std::unique_ptr<ScanJob> job)
{
    SetBusy(true);
    InterlockedIncrement(&m_runningScans);
    InterlockedIncrement(&m_busyScans);
    ResetEvent(m_stopEvent);
    UpdateSystemMenu(false);
    StartScanThread(std::move(job));
}

void CSelectedFiles::SetBusy(bool busy)
{
    const int size = static_cast<int>(SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_GETPOS));
    if (busy && ListView_GetColumnWidth(m_list, 0) < size + 80)
        ListView_SetColumnWidth(m_list, 0, size + 80);
    if (IsLocalSourceChosen())
        ::EnableWindow(Item(IDC_SELECTION_OK), !busy);
    ::EnableWindow(Item(IDC_THUMBNAIL_SIZE), !busy);
    ::SetWindowLongPtrW(m_list, GWL_STYLE, busy ? GetWindowLongPtrW(m_list, GWL_STYLE) & ~LVS_EDITLABELS
                                                : GetWindowLongPtrW(m_list, GWL_STYLE) | LVS_EDITLABELS);
}

bool CSelectedFiles::IsScanning() const { return InterlockedCompareExchange(const_cast<LONG*>(&m_runningScans), 0, 0) != 0; }

void CSelectedFiles::StopScan() { SetEvent(m_stopEvent); }

void CSelectedFiles::ClearList()
{
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    ListView_DeleteAllItems(m_list);
    m_paths.clear();
    ::SetDlgItemTextW(m_hWnd, IDC_FILE_COUNT, L"");
    UpdateSelectionControls();
}

std::list<MString>::iterator CSelectedFiles::FindGalleryPath(const MString& path)
{
    const MString normalised = NormalizeFolderPath(path);
    return std::find_if(m_paths.begin(), m_paths.end(),
                        [&](const MString& held) { return EqualsIgnoringCase(NormalizeFolderPath(held), normalised); });
}

int CSelectedFiles::FindItem(const MString* path) const
{
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(path);
    return static_cast<int>(::SendMessageW(m_list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

int CSelectedFiles::AddImage(FileItemRecord& record)
{
    if (!record.thumbnail)
        return static_cast<int>(record.icon & 0xFFFFFF);
    const int index = ImageList_Add(m_images, record.thumbnail, nullptr);
    DeleteObject(record.TakeThumbnail());
    return index >= 0 ? index : static_cast<int>(m_icons.failure);
}

void CSelectedFiles::FillColumns(int item, const FileItemRecord& record, bool withName)
{
    const MString none;
    const MString texts[FileListColumns] = {
        FileNameOf(record.path), record.status, record.contentKind,
        record.width == ~0u ? none : Number(record.width), record.height == ~0u ? none : Number(record.height),
        record.duration == -1.0 ? none : DurationText(record.duration), record.typeName,
        record.size == ~0ull ? none : Number(record.size), NormalizeFolderPath(record.path).BeforeLast(L'\\', false)};
    for (int c = withName ? 0 : 1; c < (withName ? FileListColumns : ColumnFolder); ++c)
        ListView_SetItemText(m_list, item, c, const_cast<wchar_t*>(texts[c].GetText()));
}

LRESULT CSelectedFiles::OnQuickRecords(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    auto& batch = *reinterpret_cast<ScanRecordBatch*>(lParam);
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    // Nothing is painted while a batch is taken, yet an insertion into a list
    // that may redraw does its screen work at once (measured under Wine:
    // about 20 ms an item): the list redraws once per batch instead.
    RedrawPause pause(m_list);
    for (size_t i = 0; i < batch.records.size() && i < batch.answers.size(); ++i)
        batch.answers[i] = TakeQuickRecord(std::move(batch.records[i]));
    return 0;
}

LRESULT CSelectedFiles::OnFullRecords(UINT, WPARAM, LPARAM, BOOL&)
{
    auto records = m_scanRecords.TakeAll();
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    for (auto& record : records)
        TakeFullRecord(std::move(record));
    return 0;
}

// A quick record of the first pass (the list semaphore is held): the answer
// tells the scan whether the path needs its second pass.
LRESULT CSelectedFiles::TakeQuickRecord(std::unique_ptr<FileItemRecord> record)
{
    const MString path = NormalizeFolderPath(record->path);
    for (const MString& held : m_paths)
    {
        const MString normalised = NormalizeFolderPath(held);
        if (EqualsIgnoringCase(normalised, path))
            return SkipSecondPass;
        if (IsStrictSubPath(normalised, path))
            return SkipSecondPass | NoteFolderMerge;
    }
    LRESULT answer = NeedsSecondPass;
    if (record->kind == FileItemRecord::Folder)
    {
        answer = SkipSecondPass;
        for (auto held = m_paths.begin(); held != m_paths.end();)
        {
            if (!IsStrictSubPath(path, NormalizeFolderPath(*held)))
            {
                ++held;
                continue;
            }
            ListView_DeleteItem(m_list, FindItem(&*held));
            held = m_paths.erase(held);
            answer |= NoteFolderMerge;
        }
    }
    m_paths.push_back(record->path);
    m_fillingItems = true;
    LVITEMW item = {};
    item.mask = LVIF_PARAM | LVIF_IMAGE | LVIF_TEXT | LVIF_STATE;
    item.iItem = ListView_GetItemCount(m_list);
    item.lParam = reinterpret_cast<LPARAM>(&m_paths.back());
    item.state = INDEXTOOVERLAYMASK((record->icon >> 24) & 0xF);
    item.stateMask = LVIS_OVERLAYMASK;
    item.iImage = AddImage(*record);
    const MString name = FileNameOf(record->path);
    item.pszText = const_cast<wchar_t*>(name.GetText());
    const int index = static_cast<int>(::SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    FillColumns(index, *record, true);
    m_fillingItems = false;
    if (m_loadingGallery)
        UpdateCountLabel(IDS_COUNT_LOADING, IDS_COUNT_LOADING, ListView_GetItemCount(m_list), true);
    else
        UpdateCountLabel(IDS_COUNT_ADDING_SELECTED, IDS_COUNT_ADDING, ListView_GetItemCount(m_list), true);
    UpdateSelectionControls();
    return answer;
}

// A full record of the second pass (the list semaphore is held).
void CSelectedFiles::TakeFullRecord(std::unique_ptr<FileItemRecord> record)
{
    const auto held = FindGalleryPath(record->path);
    if (held == m_paths.end())
        return;
    const int index = FindItem(&*held);
    if (index < 0)
        return;
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = AddImage(*record);
    m_fillingItems = true;
    ::SendMessageW(m_list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    FillColumns(index, *record, false);
    m_fillingItems = false;
    UpdateCountLabel(IDS_COUNT_SCANNING_SELECTED, IDS_COUNT_SCANNING, index + 1, true);
}

LRESULT CSelectedFiles::OnStillHeld(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    auto& query = *reinterpret_cast<StillHeldQuery*>(lParam);
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    for (size_t i = 0; i < query.paths.size() && i < query.held.size(); ++i)
        query.held[i] = FindGalleryPath(*query.paths[i]) != m_paths.end();
    return 0;
}

LRESULT CSelectedFiles::OnPassEnd(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    std::unique_ptr<MString> summary(reinterpret_cast<MString*>(lParam));
    if (wParam == ScanEnded)
    {
        if (InterlockedCompareExchange(&m_runningScans, 0, 0) == 0)
        {
            SetBusy(false);
            UpdateSystemMenu(!IsLocalSourceChosen());
        }
        return 0;
    }
    {
        SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
        if (wParam == 1)
        {
            m_loadingGallery = false;
            SortList();
            UpdateSortMarks();
        }
        else
            InterlockedDecrement(&m_busyScans);
        UpdateEntryCount();
    }
    if (wParam == 0)
        SelectStartPath();
    if (!summary || summary->IsEmpty())
        return 0;
    m_pendingSummary = *summary;
    if (!IsLocalSourceChosen())
        return 0;
    SemaphoreGuard box(m_summaryGuard, SemaphoreGuard::Take::Try);
    if (!box.IsHeld())
        return 0;
    m_pendingSummary = MString();
    const MString ok = Text(IDS_STATUS_OK);
    for (int i = 0, count = ListView_GetItemCount(m_list); i < count; ++i)
        if (ItemText(m_list, i, ColumnStatus) != ok)
        {
            ListView_EnsureVisible(m_list, i, FALSE);
            break;
        }
    const bool note = summary->Find(MString(L"\r\n\r\n"), 0, true) != static_cast<unsigned __int64>(-1);
    ShowMessage(*summary, note ? MB_ICONWARNING : MB_ICONERROR);
    return 0;
}

void CSelectedFiles::SelectStartPath()
{
    if (m_startPath.IsEmpty())
        return;
    const MString start = NormalizeFolderPath(m_startPath);
    m_startPath = MString();
    const MString* found = nullptr;
    for (const MString& held : m_paths)
        if (EqualsIgnoringCase(NormalizeFolderPath(held), start))
            found = &held;
    if (!found)
        for (const MString& held : m_paths)
            if (IsStrictSubPath(NormalizeFolderPath(held), start))
            {
                found = &held;
                break;
            }
    const int item = found ? FindItem(found) : -1;
    if (item < 0)
        return;
    ListView_EnsureVisible(m_list, item, FALSE);
    ListView_SetItemState(m_list, item, LVIS_SELECTED, LVIS_SELECTED);
}

void CSelectedFiles::UpdateCountLabel(UINT withSelection, UINT plain, int count, bool limited)
{
    const DWORD now = GetTickCount();
    if (limited && now - m_countLabelTick <= CountLabelInterval)
        return;
    m_countLabelTick = now;
    const UINT selected = ListView_GetSelectedCount(m_list);
    const MString text = selected ? MString(sX::Format(), withSelection, Number(count).GetText(), Number(selected).GetText())
                                  : MString(sX::Format(), plain, Number(count).GetText());
    ::SetDlgItemTextW(m_hWnd, IDC_FILE_COUNT, text.GetText());
}

// The settled list: its files and folders counted apart, and the selection.
void CSelectedFiles::UpdateEntryCount()
{
    m_countLabelTick = GetTickCount();
    const int count = ListView_GetItemCount(m_list);
    int folders = 0;
    for (int i = 0; i < count; ++i)
    {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        if (ListView_GetItem(m_list, &item) && item.iImage == static_cast<int>(m_icons.folder))
            ++folders;
    }
    const UINT selected = ListView_GetSelectedCount(m_list);
    const MString files = Number(count - folders), folderCount = Number(folders);
    const MString text = selected ? MString(sX::Format(), IDS_COUNT_ENTRIES_SELECTED, files.GetText(),
                                            folderCount.GetText(), Number(selected).GetText())
                                  : MString(sX::Format(), IDS_COUNT_ENTRIES, files.GetText(), folderCount.GetText());
    ::SetDlgItemTextW(m_hWnd, IDC_FILE_COUNT, text.GetText());
}

void CSelectedFiles::UpdateSelectionControls()
{
    ::EnableWindow(Item(IDC_REMOVE_FILES), ListView_GetSelectedCount(m_list) > 0);
}

MString CSelectedFiles::GetItemPath(int index) const
{
    wchar_t folder[MAX_PATH] = {}, name[MAX_PATH] = {};
    ListView_GetItemText(m_list, index, ColumnFolder, folder, MAX_PATH);
    ListView_GetItemText(m_list, index, ColumnName, name, MAX_PATH);
    if (!folder[0])
        return MString(name);
    MString path(folder);
    if (path.GetText()[path.GetLength() - 1] != L'\\')
        path += MString(L"\\");
    return path + name;
}

std::vector<int> CSelectedFiles::SelectedItems() const
{
    std::vector<int> items;
    for (int i = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(m_list, i, LVNI_SELECTED))
        items.push_back(i);
    return items;
}

// ---- Thumbnails and their size --------------------------------------------

bool CSelectedFiles::RebuildImageList()
{
    const int n = static_cast<int>(SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_GETPOS));
    HIMAGELIST images = ImageList_Create(n, n, ILC_COLOR32, ListView_GetItemCount(m_list) + 2, 20);
    if (!images)
    {
        ShowMessage(Text(IDS_IMAGE_LIST_FAILED), MB_ICONERROR);
        return false;
    }
    HIMAGELIST old = ListView_SetImageList(m_list, images, LVSIL_SMALL);
    if (old)
        ImageList_Destroy(old);
    m_images = images;
    const HMODULE art = GetModuleHandleW(nullptr);
    const UINT ids[3] = {IDP_FILE_THUMBNAIL, IDP_FOLDER_THUMBNAIL, IDP_FAILURE_THUMBNAIL};
    UINT* slots[3] = {&m_icons.file, &m_icons.folder, &m_icons.failure};
    for (int i = 0; i < 3; ++i)
    {
        MBitmap bitmap(MakeResourceThumbnail(art, ids[i], static_cast<UINT>(n)));
        *slots[i] = static_cast<UINT>(std::max(0, ImageList_Add(images, bitmap, nullptr)));
    }
    if (ListView_GetItemCount(m_list) > 0)
    {
        std::unique_ptr<ScanJob> job = NewScanJob(ScanMode::Rescan);
        {
            SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
            job->paths.assign(m_paths.begin(), m_paths.end());
            m_paths.clear();
            ListView_DeleteAllItems(m_list);
        }
        UpdateSelectionControls();
        StartGalleryScan(std::move(job));
    }
    return true;
}

void CSelectedFiles::RefreshList()
{
    if (!IsScanning())
        RebuildImageList();
}

LRESULT CSelectedFiles::OnHScroll(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    if (reinterpret_cast<HWND>(lParam) != Item(IDC_THUMBNAIL_SIZE))
    {
        handled = FALSE;
        return 0;
    }
    ShowThumbnailSize();
    // Apply the size once the slider rests: a little longer than the
    // keyboard's repeat delay.
    int delaySetting = 1;
    DWORD speed = 31;
    const UINT delay = SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delaySetting, 0) && delaySetting >= 0 &&
                               delaySetting <= 3
                           ? 250u * (delaySetting + 1)
                           : 500u;
    const UINT repeat = SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0)
                            ? static_cast<UINT>(1000.0 / (speed * 0.8870967741935484 + 2.5))
                            : 50u;
    if (!SetTimer(SizeTimerId, std::max(delay, repeat) * 133 / 100))
        ApplyThumbnailSize();
    return 0;
}

// The size beside the slider, in the unit the template gives.
void CSelectedFiles::ShowThumbnailSize()
{
    const MString size = Number(static_cast<int>(SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_GETPOS)));
    ::SetDlgItemTextW(m_hWnd, IDC_THUMBNAIL_UNIT,
                      MString(sX::Format(), L"%s %s", size.GetText(), m_thumbnailUnit.GetText()).GetText());
}

LRESULT CSelectedFiles::OnSliderReleased(int, NMHDR*, BOOL&)
{
    KillTimer(SizeTimerId);
    BOOL handled = TRUE;
    return OnHScroll(WM_HSCROLL, 0, reinterpret_cast<LPARAM>(Item(IDC_THUMBNAIL_SIZE)), handled);
}

LRESULT CSelectedFiles::OnSizeTimer(UINT_PTR, BOOL&)
{
    if (GetCapture() == Item(IDC_THUMBNAIL_SIZE))
        return 0;
    KillTimer(SizeTimerId);
    ApplyThumbnailSize();
    return 0;
}

void CSelectedFiles::ApplyThumbnailSize()
{
    int oldSize = 0, height = 0;
    ImageList_GetIconSize(m_images, &oldSize, &height);
    const int newSize = static_cast<int>(SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_GETPOS));
    if (newSize == oldSize)
        return;
    const int width = ListView_GetColumnWidth(m_list, 0);
    if (!RebuildImageList())
    {
        SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_SETPOS, TRUE, oldSize);
        ShowThumbnailSize();
        return;
    }
    ListView_SetColumnWidth(m_list, 0, std::max(width - oldSize + newSize, newSize + 80));
}

LRESULT CSelectedFiles::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    LayoutLocalControls();
    return 0;
}

void CSelectedFiles::LayoutLocalControls()
{
    SemaphoreGuard layout(m_layoutGuard, SemaphoreGuard::Take::Try);
    if (!layout.IsHeld() || m_layout.empty())
        return;
    RECT client = {};
    GetClientRect(&client);
    const int dx = client.right - m_layoutClient.right, dy = client.bottom - m_layoutClient.bottom;
    for (const auto& placed : m_layout)
    {
        RECT r = placed.second;
        const int id = placed.first;
        const bool list = id == IDC_FILE_LIST || id == IDC_FILTER_NOTICE;
        const bool bottom = (id >= IDC_ADD_FILES && id <= IDC_THUMBNAIL_UNIT) || id == IDC_SELECTION_OK ||
                            id == IDC_SELECTION_CANCEL;
        const bool right = id == IDC_THUMBNAIL_SIZE || id == IDC_THUMBNAIL_LABEL || id == IDC_THUMBNAIL_UNIT ||
                           id == IDC_SELECTION_OK || id == IDC_SELECTION_CANCEL;
        if (list)
        {
            r.right += dx;
            r.bottom += id == IDC_FILE_LIST ? dy : 0;
        }
        if (bottom)
            OffsetRect(&r, 0, dy);
        if (right)
            OffsetRect(&r, dx, 0);
        ::MoveWindow(Item(id), r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }
    const int grip = GetSystemMetrics(SM_CXVSCROLL);
    ::MoveWindow(m_sizeGrip, client.right - grip, client.bottom - grip, grip, grip, FALSE);
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT CSelectedFiles::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    KillTimer(SizeTimerId);
    HideNameBalloon();
    WriteThumbnailSize(static_cast<UINT>(SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_GETPOS)));
    HWND header = ListView_GetHeader(m_list);
    if (Header_GetItemCount(header) == FileListColumns)
    {
        ListView_GetColumnOrderArray(m_list, FileListColumns, m_view.order);
        for (int c = 0; c < FileListColumns; ++c)
            m_view.widths[c] = ListView_GetColumnWidth(m_list, c);
        WriteFileListView(m_view);
    }
    RECT window = {};
    GetWindowRect(&window);
    if (!IsLocalSourceChosen())
    {
        window.right = window.left + m_localSize.cx;
        window.bottom = window.top + m_localSize.cy;
    }
    WriteDialogRect(window);
    RevokeFileDropTarget(m_list, m_dropTarget);
    m_dropTarget = nullptr;
    if (m_oleInitialised)
        OleUninitialize();
    HIMAGELIST images = ListView_SetImageList(m_list, nullptr, LVSIL_SMALL);
    if (images)
        ImageList_Destroy(images);
    m_images = nullptr;
    if (m_sizeGrip)
        ::DestroyWindow(m_sizeGrip);
    for (HWND tip : m_toolTips)
        ::DestroyWindow(tip);
    // The controls still live: they get their fonts back before this one goes.
    m_dialogFont.Restore();
    if (m_slot)
        m_slot->Clear(m_hWnd);
    handled = FALSE;
    return 0;
}

// ---- Sorting ----------------------------------------------------------------

void CSelectedFiles::SortList()
{
    SortContext context = {{}, m_view.sortColumn, m_view.ascending[m_view.sortColumn]};
    for (int i = 0, count = ListView_GetItemCount(m_list); i < count; ++i)
    {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        ListView_GetItem(m_list, &item);
        context.texts[item.lParam] = ItemText(m_list, i, m_view.sortColumn);
    }
    ListView_SortItems(m_list, &CompareItems, reinterpret_cast<LPARAM>(&context));
}

void CSelectedFiles::UpdateSortMarks()
{
    HWND header = ListView_GetHeader(m_list);
    for (int c = 0; c < FileListColumns; ++c)
    {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, c, &item);
        item.fmt &= ~(HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
        if (c == m_view.sortColumn)
        {
            item.mask |= HDI_BITMAP;
            item.fmt |= HDF_BITMAP | HDF_BITMAP_ON_RIGHT;
            item.hbm = m_view.ascending[c] ? m_ascendingMark.Get() : m_descendingMark.Get();
        }
        Header_SetItem(header, c, &item);
    }
}

LRESULT CSelectedFiles::OnHeaderNotify(int, NMHDR* header, BOOL& handled)
{
    if (header->hwndFrom != ListView_GetHeader(m_list))
    {
        handled = FALSE;
        return 0;
    }
    const auto* item = reinterpret_cast<const NMHEADERW*>(header);
    if (header->code == HDN_ITEMCLICKW)
        SortByColumn(item->iItem);
    else if (item->pitem && (item->pitem->mask & HDI_WIDTH) && item->pitem->cxy < 3)
        PostMessage(WM_SET_COLUMN_WIDTH, item->iItem, 3);
    handled = FALSE;
    return 0;
}

void CSelectedFiles::SortByColumn(int column)
{
    if (column < 0 || column >= FileListColumns)
        return;
    m_view.sortColumn = column;
    m_view.ascending[column] = !m_view.ascending[column];
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    SortList();
    UpdateSortMarks();
}

// ---- The list's notifications, keys and commands ----------------------------

LRESULT CSelectedFiles::OnListNotify(int, NMHDR* header, BOOL& handled)
{
    switch (header->code)
    {
    case LVN_ITEMCHANGED:
        if (!m_fillingItems)
        {
            UpdateEntryCount();
            UpdateSelectionControls();
        }
        return 0;
    case LVN_COLUMNCLICK:
        // The list view turns its header's click into this notification.
        SortByColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        return 0;
    case LVN_KEYDOWN:
        OnListKeyDown(*reinterpret_cast<NMLVKEYDOWN*>(header));
        return 0;
    case NM_RCLICK:
        ShowContextMenu();
        return 0;
    case LVN_BEGINDRAG:
        BeginDrag();
        return 0;
    case LVN_BEGINLABELEDITW:
    {
        const auto* edit = reinterpret_cast<NMLVDISPINFOW*>(header);
        HWND control = ListView_GetEditControl(m_list);
        const MString folder = ItemText(m_list, edit->item.iItem, ColumnFolder);
        ::SendMessageW(control, EM_LIMITTEXT, static_cast<WPARAM>(std::max<__int64>(1, 259 - static_cast<__int64>(folder.GetLength()))), 0);
        const MString name = ItemText(m_list, edit->item.iItem, ColumnName);
        const unsigned __int64 dot = name.FindChar(L'.', 0, true) == static_cast<unsigned __int64>(-1)
                                         ? name.GetLength()
                                         : name.BeforeLast(L'.', true).GetLength();
        ::PostMessageW(control, EM_SETSEL, 0, static_cast<LPARAM>(dot));
        return FALSE;
    }
    case LVN_ENDLABELEDITW:
    {
        const auto* edit = reinterpret_cast<NMLVDISPINFOW*>(header);
        HideNameBalloon();
        if (!edit->item.pszText)
            return FALSE;
        return RenameGalleryFile(edit->item.iItem, MString(edit->item.pszText)) ? TRUE : FALSE;
    }
    default:
        handled = FALSE;
        return 0;
    }
}

void CSelectedFiles::OnListKeyDown(const NMLVKEYDOWN& key)
{
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const UINT selected = ListView_GetSelectedCount(m_list);
    if (key.wVKey == VK_DELETE)
    {
        RemoveSelectedFiles();
    }
    else if (control && key.wVKey == 'A')
    {
        ListView_SetItemState(m_list, -1, LVIS_SELECTED, LVIS_SELECTED);
    }
    else if (control && key.wVKey == 'C' && selected)
    {
        PostMessage(WM_COMMAND, CmdCopyFiles);
    }
    else if (control && key.wVKey == 'V' && CanPaste())
    {
        PostMessage(WM_COMMAND, CmdPasteFiles);
    }
    else if (key.wVKey == VK_F2 && selected == 1)
    {
        ListView_EditLabel(m_list, ListView_GetNextItem(m_list, -1, LVNI_SELECTED));
    }
    else if (key.wVKey == VK_F5 && !IsScanning())
    {
        RefreshList();
    }
}

LRESULT CSelectedFiles::OnListCommand(WORD, WORD id, HWND, BOOL&)
{
    const bool galleryInUse = EqualsIgnoringCase(GetComboGalleryName(), m_galleryInUse);
    switch (id)
    {
    case IDC_REMOVE_FILES:
    case CmdRemoveFiles:
        RemoveSelectedFiles();
        break;
    case CmdCopyFiles:
        CopyFilesToClipboard();
        break;
    case CmdPasteFiles:
        PasteFiles();
        break;
    case CmdOpen:
    case CmdEdit:
        if (galleryInUse)
            m_filesChangedOnDisk = true;
        RunShellVerb(id == CmdOpen ? ShellVerbCode::Open : ShellVerbCode::Edit);
        break;
    case CmdPlay:
        RunShellVerb(ShellVerbCode::Play);
        break;
    case CmdProperties:
        RunShellVerb(ShellVerbCode::Properties);
        break;
    case CmdShowInExplorer:
        ShowInExplorer();
        break;
    case CmdRename:
        if (!IsScanning())
            ListView_EditLabel(m_list, ListView_GetNextItem(m_list, -1, LVNI_SELECTED));
        break;
    case CmdInvertSelection:
        for (int i = 0, count = ListView_GetItemCount(m_list); i < count; ++i)
            ListView_SetItemState(m_list, i, ListView_GetItemState(m_list, i, LVIS_SELECTED) ^ LVIS_SELECTED,
                                  LVIS_SELECTED);
        break;
    case CmdRefresh:
        RefreshList();
        break;
    case CmdRotate90:
    case CmdRotate180:
    case CmdRotate270:
        if (galleryInUse)
            m_filesChangedOnDisk = true;
        RotateImages(id - CmdRotate90 + 1);
        break;
    case CmdRotationHelp:
        ShowHelpTopic(MString(sX::Format(), L"%s/Selection.htm#display_selection_of_local_slides",
                              Text(IDS_HELP_TOPIC_FOLDER).GetText()));
        break;
    default:
        break;
    }
    return 0;
}

void CSelectedFiles::RemoveSelectedFiles()
{
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    const std::vector<int> selected = SelectedItems();
    if (selected.empty())
        return;
    if (static_cast<int>(selected.size()) == ListView_GetItemCount(m_list))
    {
        ListView_DeleteAllItems(m_list);
        m_paths.clear();
    }
    else
        for (auto item = selected.rbegin(); item != selected.rend(); ++item)
        {
            LVITEMW lv = {};
            lv.mask = LVIF_PARAM;
            lv.iItem = *item;
            ListView_GetItem(m_list, &lv);
            const auto* path = reinterpret_cast<const MString*>(lv.lParam);
            ListView_DeleteItem(m_list, *item);
            m_paths.remove_if([&](const MString& held) { return &held == path; });
        }
    m_entriesModified = true;
    UpdateEntryCount();
    UpdateSelectionControls();
}

void CSelectedFiles::RunShellVerb(ShellVerbCode verb)
{
    const std::vector<int> selected = SelectedItems();
    if (selected.size() > AskAbove &&
        LocalizedMessageBox(m_hWnd, MString(sX::Format(), IDS_VERB_QUESTION, Number(selected.size()).GetText(),
                                            ShellVerbName(verb)).GetText(),
                            m_caption.GetText(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    std::vector<MString> lines;
    for (size_t i = 0; i < selected.size(); ++i)
    {
        const MString path = GetItemPath(selected[i]);
        if (GetFileAttributesW(path.GetText()) == INVALID_FILE_ATTRIBUTES)
        {
            lines.emplace_back(sX::Format(), IDS_VERB_MISSING, path.GetText());
            continue;
        }
        SHELLEXECUTEINFOW execute = {};
        execute.cbSize = sizeof(execute);
        execute.fMask = verb == ShellVerbCode::Properties ? SEE_MASK_INVOKEIDLIST : 0;
        execute.hwnd = m_hWnd;
        execute.lpVerb = ShellVerbName(verb);
        execute.lpFile = path.GetText();
        execute.nShow = SW_SHOWNORMAL;
        if (ShellExecuteExW(&execute))
            continue;
        const MString error = FormatSystemError(GetLastError());
        const bool last = i + 1 == selected.size();
        const int answer = LocalizedMessageBox(
            m_hWnd, MString(sX::Format(), last ? IDS_VERB_FAILED_LAST : IDS_VERB_FAILED, ShellVerbName(verb), path.GetText(),
                            error.GetText()).GetText(),
            m_caption.GetText(), last ? MB_ICONERROR : MB_ICONERROR | MB_YESNO);
        if (!last && answer == IDNO)
            break;
    }
    if (lines.empty())
        return;
    MString report = Text(IDS_VERB_REPORT);
    const size_t listed = lines.size() > MostLinesListed ? LinesListed : lines.size();
    for (size_t i = 0; i < listed; ++i)
        report += MString(L"\r\n") + lines[i];
    if (listed < lines.size())
        report += MString(L"\r\n") + MString(sX::Format(), IDS_VERB_REPORT_OTHERS, Number(lines.size() - listed).GetText());
    ShowMessage(report, MB_ICONERROR);
}

void CSelectedFiles::ShowInExplorer()
{
    const std::vector<int> selected = SelectedItems();
    if (selected.size() > AskAbove &&
        LocalizedMessageBox(m_hWnd, MString(sX::Format(), IDS_EXPLORER_QUESTION, Number(selected.size()).GetText())
                                        .GetText(),
                            m_caption.GetText(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    for (int item : selected)
    {
        const MString path = GetItemPath(item);
        MString command;
        if (GetFileAttributesW(path.GetText()) != INVALID_FILE_ATTRIBUTES)
            command = MString(sX::Format(), L"Explorer /select,\"%s\"", path.GetText());
        else
        {
            MString folder = path;
            folder.TrimRight(L'\\');
            folder = folder.BeforeLast(L'\\', false);
            ShowMessage(MString(sX::Format(), L"%s\r\n%s", Text(IDS_STATUS_MISSING).GetText(), path.GetText()),
                        MB_ICONERROR);
            if (folder.IsEmpty() || GetFileAttributesW(folder.GetText()) == INVALID_FILE_ATTRIBUTES)
                continue;
            command = MString(sX::Format(), L"Explorer /open,\"%s\"", folder.GetText());
        }
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        std::vector<wchar_t> line(command.GetText(), command.GetText() + command.GetLength() + 1);
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        else
            ShowMessage(MString(sX::Format(), IDS_EXPLORER_FAILED, m_caption.GetText(), path.GetText(),
                                FormatSystemError(GetLastError()).GetText()),
                        MB_ICONERROR);
    }
}

bool CSelectedFiles::RenameGalleryFile(int item, const MString& newName)
{
    const MString oldName = ItemText(m_list, item, ColumnName);
    if (newName.IsEmpty() || EqualsIgnoringCase(newName, oldName))
        return false;
    const MString folder = ItemText(m_list, item, ColumnFolder);
    if (const UINT fault = CheckFileName(newName, folder))
    {
        PostMessage(WM_RESTART_RENAME, item,
                    reinterpret_cast<LPARAM>(new MString(sX::Format(), IDS_FILE_NAME_HINT, Text(fault).GetText(),
                                                         newName.GetText())));
        return false;
    }
    const MString oldExtension = ExtensionOf(oldName), newExtension = ExtensionOf(newName);
    if (!EqualsIgnoringCase(oldExtension, newExtension) &&
        LocalizedMessageBox(m_hWnd, Text(IDS_FILE_EXTENSION_CHANGE).GetText(), m_caption.GetText(),
                            MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return false;
    const MString oldPath = GetItemPath(item);
    const MString newPath = oldPath.BeforeLast(L'\\', false) + L"\\" + newName;
    if (!MoveFileW(oldPath.GetText(), newPath.GetText()))
    {
        PostMessage(WM_RESTART_RENAME, item,
                    reinterpret_cast<LPARAM>(new MString(sX::Format(), IDS_FILE_RENAME_FAILED, oldPath.GetText(),
                                                         FormatSystemError(GetLastError()).GetText(),
                                                         newName.GetText())));
        return false;
    }
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    const auto held = FindGalleryPath(oldPath);
    if (held == m_paths.end())
    {
        guard.Release();
        RefreshList();
        return false;
    }
    *held = newPath;
    const LONG error = RenameGalleryEntry(GetComboGalleryName(), oldPath, newPath);
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
    {
        PostMessage(WM_SHOW_MESSAGE, MB_ICONERROR,
                    reinterpret_cast<LPARAM>(new MString(sX::Format(), IDS_FILE_RENAME_STORE_FAILED, oldPath.GetText(),
                                                         newPath.GetText(),
                                                         FormatSystemError(static_cast<DWORD>(error)).GetText())));
        ListView_DeleteItem(m_list, item);
        m_paths.erase(held);
        m_entriesModified = true;
        return false;
    }
    return true;
}

LRESULT CSelectedFiles::OnRestartRename(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    std::unique_ptr<MString> text(reinterpret_cast<MString*>(lParam));
    HWND edit = ListView_EditLabel(m_list, static_cast<int>(wParam));
    if (edit && text)
        ShowNameBalloon(edit, *text);
    else
        MessageBeep(MB_ICONERROR);
    return 0;
}

// Says beside the label being edited again why the name did not do; the
// text typed goes back without the characters no name may hold.
void CSelectedFiles::ShowNameBalloon(HWND edit, const MString& text)
{
    MessageBeep(MB_ICONERROR);
    wchar_t typed[MAX_PATH] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(edit, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(typed), SMTO_ABORTIFHUNG,
                        NameBalloonTimeout, &copied);
    MString clean(typed);
    for (const wchar_t* c = ForbiddenFileNameCharacters; *c; ++c)
        clean.Remove(*c);
    ::SetWindowTextW(edit, clean.GetText());

    HideNameBalloon();
    m_nameBalloon = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, nullptr, nullptr);
    if (!m_nameBalloon)
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(edit);
    tool.lpszText = const_cast<wchar_t*>(text.GetText());
    ::SendMessageW(m_nameBalloon, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(m_nameBalloon, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    RECT at = {};
    ::GetWindowRect(edit, &at);
    ::SendMessageW(m_nameBalloon, TTM_TRACKPOSITION, 0, MAKELPARAM(at.right + 3, (at.top + at.bottom) / 2));
}

void CSelectedFiles::HideNameBalloon()
{
    if (!m_nameBalloon)
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    if (::SendMessageW(m_nameBalloon, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)))
    {
        ::SendMessageW(m_nameBalloon, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageW(m_nameBalloon, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    ::DestroyWindow(m_nameBalloon);
    m_nameBalloon = nullptr;
}

// ---- The context menu -------------------------------------------------------

LRESULT CSelectedFiles::OnMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (message == WM_MEASUREITEM && wParam == 0)
    {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        OwnerDrawMenuItem::OnMeasureItem(reinterpret_cast<OwnerDrawMenuItem*>(measure->itemData), *measure, m_hWnd);
        return TRUE;
    }
    if (message == WM_DRAWITEM && wParam == 0)
    {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        OwnerDrawMenuItem::OnDrawItem(reinterpret_cast<OwnerDrawMenuItem*>(draw->itemData), *draw);
        return TRUE;
    }
    if (message == WM_MENUCHAR)
    {
        LRESULT result = 0;
        if (OwnerDrawMenuItem::OnMenuChar(static_cast<wchar_t>(LOWORD(wParam)), HIWORD(wParam),
                                          reinterpret_cast<HMENU>(lParam), result))
            return result;
        return MAKELRESULT(0, LOWORD(wParam) == VK_ESCAPE ? MNC_CLOSE : MNC_IGNORE);
    }
    handled = FALSE;
    return 0;
}

void CSelectedFiles::ShowContextMenu()
{
    SemaphoreGuard popup(m_menuGuard, SemaphoreGuard::Take::Try);
    if (!popup.IsHeld())
        return;
    const std::vector<int> selected = SelectedItems();
    const int count = ListView_GetItemCount(m_list);
    const MString picture = Text(IDS_KIND_PICTURE), media = Text(IDS_KIND_MEDIA), document = Text(IDS_KIND_DOCUMENT);
    int kinds = 0; // bits: picture, media, document, folder, other
    bool open = !selected.empty(), play = selected.size() == 1, edit = !selected.empty();
    for (int item : selected)
    {
        const MString kind = ItemText(m_list, item, ColumnKind);
        const MString path = GetItemPath(item);
        const DWORD attributes = GetFileAttributesW(path.GetText());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        kinds |= kind == picture ? 1 : kind == media ? 2 : kind == document ? 4 : folder ? 8 : 16;
        bool itemOpen = false, itemPlay = false, itemEdit = false, explore = false, print = false;
        if (!folder)
            QueryShellVerbs(ExtensionOf(path), kind == picture ? VerbsForPicture : kind == media ? VerbsForMedia : kind == document ? VerbsForDocument : VerbsForOther, itemOpen, itemPlay, itemEdit, explore, print);
        open = open && (itemOpen || folder);
        play = play && itemPlay;
        edit = edit && itemEdit;
    }
    const bool oneKind = kinds == 1 || kinds == 2 || kinds == 4 || kinds == 8;
    const UINT none = selected.empty() ? MF_GRAYED : 0;
    const HMODULE art = GetModuleHandleW(nullptr);
    OwnerDrawMenu menu, rotations;
    OwnerDrawMenuItem::Storage items;
    if (!menu.Create() || !rotations.Create())
        return;
    auto add = [&](OwnerDrawMenu& into, UINT flags, UINT_PTR id, int icon, UINT text, UINT shortcut) {
        OwnerDrawMenuItem::CreateWithShortcut(items, into, flags, id, art, icon, 2, Text(text).GetText(),
                                              shortcut ? Text(shortcut).GetText() : nullptr);
    };
    add(menu, 0, CmdAddFiles, IDI_ADD_FILES, IDS_MENU_ADD_FILES, 0);
    add(menu, 0, CmdAddFolder, IDI_ADD_FOLDER, IDS_MENU_ADD_FOLDER, 0);
    add(menu, none, CmdRemoveFiles, IDI_REMOVE_FILES, IDS_MENU_REMOVE, IDS_EDIT_DELETE_SHORTCUT);
    OwnerDrawMenuItem::CreateSeparator(items, menu);
    add(menu, none, CmdCopyFiles, IDI_COPY_FILES, IDS_EDIT_COPY, IDS_EDIT_COPY_SHORTCUT);
    add(menu, CanPaste() ? 0 : MF_GRAYED, CmdPasteFiles, IDI_PASTE_FILES, IDS_EDIT_PASTE, IDS_EDIT_PASTE_SHORTCUT);
    OwnerDrawMenuItem::CreateSeparator(items, menu);
    add(menu, edit && oneKind ? 0 : MF_GRAYED, CmdEdit, IDI_EDIT_FILES, IDS_MENU_EDIT, 0);
    add(menu, open && oneKind ? 0 : MF_GRAYED, CmdOpen, IDI_OPEN_FILES, IDS_LIST_MENU_OPEN, 0);
    add(menu, play && oneKind ? 0 : MF_GRAYED, CmdPlay, IDI_PLAY_FILE, IDS_MENU_PLAY, 0);
    for (const auto& rotation : {std::make_pair(CmdRotate90, IDS_MENU_ROTATE_RIGHT), {CmdRotate180, IDS_MENU_ROTATE_HALF},
                                 {CmdRotate270, IDS_MENU_ROTATE_LEFT}})
        add(rotations, none, rotation.first, IDI_ROTATE_90 + (rotation.first - CmdRotate90), rotation.second, 0);
    OwnerDrawMenuItem::CreateSeparator(items, rotations);
    for (const auto& rotation : {std::make_pair(CmdRotate270, IDS_MENU_TURN_LEFT), {CmdRotate180, IDS_MENU_TURN_HALF},
                                 {CmdRotate90, IDS_MENU_TURN_RIGHT}})
        add(rotations, none, rotation.first, IDI_ROTATE_LEFT + (CmdRotate270 - rotation.first), rotation.second, 0);
    OwnerDrawMenuItem::CreateSeparator(items, rotations);
    add(rotations, 0, CmdRotationHelp, IDI_ROTATE_HELP, IDS_MENU_ROTATION_HELP, 0);
    add(menu, MF_POPUP | (kinds == 1 ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(rotations.menu), IDI_ROTATE,
        IDS_LIST_MENU_ROTATE, 0);
    add(menu, selected.size() == 1 && !IsScanning() ? 0 : MF_GRAYED, CmdRename, IDI_RENAME_FILE, IDS_MENU_RENAME,
        IDS_MENU_RENAME_SHORTCUT);
    add(menu, none, CmdShowInExplorer, IDI_SHOW_IN_EXPLORER, IDS_MENU_SHOW_IN_EXPLORER, 0);
    add(menu, none, CmdProperties, IDI_FILE_PROPERTIES, IDS_MENU_PROPERTIES, 0);
    OwnerDrawMenuItem::CreateSeparator(items, menu);
    add(menu, count ? 0 : MF_GRAYED, CmdInvertSelection, IDI_SELECT_FILES,
        selected.empty() ? IDS_MENU_SELECT_ALL : static_cast<int>(selected.size()) == count ? IDS_MENU_SELECT_NONE
                                                                                          : IDS_MENU_INVERT,
        0);
    OwnerDrawMenuItem::CreateSeparator(items, menu);
    add(menu, count && !IsScanning() ? 0 : MF_GRAYED, CmdRefresh, IDI_REFRESH_FILES, IDS_MENU_REFRESH,
        IDS_MENU_REFRESH_SHORTCUT);
    POINT at = {};
    GetCursorPos(&at);
    TrackPopupMenu(menu.menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr);
    // The submenu belongs to the menu now; its own record must not destroy it.
    rotations.menu = nullptr;
}
