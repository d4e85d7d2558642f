// The gallery dialog's file list: its columns and stored look, the scan's
// records taken into items, the counts, sorting, the list's notifications
// and keys, removing and renaming files.
// The list-view and header macros call the system, not a window's own SendMessage.
#define SNDMSG ::SendMessageW
#include "galleries/GalleryFileList.h"

#include "foundation/FolderPath.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"
#include "galleries/GalleryDialogIds.h"
#include "resources/languages/LanguageIds.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/CrashReport.h"
#include "core/MessageBox.h"

#include <algorithm>
#include <map>

namespace
{
// The count label is rewritten at most this often while records arrive.
constexpr DWORD CountLabelInterval = 150;

MString Text(UINT id) { return MString(ResId(id)); }
MString Number(unsigned __int64 n) { return MString(true, n); }

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

// Called by the list view while it sorts: nothing may be thrown into it.
int CALLBACK CompareItems(LPARAM first, LPARAM second, LPARAM context)
{
    return NoThrow(0, [&] {
        const auto* sort = reinterpret_cast<const SortContext*>(context);
        const int result = CompareColumnTexts(sort->column, sort->texts.at(first), sort->texts.at(second));
        return sort->ascending ? result : -result;
    });
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

GalleryFileList::GalleryFileList(GalleryFileListHost& host) : m_host(host) {}

// ---- The control and its columns ------------------------------------------

void GalleryFileList::Attach(HWND dialog, HWND list, const MString& caption)
{
    m_dialog = dialog;
    m_list = list;
    m_caption = caption;
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
}

void GalleryFileList::StoreView()
{
    HWND header = ListView_GetHeader(m_list);
    if (Header_GetItemCount(header) == FileListColumns)
    {
        ListView_GetColumnOrderArray(m_list, FileListColumns, m_view.order);
        for (int c = 0; c < FileListColumns; ++c)
            m_view.widths[c] = ListView_GetColumnWidth(m_list, c);
        WriteFileListView(m_view);
    }
}

void GalleryFileList::SetEditable(bool editable)
{
    ::SetWindowLongPtrW(m_list, GWL_STYLE, !editable ? GetWindowLongPtrW(m_list, GWL_STYLE) & ~LVS_EDITLABELS
                                                     : GetWindowLongPtrW(m_list, GWL_STYLE) | LVS_EDITLABELS);
}

void GalleryFileList::FitNameColumn(int thumbnailSize)
{
    if (ListView_GetColumnWidth(m_list, 0) < thumbnailSize + 80)
        ListView_SetColumnWidth(m_list, 0, thumbnailSize + 80);
}

void GalleryFileList::ShowMessage(const MString& text, UINT flags) const
{
    LocalizedMessageBox(m_dialog, text.GetText(), m_caption.GetText(), flags);
}

// ---- Items ------------------------------------------------------------------

MString GalleryFileList::ItemText(int item, int column) const
{
    std::vector<wchar_t> buffer(256);
    for (;;)
    {
        LVITEMW lv = {};
        lv.iSubItem = column;
        lv.pszText = buffer.data();
        lv.cchTextMax = static_cast<int>(buffer.size());
        const LRESULT length = ::SendMessageW(m_list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
        if (static_cast<size_t>(length) + 1 < buffer.size())
            return MString(buffer.data());
        buffer.resize(buffer.size() * 2);
    }
}

int GalleryFileList::Count() const { return ListView_GetItemCount(m_list); }

std::vector<MString> GalleryFileList::Paths() const { return std::vector<MString>(m_paths.begin(), m_paths.end()); }

std::vector<MString> GalleryFileList::TakePaths()
{
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    std::vector<MString> paths(m_paths.begin(), m_paths.end());
    m_paths.clear();
    ListView_DeleteAllItems(m_list);
    return paths;
}

void GalleryFileList::Clear()
{
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    ListView_DeleteAllItems(m_list);
    m_paths.clear();
    m_dialog.SetDlgItemText(IDC_FILE_COUNT, L"");
    UpdateSelectionControls();
}

std::list<MString>::iterator GalleryFileList::FindGalleryPath(const MString& path)
{
    const MString normalised = NormalizeFolderPath(path);
    return std::find_if(m_paths.begin(), m_paths.end(),
                        [&](const MString& held) { return EqualsIgnoringCase(NormalizeFolderPath(held), normalised); });
}

int GalleryFileList::FindItem(const MString* path) const
{
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(path);
    return static_cast<int>(::SendMessageW(m_list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void GalleryFileList::FillColumns(int item, const FileItemRecord& record, bool withName)
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

// ---- The scan's records -----------------------------------------------------

void GalleryFileList::TakeQuickRecords(ScanRecordBatch& batch, bool loading)
{
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    // Nothing is painted while a batch is taken, yet an insertion into a list
    // that may redraw does its screen work at once (measured under Wine:
    // about 20 ms an item): the list redraws once per batch instead.
    RedrawPause pause(m_list);
    for (size_t i = 0; i < batch.records.size() && i < batch.answers.size(); ++i)
        batch.answers[i] = TakeQuickRecord(std::move(batch.records[i]), loading);
}

void GalleryFileList::TakeFullRecords(std::vector<std::unique_ptr<FileItemRecord>> records)
{
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    for (auto& record : records)
        TakeFullRecord(std::move(record));
}

// A quick record of the first pass (the list semaphore is held): the answer
// tells the scan whether the path needs its second pass.
LRESULT GalleryFileList::TakeQuickRecord(std::unique_ptr<FileItemRecord> record, bool loading)
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
    item.iImage = m_thumbnails.Add(*record);
    const MString name = FileNameOf(record->path);
    item.pszText = const_cast<wchar_t*>(name.GetText());
    const int index = static_cast<int>(::SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    FillColumns(index, *record, true);
    m_fillingItems = false;
    if (loading)
        UpdateCountLabel(IDS_COUNT_LOADING, IDS_COUNT_LOADING, ListView_GetItemCount(m_list), true);
    else
        UpdateCountLabel(IDS_COUNT_ADDING_SELECTED, IDS_COUNT_ADDING, ListView_GetItemCount(m_list), true);
    UpdateSelectionControls();
    return answer;
}

// A full record of the second pass (the list semaphore is held).
void GalleryFileList::TakeFullRecord(std::unique_ptr<FileItemRecord> record)
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
    item.iImage = m_thumbnails.Add(*record);
    m_fillingItems = true;
    ::SendMessageW(m_list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    FillColumns(index, *record, false);
    m_fillingItems = false;
    UpdateCountLabel(IDS_COUNT_SCANNING_SELECTED, IDS_COUNT_SCANNING, index + 1, true);
}

void GalleryFileList::AnswerStillHeld(StillHeldQuery& query)
{
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    for (size_t i = 0; i < query.paths.size() && i < query.held.size(); ++i)
        query.held[i] = FindGalleryPath(*query.paths[i]) != m_paths.end();
}

void GalleryFileList::SettlePass(bool firstPass)
{
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    if (firstPass)
    {
        SortList();
        UpdateSortMarks();
    }
    UpdateEntryCount();
}

void GalleryFileList::ShowFirstProblem()
{
    const MString ok = Text(IDS_STATUS_OK);
    for (int i = 0, count = ListView_GetItemCount(m_list); i < count; ++i)
        if (ItemText(i, ColumnStatus) != ok)
        {
            ListView_EnsureVisible(m_list, i, FALSE);
            break;
        }
}

void GalleryFileList::SelectStartPath(const MString& path)
{
    const MString start = NormalizeFolderPath(path);
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

// ---- Counts and the selection ----------------------------------------------

void GalleryFileList::UpdateCountLabel(UINT withSelection, UINT plain, int count, bool limited)
{
    const DWORD now = GetTickCount();
    if (limited && now - m_countLabelTick <= CountLabelInterval)
        return;
    m_countLabelTick = now;
    const UINT selected = ListView_GetSelectedCount(m_list);
    const MString text = selected ? MString(sX::Format(), withSelection, Number(count).GetText(), Number(selected).GetText())
                                  : MString(sX::Format(), plain, Number(count).GetText());
    m_dialog.SetDlgItemText(IDC_FILE_COUNT, text.GetText());
}

// The settled list: its files and folders counted apart, and the selection.
void GalleryFileList::UpdateEntryCount()
{
    m_countLabelTick = GetTickCount();
    const int count = ListView_GetItemCount(m_list);
    int folders = 0;
    for (int i = 0; i < count; ++i)
    {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        if (ListView_GetItem(m_list, &item) && item.iImage == static_cast<int>(m_thumbnails.Icons().folder))
            ++folders;
    }
    const UINT selected = ListView_GetSelectedCount(m_list);
    const MString files = Number(count - folders), folderCount = Number(folders);
    const MString text = selected ? MString(sX::Format(), IDS_COUNT_ENTRIES_SELECTED, files.GetText(),
                                            folderCount.GetText(), Number(selected).GetText())
                                  : MString(sX::Format(), IDS_COUNT_ENTRIES, files.GetText(), folderCount.GetText());
    m_dialog.SetDlgItemText(IDC_FILE_COUNT, text.GetText());
}

void GalleryFileList::UpdateSelectionControls()
{
    ::EnableWindow(m_dialog.GetDlgItem(IDC_REMOVE_FILES), ListView_GetSelectedCount(m_list) > 0);
}

// Moved from CSelectedFiles to the list it works on.
MString GalleryFileList::GetItemPath(int index) const
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

std::vector<int> GalleryFileList::SelectedItems() const
{
    std::vector<int> items;
    for (int i = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(m_list, i, LVNI_SELECTED))
        items.push_back(i);
    return items;
}

std::vector<MString> GalleryFileList::SelectedPaths() const
{
    std::vector<MString> paths;
    for (int item : SelectedItems())
        paths.push_back(GetItemPath(item));
    return paths;
}

void GalleryFileList::InvertSelection()
{
    for (int i = 0, count = ListView_GetItemCount(m_list); i < count; ++i)
        ListView_SetItemState(m_list, i, ListView_GetItemState(m_list, i, LVIS_SELECTED) ^ LVIS_SELECTED, LVIS_SELECTED);
}

void GalleryFileList::EditSelectedLabel() { ListView_EditLabel(m_list, ListView_GetNextItem(m_list, -1, LVNI_SELECTED)); }

// Moved from CSelectedFiles to the list it works on.
void GalleryFileList::RemoveSelectedFiles()
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
    m_modified = true;
    UpdateEntryCount();
    UpdateSelectionControls();
}

// ---- Sorting ----------------------------------------------------------------

void GalleryFileList::SortList()
{
    SortContext context = {{}, m_view.sortColumn, m_view.ascending[m_view.sortColumn]};
    for (int i = 0, count = ListView_GetItemCount(m_list); i < count; ++i)
    {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        ListView_GetItem(m_list, &item);
        context.texts[item.lParam] = ItemText(i, m_view.sortColumn);
    }
    ListView_SortItems(m_list, &CompareItems, reinterpret_cast<LPARAM>(&context));
}

void GalleryFileList::ShowSortMarks()
{
    MakeSortMarks(m_ascendingMark, m_descendingMark);
    UpdateSortMarks();
}

// Moved from CSelectedFiles to the list it works on.
void GalleryFileList::UpdateSortMarks()
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

LRESULT GalleryFileList::OnHeaderNotify(NMHDR* header, BOOL& handled)
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
        m_dialog.PostMessage(WM_SET_COLUMN_WIDTH, item->iItem, 3);
    handled = FALSE;
    return 0;
}

// Moved from CSelectedFiles to the list it works on.
void GalleryFileList::SortByColumn(int column)
{
    if (column < 0 || column >= FileListColumns)
        return;
    m_view.sortColumn = column;
    m_view.ascending[column] = !m_view.ascending[column];
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    SortList();
    UpdateSortMarks();
}

// ---- The list's notifications and keys --------------------------------------

LRESULT GalleryFileList::OnListNotify(NMHDR* header, BOOL& handled)
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
        m_host.BeginDrag();
        return 0;
    case LVN_BEGINLABELEDITW:
        BeginLabelEdit(reinterpret_cast<NMLVDISPINFOW*>(header)->item.iItem);
        return FALSE;
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

// Moved from CSelectedFiles to the list it works on.
void GalleryFileList::OnListKeyDown(const NMLVKEYDOWN& key)
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
        m_dialog.PostMessage(WM_COMMAND, CmdCopyFiles);
    }
    else if (control && key.wVKey == 'V' && m_host.CanPaste())
    {
        m_dialog.PostMessage(WM_COMMAND, CmdPasteFiles);
    }
    else if (key.wVKey == VK_F2 && selected == 1)
    {
        ListView_EditLabel(m_list, ListView_GetNextItem(m_list, -1, LVNI_SELECTED));
    }
    else if (key.wVKey == VK_F5 && !m_host.IsScanning())
    {
        m_host.RefreshList();
    }
}

