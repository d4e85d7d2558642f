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
#include "shell/core/MessageBox.h"

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
    std::vector<MString> paths;
    for (int item : SelectedItems())
        paths.push_back(GetItemPath(item));
    IDataObject* data =
        NewFileDataObject({{CF_HDROP, BuildFileList(paths)}, {OwnListFormat(m_list), std::vector<unsigned char>(1)}});
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
    std::vector<MString> paths;
    for (int item : SelectedItems())
        paths.push_back(GetItemPath(item));
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
    const MString picture = Text(IDS_KIND_PICTURE);
    const UINT size = static_cast<UINT>(SendDlgItemMessage(IDC_THUMBNAIL_SIZE, TBM_GETPOS));
    bool failed = false, thumbnailFailed = false;
    HCURSOR cursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    for (int item : SelectedItems())
    {
        wchar_t kind[256] = {};
        ListView_GetItemText(m_list, item, ColumnKind, kind, 256);
        if (!EqualsIgnoringCase(MString(kind), picture))
            continue;
        const MString path = GetItemPath(item);
        const DWORD attributes = GetFileAttributesW(path.GetText());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        {
            const int answer = LocalizedMessageBox(m_hWnd, MString(sX::Format(), IDS_WAIT_QUESTION, path.GetText()).GetText(),
                                                   m_caption.GetText(), MB_YESNOCANCEL | MB_ICONQUESTION);
            if (answer == IDCANCEL)
                break;
            if (answer != IDYES)
                continue;
            SetFileAttributesW(path.GetText(), attributes & ~FILE_ATTRIBUTE_READONLY);
        }
        HBITMAP thumbnail = nullptr;
        const RotationResult result =
            RotatePictureFile(path, static_cast<Gdiplus::RotateFlipType>(rotation), size, &thumbnail);
        if (result == RotationResult::Failed)
        {
            failed = true;
            continue;
        }
        if (result != RotationResult::Rotated)
            continue;
        if (!thumbnail)
        {
            thumbnailFailed = true;
            continue;
        }
        LVITEMW lv = {};
        lv.mask = LVIF_IMAGE;
        lv.iItem = item;
        ListView_GetItem(m_list, &lv);
        ImageList_Replace(m_images, lv.iImage & 0xFFFFFF, thumbnail, nullptr);
        DeleteObject(thumbnail);
        ListView_SetItem(m_list, &lv);
    }
    SetCursor(cursor);
    if (failed || thumbnailFailed)
        ShowMessage(Text(IDS_ROTATE_FAILED), MB_ICONERROR);
    if (thumbnailFailed)
        RebuildImageList();
}
