// The gallery dialog's file list: the list-view control with its columns,
// the paths of the gallery shown (each item's parameter is the address of
// its path here), the scan's records taken into items, the counts beside it,
// sorting and the sort marks, the in-place renaming of files, the shell
// verbs and the context menu. The dialog keeps the scan and the commands
// that reach beyond the list.
#pragma once

#include "foundation/GdiOwners.h"
#include "foundation/Handle.h"
#include "foundation/ShellHelpers.h"
#include "foundation/StringEx.h"
#include "galleries/FileListState.h"
#include "galleries/GalleryScan.h"
#include "galleries/GalleryThumbnails.h"
#include "standins/atl/AtlWindow.h"

#include <windows.h>

#include <commctrl.h>

#include <list>
#include <memory>
#include <vector>

// The header's sort marks, 7 x 4 pixels in the button colours.
void MakeSortMarks(MBitmap& ascending, MBitmap& descending);

// What the file list asks of the dialog that holds it.
class GalleryFileListHost
{
public:
    virtual MString GetComboGalleryName() const = 0;
    virtual bool IsScanning() const = 0;
    virtual bool CanPaste() const = 0;
    // Makes the thumbnails again and scans every path anew, unless a scan runs.
    virtual void RefreshList() = 0;
    virtual void BeginDrag() = 0;

protected:
    ~GalleryFileListHost() = default;
};

class GalleryFileList
{
public:
    explicit GalleryFileList(GalleryFileListHost& host);
    GalleryFileList(const GalleryFileList&) = delete;
    GalleryFileList& operator=(const GalleryFileList&) = delete;

    // Takes the dialog's list control: its look, its columns as stored, the
    // sort marks. Messages show with the dialog's caption.
    void Attach(HWND dialog, HWND list, const MString& caption);
    HWND Window() const { return m_list; }
    // Stores the column order and widths while the columns still live.
    void StoreView();

    // Whether the entries changed since the gallery was loaded or saved.
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

    // ---- Items and the scan's records ----
    int Count() const;
    std::vector<MString> Paths() const;
    // Every path, the items emptied (a rescan brings them back).
    std::vector<MString> TakePaths();
    void Clear();
    // Quick records of the first pass, each answered with its
    // SecondPassProcessing bits; loading: a stored gallery comes in.
    void TakeQuickRecords(ScanRecordBatch& batch, bool loading);
    void TakeFullRecords(std::vector<std::unique_ptr<FileItemRecord>> records);
    void AnswerStillHeld(StillHeldQuery& query);
    // A pass ended: the first is sorted; the counts are brought up to date.
    void SettlePass(bool firstPass);
    // Scrolls to the first item whose status is not OK.
    void ShowFirstProblem();
    // Selects the item of path, or of the first folder that holds it.
    void SelectStartPath(const MString& path);
    // No label editing while a scan runs.
    void SetEditable(bool editable);
    // The name column fits a thumbnail of size and its name.
    void FitNameColumn(int thumbnailSize);
    // Makes the header's sort marks and shows the one of the sort column.
    void ShowSortMarks();
    GalleryThumbnails& Thumbnails() { return m_thumbnails; }

    // The full path of list item index: folder column and name column.
    MString GetItemPath(int index) const;
    std::vector<int> SelectedItems() const;
    std::vector<MString> SelectedPaths() const;
    void UpdateEntryCount();
    void UpdateSelectionControls();

    // ---- Notifications, keys and commands ----
    LRESULT OnListNotify(NMHDR* header, BOOL& handled);
    LRESULT OnHeaderNotify(NMHDR* header, BOOL& handled);
    LRESULT OnRestartRename(WPARAM item, LPARAM text);
    LRESULT OnMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void RemoveSelectedFiles();
    void RunShellVerb(ShellVerbCode verb);
    void ShowInExplorer();
    void EditSelectedLabel();
    void InvertSelection();
    void HideNameBalloon();

private:
    void ShowMessage(const MString& text, UINT flags) const;
    // The whole text of a cell, however long.
    MString ItemText(int item, int column) const;
    std::list<MString>::iterator FindGalleryPath(const MString& path);
    int FindItem(const MString* path) const;
    void FillColumns(int item, const FileItemRecord& record, bool withName);
    LRESULT TakeQuickRecord(std::unique_ptr<FileItemRecord> record, bool loading);
    void TakeFullRecord(std::unique_ptr<FileItemRecord> record);
    void UpdateCountLabel(UINT withSelection, UINT plain, int count, bool limited);
    void SortList();
    void SortByColumn(int column);
    void UpdateSortMarks();
    void OnListKeyDown(const NMLVKEYDOWN& key);
    void BeginLabelEdit(int item);
    bool RenameGalleryFile(int item, const MString& newName);
    void ShowNameBalloon(HWND edit, const MString& text);
    void ShowContextMenu();

    GalleryFileListHost& m_host;
    ATL::CWindow m_dialog;
    HWND m_list = nullptr;
    MString m_caption;
    // The gallery's paths; each item's parameter is the address of its path.
    std::list<MString> m_paths;
    // Held while the items or the paths change.
    MHandle m_listGuard;
    MHandle m_menuGuard;
    GalleryThumbnails m_thumbnails;
    FileListState m_view;
    MBitmap m_ascendingMark, m_descendingMark;
    bool m_modified = false;
    // Set while the scan's records fill the list: the list's change
    // notifications then come from the program, not from the user, and do
    // not count the whole list again for each item.
    bool m_fillingItems = false;
    DWORD m_countLabelTick = 0;
    // The balloon beside a label being renamed that says why a name failed.
    HWND m_nameBalloon = nullptr;
};
