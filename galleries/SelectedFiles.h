// The gallery dialog (template 111): the user chooses where the slides come
// from, and builds the local galleries: a list of files and folders with
// thumbnails made by the scan thread (galleries/GalleryScan.h), the gallery
// commands, adding by the file dialogs, drag and drop and the clipboard, the
// list's commands and the thumbnail size. The file list itself is
// galleries/GalleryFileList.h; the online half (the online gallery combo,
// the filter and its search lines) is galleries/OnlineGalleryPane.h.
#pragma once

#include "foundation/Handle.h"
#include "foundation/ShellHelpers.h"
#include "foundation/StringEx.h"
#include "galleries/GalleryDialogIds.h"
#include "galleries/GalleryFileList.h"
#include "galleries/GalleryScan.h"
#include "galleries/LocalControlsLayout.h"
#include "galleries/OnlineGalleryPane.h"
#include "resources/languages/LanguageIds.h"
#include "core/ControllerDialog.h"

#include <commctrl.h>

#include <memory>
#include <vector>

class FileDropTarget;

class CSelectedFiles : public CControllerDialog<CSelectedFiles>, private GalleryFileListHost
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
    MString GetComboGalleryName() const override;
    // Adds paths to the gallery shown through the scan (file dialogs, drop,
    // paste). The list is taken.
    void StartScan(std::vector<MString>& paths);

    // Paths dropped or pasted: tooLong are refused with a message, the others
    // are added.
    void TakeDroppedPaths(std::vector<MString>& paths, const std::vector<MString>& tooLong);

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

    // ---- Online half (galleries/OnlineGalleryPane.h) ----
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

    // ---- The scan and the file list (galleries/GalleryFileList.h) ----
    LRESULT OnQuickRecords(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnFullRecords(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnStillHeld(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPassEnd(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnListNotify(int, NMHDR*, BOOL&);
    LRESULT OnHeaderNotify(int, NMHDR*, BOOL&);
    LRESULT OnSliderReleased(int, NMHDR*, BOOL&);

    void StartGalleryScan(std::unique_ptr<ScanJob> job);
    std::unique_ptr<ScanJob> NewScanJob(ScanMode mode);
    void StopScan();
    bool IsScanning() const override;
    void SetBusy(bool busy);
    void ClearList();
    void SelectStartPath();
    int ThumbnailSize() const;
    void ShowThumbnailSize();
    bool RebuildImageList();
    void ApplyThumbnailSize();
    void LayoutLocalControls();
    void RefreshList() override;

    // ---- Clipboard, drag and drop, rotation ----
    void CopyFilesToClipboard();
    void PasteFiles();
    bool CanPaste() const override;
    void BeginDrag() override;
    // Turns the selected pictures on a worker while the wait dialog shows.
    void RotateImages(int rotation);
    static DWORD WINAPI RotateImagesThreadProc(void* parameter);

    HWND m_mainWindow;
    MString m_startPath;
    MString m_caption;
    MString m_galleryInUse;
    bool m_storedLocal = false;
    bool m_galleryInUseChanged = false;
    bool m_filesChangedOnDisk = false;
    bool m_initialising = true;
    // The scan's first pass brings a stored gallery in, not new files.
    bool m_loadingGallery = false;
    int m_comboIndex = -1;

    volatile LONG m_runningScans = 0;
    MHandle m_stopEvent;
    ScanRecordQueue m_scanRecords;
    MHandle m_summaryGuard;
    // Held while either half lays its controls out.
    MHandle m_layoutGuard;
    MString m_pendingSummary;

    GalleryFileList m_files{*this};
    OnlineGalleryPane m_online{m_layoutGuard};
    SIZE m_minimumSize = {};
    SIZE m_localSize = {};
    LocalControlsLayout m_localLayout;
    std::vector<HWND> m_toolTips;
    FileDropTarget* m_dropTarget = nullptr;
    bool m_oleInitialised = false;
    // The slider's unit text from the template, shown after the size.
    MString m_thumbnailUnit;
};
