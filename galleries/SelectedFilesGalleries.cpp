// The gallery dialog's local galleries: the gallery combo, the gallery
// commands (new, rename, delete) and adding files and folders through the
// file dialogs.
// The list-view macros call the system, not the dialog's own SendMessage.
#define SNDMSG ::SendMessageW
#include "galleries/SelectedFiles.h"

#include "foundation/FolderPath.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"
#include "foundation/WindowPlacement.h"
#include "galleries/FileTypes.h"
#include "galleries/GalleryEntryCheck.h"
#include "galleries/GalleryNames.h"
#include "galleries/LocalGalleryStore.h"
#include "galleries/MediaProbe.h"
#include "core/CrashReport.h"
#include "core/MessageBox.h"

#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace
{
const GUID AddFilesClient = {0x477D769B, 0x94AD, 0x449D, {0xAD, 0xE2, 0x59, 0xD7, 0x42, 0xB8, 0xED, 0x1C}};
const GUID AddFolderClient = {0x817F89DA, 0x9B9D, 0x4923, {0xAB, 0x84, 0x9C, 0x63, 0x26, 0x2C, 0xBB, 0xB5}};

MString Text(UINT id) { return MString(ResId(id)); }

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

// Hooks of the system's file dialogs: nothing may be thrown into them.
UINT_PTR CALLBACK OpenFileDialogHook(HWND window, UINT message, WPARAM, LPARAM)
{
    return NoThrow<UINT_PTR>(0, [&]() -> UINT_PTR {
        if (message == WM_INITDIALOG)
            CenterWindowOnWindow(GetParent(window), GetWindow(GetParent(window), GW_OWNER));
        return 0;
    });
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
    return NoThrow(0, [&] {
        if (message == BFFM_INITIALIZED)
            CenterWindowOnWindow(window, GetWindow(window, GW_OWNER));
        return 0;
    });
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
    std::vector<MString> paths = m_files.Paths();
    std::unique_ptr<MediaProbe> media = NewWindowsMediaPlayerProbe();
    const GallerySave save = SaveLocalGalleryFiles(m_hWnd, GetComboGalleryName(), paths, showErrors,
                                                   GalleryEntryCheck(media.get()));
    if (!save.saved)
        return false;
    m_files.SetModified(false);
    if (EqualsIgnoringCase(GetComboGalleryName(), m_galleryInUse))
        m_galleryInUseChanged = true;
    return true;
}

LRESULT CSelectedFiles::OnGalleryChange(WORD, WORD, HWND, BOOL&)
{
    const int previous = m_comboIndex;
    const int chosen = static_cast<int>(SendDlgItemMessage(IDC_LOCAL_GALLERY, CB_GETCURSEL));
    if (m_files.IsModified() && previous >= 0)
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
    m_files.SetModified(false);
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
    if (m_files.IsModified() && !SaveShownGallery(true))
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
    if (m_files.IsModified() && !SaveShownGallery(true))
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
    const int first = m_files.Count();
    StartScan(paths);
    ListView_EnsureVisible(m_files.Window(), first, FALSE);
    ListView_SetItemState(m_files.Window(), -1, 0, LVIS_SELECTED);
}

