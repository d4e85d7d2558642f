// The gallery dialog and the shell: files dragged out and copied to the
// clipboard, files dropped and pasted in, and pictures turned in place.
// The list-view and header macros call the system, not the dialog's own SendMessage.
#define SNDMSG ::SendMessageW
#include "galleries/SelectedFiles.h"

#include "foundation/FolderPath.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"
#include "galleries/FileDrop.h"
#include "galleries/PictureRotation.h"
#include "core/CrashReport.h"
#include "core/MessageBox.h"
#include "core/ThreadCounter.h"
#include "core/WaitDlg.h"

namespace
{
MString Text(UINT id) { return MString(ResId(id)); }
}

void CSelectedFiles::TakeDroppedPaths(std::vector<MString>& paths, const std::vector<MString>& tooLong)
{
    if (!tooLong.empty())
    {
        MString lines;
        for (const MString& path : tooLong)
            lines += MString(sX::Format(), IDS_SCAN_SUMMARY_LINE, path.GetText(), Text(IDS_FILE_NAME_TOO_LONG).GetText()) +
                     L"\r\n";
        ShowMessage(MString(sX::Format(), IDS_SCAN_SUMMARY_LIST, lines.GetText()), MB_ICONERROR);
    }
    if (!paths.empty())
        StartScan(paths);
}

void CSelectedFiles::BeginDrag()
{
    const std::vector<MString> paths = m_files.SelectedPaths();
    IDataObject* data =
        NewFileDataObject({{CF_HDROP, BuildFileList(paths)}, {OwnListFormat(m_files.Window()), std::vector<unsigned char>(1)}});
    if (!data)
        return;
    IDropSource* source = NewFileDropSource();
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data, source, DROPEFFECT_COPY, &effect);
    source->Release();
    data->Release();
}

void CSelectedFiles::CopyFilesToClipboard()
{
    const std::vector<MString> paths = m_files.SelectedPaths();
    OleSetClipboard(nullptr);
    const DWORD copy = DROPEFFECT_COPY;
    const auto* effect = reinterpret_cast<const unsigned char*>(&copy);
    IDataObject* data = NewFileDataObject({{PreferredDropEffectFormat(), std::vector<unsigned char>(effect, effect + 4)},
                                           {CF_HDROP, BuildFileList(paths)}});
    const bool copied = data && SUCCEEDED(OleSetClipboard(data));
    if (data)
        data->Release();
    if (!copied)
        ShowMessage(MString(sX::Format(), IDS_COPY_FAILED, m_caption.GetText()), MB_ICONERROR);
}

bool CSelectedFiles::CanPaste() const
{
    IDataObject* data = nullptr;
    if (FAILED(OleGetClipboard(&data)) || !data)
        return false;
    const bool offers = OffersFileList(data);
    data->Release();
    return offers;
}

void CSelectedFiles::PasteFiles()
{
    IDataObject* data = nullptr;
    if (FAILED(OleGetClipboard(&data)) || !data)
    {
        ShowMessage(MString(sX::Format(), IDS_PASTE_FAILED, m_caption.GetText()), MB_ICONERROR);
        return;
    }
    std::vector<MString> paths, tooLong;
    const bool read = OffersFileList(data) && ReadDataObjectPaths(data, paths, tooLong);
    data->Release();
    if (read)
        TakeDroppedPaths(paths, tooLong);
}

void CSelectedFiles::RotateImages(int rotation)
{
    RotationJob job;
    job.rotation = static_cast<Gdiplus::RotateFlipType>(rotation);
    job.thumbnailSize = static_cast<UINT>(ThumbnailSize());
    const MString picture = Text(IDS_KIND_PICTURE);
    const HWND list = m_files.Window();
    for (int item : m_files.SelectedItems())
    {
        wchar_t kind[256] = {};
        ListView_GetItemText(list, item, ColumnKind, kind, 256);
        if (!EqualsIgnoringCase(MString(kind), picture))
            continue;
        LVITEMW lv = {};
        lv.mask = LVIF_IMAGE;
        lv.iItem = item;
        ListView_GetItem(list, &lv);
        RotationJob::Picture& entry = job.pictures.emplace_back();
        entry.item = item;
        entry.path = m_files.GetItemPath(item);
        entry.image = static_cast<UINT>(lv.iImage);
    }
    if (job.pictures.empty())
        return;

    // The dialog goes on answering while the worker turns the pictures: the
    // wait dialog runs its modal loop and starts the worker once it shows.
    // Without a worker (the program ending) the pictures turn here.
    const MHandle thread = StartCountedThread(RotateImagesThreadProc, &job, ThreadStart::Suspended);
    if (thread.IsValid())
    {
        CWaitDlg wait(thread);
        job.waitDialog = &wait.m_hWnd;
        if (wait.DoModal(m_hWnd) == -1)
            ResumeThread(thread);
        WaitForSingleObject(thread, INFINITE);
        job.waitDialog = nullptr;
    }
    else
        RunRotationJob(job);

    if (!job.failed.empty() || job.thumbnailFailed)
        ShowMessage(Text(IDS_ROTATE_FAILED), MB_ICONERROR);
    if (job.thumbnailFailed)
    {
        RebuildImageList();
        return;
    }
    for (const RotationJob::Picture& entry : job.pictures)
    {
        if (!entry.thumbnail.Get())
            continue;
        m_files.Thumbnails().Replace(entry.image, entry.thumbnail.Get());
        LVITEMW lv = {};
        lv.mask = LVIF_IMAGE;
        lv.iItem = entry.item;
        lv.iImage = static_cast<int>(entry.image & 0xFFFFFF);
        ListView_SetItem(list, &lv);
    }
}

DWORD WINAPI CSelectedFiles::RotateImagesThreadProc(void* parameter)
{
    RotationJob& job = *static_cast<RotationJob*>(parameter);
    const DWORD result = NoThrow<DWORD>(1, [&job]() -> DWORD {
        RunRotationJob(job);
        return 0;
    });
    // However the work ended, the wait dialog ends: left open it would hold
    // the gallery dialog for ever.
    if (job.waitDialog && *job.waitDialog)
        ::SendMessageW(*job.waitDialog, WaitDlgEnd, 0, 0);
    return result;
}
