// The gallery dialog's side of the scan and of its file list: starting and
// stopping scans, the scan's messages handed to the list, the thumbnail size
// slider, the layout of the local controls, the list's notifications and
// commands, and what the dialog stores when it goes.
// The list-view and header macros call the system, not the dialog's own SendMessage.
#define SNDMSG ::SendMessageW
#include "galleries/SelectedFiles.h"

#include "foundation/FolderPath.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"
#include "galleries/FileDrop.h"
#include "core/Help.h"
#include "core/MessageBox.h"
#include "core/PrivateMessages.h"

#include <ole2.h>

#include <algorithm>

namespace
{
MString Text(UINT id) { return MString(ResId(id)); }
MString Number(unsigned __int64 n) { return MString(true, n); }
}

// ---- The scan ---------------------------------------------------------------

std::unique_ptr<ScanJob> CSelectedFiles::NewScanJob(ScanMode mode)
{
    auto job = std::make_unique<ScanJob>();
    job->dialog = m_hWnd;
    job->gallery = GetComboGalleryName();
    job->mode = mode;
    job->icons = m_files.Thumbnails().Icons();
    job->cancelEvent = m_stopEvent;
    job->records = &m_scanRecords;
    job->thumbnailSize = static_cast<UINT>(ThumbnailSize());
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
    m_files.SetModified(true);
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
    ResetEvent(m_stopEvent);
    UpdateSystemMenu(false);
    StartScanThread(std::move(job));
}

void CSelectedFiles::SetBusy(bool busy)
{
    if (busy)
        m_files.FitNameColumn(ThumbnailSize());
    if (IsLocalSourceChosen())
        ::EnableWindow(Item(IDC_SELECTION_OK), !busy);
    ::EnableWindow(Item(IDC_THUMBNAIL_SIZE), !busy);
    m_files.SetEditable(!busy);
}

bool CSelectedFiles::IsScanning() const { return InterlockedCompareExchange(const_cast<LONG*>(&m_runningScans), 0, 0) != 0; }

void CSelectedFiles::StopScan() { SetEvent(m_stopEvent); }

void CSelectedFiles::ClearList() { m_files.Clear(); }

LRESULT CSelectedFiles::OnQuickRecords(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    m_files.TakeQuickRecords(*reinterpret_cast<ScanRecordBatch*>(lParam), m_loadingGallery);
    return 0;
}

LRESULT CSelectedFiles::OnFullRecords(UINT, WPARAM, LPARAM, BOOL&)
{
    m_files.TakeFullRecords(m_scanRecords.TakeAll());
    return 0;
}

LRESULT CSelectedFiles::OnStillHeld(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    m_files.AnswerStillHeld(*reinterpret_cast<StillHeldQuery*>(lParam));
    return 0;
}

LRESULT CSelectedFiles::OnPassEnd(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const std::unique_ptr<MString> summary = TakeScanPassEnd(lParam);
    if (wParam == ScanEnded)
    {
        if (InterlockedCompareExchange(&m_runningScans, 0, 0) == 0)
        {
            SetBusy(false);
            UpdateSystemMenu(!IsLocalSourceChosen());
        }
        return 0;
    }
    if (wParam == 1)
        m_loadingGallery = false;
    m_files.SettlePass(wParam == 1);
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
    m_files.ShowFirstProblem();
    const bool note = summary->Find(MString(L"\r\n\r\n"), 0, true) != static_cast<unsigned __int64>(-1);
    ShowMessage(*summary, note ? MB_ICONWARNING : MB_ICONERROR);
    return 0;
}

void CSelectedFiles::SelectStartPath()
{
    if (m_startPath.IsEmpty())
        return;
    const MString start = m_startPath;
    m_startPath = MString();
    m_files.SelectStartPath(start);
}

// ---- Thumbnails and their size --------------------------------------------

int CSelectedFiles::ThumbnailSize() const
{
    return static_cast<int>(::SendDlgItemMessageW(m_hWnd, IDC_THUMBNAIL_SIZE, TBM_GETPOS, 0, 0));
}

bool CSelectedFiles::RebuildImageList()
{
    if (!m_files.Thumbnails().Rebuild(m_files.Window(), ThumbnailSize(), m_files.Count()))
    {
        ShowMessage(Text(IDS_IMAGE_LIST_FAILED), MB_ICONERROR);
        return false;
    }
    if (m_files.Count() > 0)
    {
        std::unique_ptr<ScanJob> job = NewScanJob(ScanMode::Rescan);
        job->paths = m_files.TakePaths();
        m_files.UpdateSelectionControls();
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
    const int oldSize = m_files.Thumbnails().Size();
    const int newSize = static_cast<int>(SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_GETPOS));
    if (newSize == oldSize)
        return;
    const int width = ListView_GetColumnWidth(m_files.Window(), 0);
    if (!RebuildImageList())
    {
        SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_SETPOS, TRUE, oldSize);
        ShowThumbnailSize();
        return;
    }
    ListView_SetColumnWidth(m_files.Window(), 0, std::max(width - oldSize + newSize, newSize + 80));
}

LRESULT CSelectedFiles::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    LayoutLocalControls();
    return 0;
}

void CSelectedFiles::LayoutLocalControls()
{
    SemaphoreGuard layout(m_layoutGuard, SemaphoreGuard::Take::Try);
    if (!layout.IsHeld() || !m_localLayout.IsMeasured())
        return;
    m_localLayout.Apply(m_hWnd);
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT CSelectedFiles::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    KillTimer(SizeTimerId);
    m_files.HideNameBalloon();
    WriteThumbnailSize(static_cast<UINT>(SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_GETPOS)));
    m_files.StoreView();
    RECT window = {};
    GetWindowRect(&window);
    if (!IsLocalSourceChosen())
    {
        window.right = window.left + m_localSize.cx;
        window.bottom = window.top + m_localSize.cy;
    }
    WriteDialogRect(window);
    RevokeFileDropTarget(m_files.Window(), m_dropTarget);
    m_dropTarget = nullptr;
    if (m_oleInitialised)
        OleUninitialize();
    m_files.Thumbnails().Release(m_files.Window());
    m_localLayout.DestroyGrip();
    for (HWND tip : m_toolTips)
        ::DestroyWindow(tip);
    // The controls still live: they get their fonts back before this one goes.
    m_online.RestoreFonts();
    if (m_slot)
        m_slot->Clear(m_hWnd);
    // What is still queued here would be lost with the window, and the
    // objects the messages carry with it.
    DrainPayloadMessages(m_hWnd,
                         {{WM_RESTART_RENAME, [](WPARAM, LPARAM lParam) { TakeRestartRename(lParam); }},
                          {WM_SHOW_MESSAGE, [](WPARAM, LPARAM lParam) { TakeShowMessage(lParam); }},
                          {WM_STARTUP_DONE, [](WPARAM, LPARAM lParam) { TakeStartupDone(lParam); }},
                          {WM_SHOW_STARTUP_MESSAGE, [](WPARAM, LPARAM lParam) { TakeStartupMessage(lParam); }},
                          {WM_SCAN_PASS_END, [](WPARAM, LPARAM lParam) { TakeScanPassEnd(lParam); }},
                          {WM_MESSAGE_BOX_REQUEST, [](WPARAM wParam, LPARAM) { TakeMessageBoxRequest(wParam); }}});
    handled = FALSE;
    return 0;
}

// ---- The list's notifications and commands -----------------------------------

LRESULT CSelectedFiles::OnListNotify(int, NMHDR* header, BOOL& handled) { return m_files.OnListNotify(header, handled); }

LRESULT CSelectedFiles::OnHeaderNotify(int, NMHDR* header, BOOL& handled)
{
    return m_files.OnHeaderNotify(header, handled);
}

LRESULT CSelectedFiles::OnRestartRename(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return m_files.OnRestartRename(wParam, lParam);
}

LRESULT CSelectedFiles::OnMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    return m_files.OnMenuMessage(message, wParam, lParam, handled);
}

LRESULT CSelectedFiles::OnListCommand(WORD, WORD id, HWND, BOOL&)
{
    const bool galleryInUse = EqualsIgnoringCase(GetComboGalleryName(), m_galleryInUse);
    switch (id)
    {
    case IDC_REMOVE_FILES:
    case CmdRemoveFiles:
        m_files.RemoveSelectedFiles();
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
        m_files.RunShellVerb(id == CmdOpen ? ShellVerbCode::Open : ShellVerbCode::Edit);
        break;
    case CmdPlay:
        m_files.RunShellVerb(ShellVerbCode::Play);
        break;
    case CmdProperties:
        m_files.RunShellVerb(ShellVerbCode::Properties);
        break;
    case CmdShowInExplorer:
        m_files.ShowInExplorer();
        break;
    case CmdRename:
        if (!IsScanning())
            m_files.EditSelectedLabel();
        break;
    case CmdInvertSelection:
        m_files.InvertSelection();
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

