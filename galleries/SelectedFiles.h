// The gallery dialog (template 111): the user chooses where the slides come
// from, and builds the local galleries: a list of files and folders with
// thumbnails made by the scan thread (galleries/GalleryScan.h), the gallery
// commands, adding by the file dialogs, drag and drop and the clipboard, the
// list's commands, sorting and the thumbnail size. The online half (the
// online gallery combo, the filter and its search lines) comes with the
// online gallery choice: see the section "Online half" below.
#pragma once

#include "filter/MediaSource.h"
#include "filter/OnlineFilter.h"
#include "filter/PropertyList.h"
#include "filter/SearchLineWnd.h"
#include "foundation/GdiOwners.h"
#include "foundation/Handle.h"
#include "foundation/PostOwned.h"
#include "foundation/StringEx.h"
#include "foundation/WindowPlacement.h"
#include "galleries/FileListState.h"
#include "galleries/GalleryScan.h"
#include "resources/languages/LanguageIds.h"
#include "shell/core/ControllerDialog.h"
#include "shell/core/OwnerDrawMenu.h"

#include <commctrl.h>

#include <list>
#include <memory>
#include <vector>

class FileDropTarget;

// Private messages of the dialog, posted to itself. Those that carry a heap
// MString have their post and take functions beside them.
constexpr UINT WM_SET_COLUMN_WIDTH = WM_USER + 16;
constexpr UINT WM_SHOW_SELECTED_GALLERY = WM_USER + 17;
// The list's label edit of item (wParam) opens again, with the hint why the
// name did not do.
constexpr UINT WM_RESTART_RENAME = WM_USER + 19;
inline bool PostRestartRename(HWND dialog, int item, std::unique_ptr<MString> hint)
{
    return PostOwned(dialog, WM_RESTART_RENAME, static_cast<WPARAM>(item), std::move(hint));
}
inline std::unique_ptr<MString> TakeRestartRename(LPARAM lParam)
{
    return TakeOwned<MString>(lParam);
}
// A message box with the flags in wParam.
constexpr UINT WM_SHOW_MESSAGE = WM_USER + 20;
inline bool PostShowMessage(HWND dialog, std::unique_ptr<MString> text, UINT flags)
{
    return PostOwned(dialog, WM_SHOW_MESSAGE, flags, std::move(text));
}
inline std::unique_ptr<MString> TakeShowMessage(LPARAM lParam)
{
    return TakeOwned<MString>(lParam);
}
// The first source handling has run; wParam 1 with the problem it met.
constexpr UINT WM_STARTUP_DONE = WM_USER + 31;
inline bool PostStartupDone(HWND dialog, std::unique_ptr<MString> problem)
{
    const WPARAM withProblem = problem ? 1 : 0;
    return PostOwned(dialog, WM_STARTUP_DONE, withProblem, std::move(problem));
}
inline std::unique_ptr<MString> TakeStartupDone(LPARAM lParam)
{
    return TakeOwned<MString>(lParam);
}
// The problem of the start, shown once the dialog is on screen.
constexpr UINT WM_SHOW_STARTUP_MESSAGE = WM_USER + 52;
inline bool PostStartupMessage(HWND dialog, std::unique_ptr<MString> text)
{
    return PostOwned(dialog, WM_SHOW_STARTUP_MESSAGE, 0, std::move(text));
}
inline std::unique_ptr<MString> TakeStartupMessage(LPARAM lParam)
{
    return TakeOwned<MString>(lParam);
}

// The timer that applies a new thumbnail size once the slider rests.
constexpr UINT_PTR SizeTimerId = 103;

// The header's sort marks, 7 x 4 pixels in the button colours.
void MakeSortMarks(MBitmap& ascending, MBitmap& descending);

// The list's commands (WM_COMMAND ids of its menus and keys).
enum FileListCommand : WORD
{
    CmdCopyFiles = 154,
    CmdPasteFiles = 155,
    CmdOpen = 156,
    CmdEdit = 157,
    CmdInvertSelection = 158,
    CmdRefresh = 159,
    CmdRename = 160,
    CmdAddFolder = 161,
    CmdProperties = 162,
    CmdRotate90 = 163,
    CmdRotate180 = 164,
    CmdRotate270 = 165,
    CmdShowInExplorer = 166,
    CmdRotationHelp = 167,
    CmdPlay = 168,
    CmdAddFiles = 169,
    CmdRemoveFiles = 170,
};

class CSelectedFiles : public CControllerDialog<CSelectedFiles>
{
public:
    enum : INT_PTR
    {
        IDD = IDD_SELECTED_FILES,
        // End codes. Local source: the gallery in use changed (or there was
        // none); else EntriesSaved and FilesChangedOnDisk of the same gallery.
        NothingChanged = 0,
        GalleryInUseChanged = 1,
        EntriesSaved = 2,
        FilesChangedOnDisk = 4,
        OnlineChanged = 0x40000000,
        // CControllerDialog's ends: the program's close request ends as Cancel.
        AcceptedResult = NothingChanged,
        CancelledResult = NothingChanged,
        ClosedResult = NothingChanged,
    };

    // startPath: a file to select after the first scan (empty: none).
    CSelectedFiles(POINT cursor, DialogWindowSlot* slot, HWND mainWindow, const MString& startPath);
    ~CSelectedFiles() override;

    static const ATL::MessageMap<CSelectedFiles>& GetMessageMap();

    // Shows a local gallery (empty or unknown: the first); false when there
    // is none at all.
    bool ShowLocalGallery(const MString& name);
    MString GetComboGalleryName() const;
    // Adds paths to the gallery shown through the scan (file dialogs, drop,
    // paste). The list is taken.
    void StartScan(std::vector<MString>& paths);

    // Paths dropped or pasted: tooLong are refused with a message, the others
    // are added.
    void TakeDroppedPaths(std::vector<MString>& paths, const std::vector<MString>& tooLong);

    // The full path of list item index: folder column and name column.
    MString GetItemPath(int index) const;

private:
    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }

    // ---- Frame ----
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCloseDialogsMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnWindowPosChanging(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHScroll(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSizeTimer(UINT_PTR, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMenuMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetColumnWidth(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnShowSelectedGallery(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnShowStartupMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRestartRename(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnShowMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnStartupDone(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMessageBoxRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnConsume(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCtlColorStatic(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSwallowCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnApply(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancelCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnMediaSourceChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnGalleryChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnGalleryCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnAddCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnListCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnConjunctionCommand(WORD, WORD, HWND, BOOL&);

    void ApplySelection();
    void CancelSelection();
    // Stops the scan; false (and the command posted again in 40 ms) while
    // one still runs.
    bool ScanStopped(WORD command);
    INT_PTR LocalEndCode() const;
    bool IsLocalSourceChosen() const;
    void ShowLocalControls();
    void UpdateSystemMenu(bool online);
    void ShowMessage(const MString& text, UINT flags);
    bool SaveShownGallery(bool showErrors);

    // ---- Online half ----
    // The online gallery choice from the server's list and the filter's
    // search lines (galleries/SelectedFilesOnline.cpp).
    MString PrepareOnlineSide();
    bool IsOnlineChoiceUnchanged() const;
    void SelectGalleryPlaceholder();
    class Create_filters_while_waiting;
    void PrepareSearchLines();
    // Builds the next missing search line; true while more are missing.
    bool CreateNextSearchLine();
    void CreateSearchLines();
    void HideSearchLines();
    void LoadSearchProperties();
    bool UpdateFilterSwitch(MString& error, bool afterLoad);
    bool FillOnlineGalleryCombo(MString& error);
    void ShowSearchLines(bool on);
    void LoadSearchLine(const Property_Manager::search_line_data& record, DWORD line, FilterProblemList& problems);
    void ResetSearchLine(DWORD line);
    void ResetSearchLinesFrom(DWORD line);
    void LayoutSearchLines();
    void ShowFilterProblems(const FilterProblemList& problems);
    bool WriteSelectedOnlineGallery(bool showMessages);
    bool StoreOnlineFilter(bool& changed, bool showMessages);
    LRESULT OnOnlineGalleryChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnFilterSwitch(WORD, WORD, HWND, BOOL&);
    LRESULT OnReloadProperties(WORD, WORD, HWND, BOOL&);

    // ---- Gallery commands ----
    void CreateLocalGallery();
    void RenameLocalGallery();
    void DeleteLocalGallery();

    // ---- Adding ----
    void AddFiles();
    void AddFolder();
    void AfterAdding(std::vector<MString>& paths);

    // ---- The file list and the scan ----
    LRESULT OnQuickRecords(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnFullRecords(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT TakeQuickRecord(std::unique_ptr<FileItemRecord> record);
    void TakeFullRecord(std::unique_ptr<FileItemRecord> record);
    LRESULT OnStillHeld(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPassEnd(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnListNotify(int, NMHDR*, BOOL&);
    LRESULT OnHeaderNotify(int, NMHDR*, BOOL&);
    LRESULT OnSliderReleased(int, NMHDR*, BOOL&);

    void StartGalleryScan(std::unique_ptr<ScanJob> job);
    std::unique_ptr<ScanJob> NewScanJob(ScanMode mode);
    void StopScan();
    bool IsScanning() const;
    void SetBusy(bool busy);
    void ClearList();
    std::list<MString>::iterator FindGalleryPath(const MString& path);
    int FindItem(const MString* path) const;
    int AddImage(FileItemRecord& record);
    void FillColumns(int item, const FileItemRecord& record, bool withName);
    void UpdateCountLabel(UINT withSelection, UINT plain, int count, bool limited);
    void UpdateEntryCount();
    void ShowThumbnailSize();
    void UpdateSelectionControls();
    void SelectStartPath();
    bool RebuildImageList();
    void ApplyThumbnailSize();
    void LayoutLocalControls();
    void SortList();
    void SortByColumn(int column);
    void UpdateSortMarks();
    std::vector<int> SelectedItems() const;
    void RemoveSelectedFiles();
    void RunShellVerb(int verb);
    void ShowInExplorer();
    void ShowContextMenu();
    void OnListKeyDown(const NMLVKEYDOWN& key);
    bool RenameGalleryFile(int item, const MString& newName);
    void ShowNameBalloon(HWND edit, const MString& text);
    void HideNameBalloon();
    void RefreshList();

    // ---- Clipboard, drag and drop, rotation ----
    void CopyFilesToClipboard();
    void PasteFiles();
    bool CanPaste() const;
    void BeginDrag();
    // Turns the selected pictures on a worker while the wait dialog shows.
    void RotateImages(int rotation);
    static DWORD WINAPI RotateImagesThreadProc(void* parameter);

    HWND m_mainWindow;
    MString m_startPath;
    MString m_caption;
    HWND m_list = nullptr;
    MString m_galleryInUse;
    bool m_storedLocal = false;
    SelectedOnlineGallery m_onlineChoice;
    bool m_entriesModified = false;
    bool m_galleryInUseChanged = false;
    bool m_filesChangedOnDisk = false;
    bool m_initialising = true;
    // Set while the scan's records fill the list: the list's change
    // notifications then come from the program, not from the user, and do
    // not count the whole list again for each item.
    bool m_fillingItems = false;
    // The scan's first pass brings a stored gallery in, not new files.
    bool m_loadingGallery = false;
    int m_comboIndex = -1;
    DropDownTracking m_dropDowns;
    // The online half: the last property list exchange, the five search
    // lines and what they share, the dialog's width at start.
    std::unique_ptr<PropertyListRequest> m_request;
    SearchLineLists m_lineLists;
    // The font of the lines' operator combos, given back when the dialog
    // goes: faces that hold the comparison signs.
    DialogFont m_dialogFont;
    std::unique_ptr<CPropertySearchLineWnd> m_lines[MaximumSearchLines];
    LONG m_startWidth = 0;

    volatile LONG m_runningScans = 0;
    volatile LONG m_busyScans = 0;
    MHandle m_stopEvent;
    ScanRecordQueue m_scanRecords;
    MHandle m_listGuard;
    MHandle m_summaryGuard;
    MHandle m_layoutGuard;
    MString m_pendingSummary;
    DWORD m_countLabelTick = 0;

    // The gallery's paths; each list item's parameter is the address of its
    // path here.
    std::list<MString> m_paths;
    HIMAGELIST m_images = nullptr;
    FallbackIcons m_icons;
    FileListState m_view;
    MBitmap m_ascendingMark, m_descendingMark;
    SIZE m_minimumSize = {};
    SIZE m_localSize = {};
    RECT m_layoutClient = {};
    std::vector<std::pair<int, RECT>> m_layout;
    HWND m_sizeGrip = nullptr;
    std::vector<HWND> m_toolTips;
    MHandle m_menuGuard;
    OwnerDrawMenuItem::Storage* m_menuItems = nullptr;
    FileDropTarget* m_dropTarget = nullptr;
    bool m_oleInitialised = false;
    // The notice box's background, made again when the system colour changes.
    COLORREF m_faceColour = GetSysColor(COLOR_BTNFACE);
    std::unique_ptr<MSolidBrush> m_faceBrush = std::make_unique<MSolidBrush>(m_faceColour);
    // The balloon beside a label being renamed that says why a name failed.
    HWND m_nameBalloon = nullptr;
    // The slider's unit text from the template, shown after the size.
    MString m_thumbnailUnit;
};
