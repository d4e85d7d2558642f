// The gallery dialog run modally under Xvfb on real folders, scripted from
// another thread: the stored gallery shown with its thumbnails, files pasted
// through a real data object while the dialog answers, sorting, the gallery
// commands with their name checks, and what OK and Cancel store. Built
// modeless, the dialog frees the texts still queued for it as it goes.
#include "foundation/Registry.h"
#include "galleries/FileDrop.h"
#include "galleries/LocalGalleryStore.h"
#include "galleries/SelectedFiles.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "resources/languages/LanguageIds.h"
#include "core/PrivateMessages.h"
#include "core/ThreadCounter.h"
#include "core/tests/TextFit.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <iterator>
#include <memory>
#include <string>

using namespace UiTest;

namespace
{
std::wstring Key(const wchar_t* sub = nullptr)
{
    std::wstring key = ProgramSettingsKeyPath();
    return sub ? key + L"\\" + sub : key;
}

void Store(const std::wstring& key, const wchar_t* name, const std::wstring& text)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// What putting data on the clipboard answered, and its rendering.
struct ClipboardPut
{
    HRESULT set = E_FAIL;
    HRESULT flush = E_FAIL;
};

// Puts data on the clipboard (OleSetClipboard, then OleFlushClipboard) from
// one thread that lives as long as the test program. Wine's OLE keeps the
// clipboard window of the thread that first put data there until OLE is no
// longer initialised anywhere in the process; once the folder picker has run,
// that never happens, and a script thread that has ended would leave every
// later OleSetClipboard a dead window (CLIPBRD_E_CANT_OPEN).
ClipboardPut PutOnClipboard(IDataObject* data)
{
    struct Request
    {
        IDataObject* data;
        ClipboardPut answer;
        HANDLE done;
    };
    constexpr UINT PutMessage = WM_APP + 1;
    static const DWORD thread = [] {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DWORD id = 0;
        HANDLE handle = CreateThread(
            nullptr, 0,
            [](void* parameter) -> DWORD {
                OleInitialize(nullptr);
                MSG message;
                PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
                SetEvent(static_cast<HANDLE>(parameter));
                while (GetMessageW(&message, nullptr, 0, 0) > 0)
                {
                    if (message.hwnd == nullptr && message.message == PutMessage)
                    {
                        auto* request = reinterpret_cast<Request*>(message.lParam);
                        request->answer.set = OleSetClipboard(request->data);
                        if (SUCCEEDED(request->answer.set))
                            request->answer.flush = OleFlushClipboard();
                        SetEvent(request->done);
                        continue;
                    }
                    DispatchMessageW(&message);
                }
                return 0;
            },
            ready, 0, &id);
        WaitForSingleObject(ready, 30000);
        CloseHandle(ready);
        CloseHandle(handle);
        return id;
    }();
    Request request{data, {}, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    if (PostThreadMessageW(thread, PutMessage, 0, reinterpret_cast<LPARAM>(&request)))
        WaitForSingleObject(request.done, 30000);
    CloseHandle(request.done);
    return request.answer;
}

int ItemCount(HWND dialog) { return ListView_GetItemCount(GetDlgItem(dialog, IDC_FILE_LIST)); }

bool ScanDone(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDC_THUMBNAIL_SIZE)) != FALSE; }

int ItemImage(HWND dialog, int item)
{
    LVITEMW lv = {};
    lv.mask = LVIF_IMAGE;
    lv.iItem = item;
    SendMessageW(GetDlgItem(dialog, IDC_FILE_LIST), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
    return lv.iImage;
}

std::wstring ItemText(HWND dialog, int item, int column)
{
    wchar_t text[MAX_PATH] = {};
    ListView_GetItemText(GetDlgItem(dialog, IDC_FILE_LIST), item, column, text, MAX_PATH);
    return text;
}

std::vector<std::wstring> Entries(const wchar_t* gallery)
{
    std::vector<MString> paths;
    LoadLocalGalleryFiles(MString(gallery), paths);
    std::vector<std::wstring> texts;
    for (const MString& path : paths)
        texts.emplace_back(path.GetText());
    return texts;
}

// The text of a message box owned by owner that shows now (closed), or "".
std::wstring MessageText(DWORD thread, HWND owner)
{
    HWND box = WaitForDialog(thread, owner, 100);
    if (!box)
        return L"";
    const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    return text;
}

// The colour of the name dialog's client area just below its edit box, as
// the dialog paints itself into a bitmap.
COLORREF ClientPixelBelowEdit(HWND dialog)
{
    RECT client = {}, edit = {};
    GetClientRect(dialog, &client);
    GetWindowRect(GetDlgItem(dialog, IDC_NAME_EDIT), &edit);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&edit), 2);
    HDC screen = GetDC(dialog);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    PrintWindow(dialog, memory, PW_CLIENTONLY);
    const COLORREF colour = GetPixel(memory, edit.left + 4, edit.bottom + 4);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(dialog, screen);
    return colour;
}

// A posted text that says when it is freed.
class TrackedText : public MString
{
public:
    explicit TrackedText(bool& freed) : MString(L"queued"), m_freed(freed) {}
    ~TrackedText() override { m_freed = true; }

private:
    bool& m_freed;
};

// A dialog owned by owner (a name dialog, a message box) that appears.
HWND WaitForOwned(DWORD thread, HWND owner) { return WaitForDialog(thread, owner, 30000); }

class SelectedFilesDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (ThreadCounterHolder.IsEmpty())
            ThreadCounterHolder.Create();
        SHDeleteKeyW(HKEY_CURRENT_USER, Key(L"Local Galleries").c_str());
        for (const wchar_t* value : {L"Select Files View", L"Select Files Window", L"View Image Size"})
            DeleteProductValue(value);
        WriteMediaSource(true);
        m_folder = m_tree.Folder(L"holiday");
        ASSERT_TRUE(GalleryTest::WritePicture(m_tree.At(L"holiday\\beach.png"), 80, 60));
        Store(Key(L"Local Galleries\\Holiday"), L"{00000000-0000-0000-0000-000000000001}", m_folder);
        Store(Key(L"Local Galleries"), L"Selected Local Gallery", L"Holiday");
    }

    INT_PTR Run(const std::function<void(HWND dialog, DWORD thread)>& script)
    {
        INT_PTR result = -1;
        {
            Script driver([&](DWORD ui) {
                HWND dialog = WaitForDialog(ui);
                if (!dialog)
                    return;
                const HRESULT ole = OleInitialize(nullptr);
                script(dialog, ui);
                if (SUCCEEDED(ole))
                    OleUninitialize();
                // A script that stopped early still ends the dialog.
                if (IsWindow(dialog))
                    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SELECTION_CANCEL, BN_CLICKED), 0);
            });
            CSelectedFiles dialog(POINT{200, 200}, nullptr, nullptr, MString());
            result = dialog.DoModal(GetDesktopWindow());
        }
        return result;
    }

    LanguageModuleScope m_language{1033};
    GdiplusScope m_gdiplus;
    GalleryTest::TempTree m_tree;
    std::wstring m_folder;
};
}

TEST_F(SelectedFilesDialog, PastedFilesArriveWhileTheDialogAnswersAndOkSavesThem)
{
    const std::wstring wide = m_tree.At(L"wide.png"), tall = m_tree.At(L"tall.tif");
    ASSERT_TRUE(GalleryTest::WritePicture(wide, 120, 40));
    ASSERT_TRUE(GalleryTest::WritePicture(tall, 40, 120, L"image/tiff"));
    bool answered = false;
    const INT_PTR result = Run([&](HWND dialog, DWORD thread) {
        ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 1 && ScanDone(dialog); }, 30000));
        EXPECT_EQ(ItemText(dialog, 0, ColumnName), L"holiday");

        IDataObject* data = NewFileDataObject({{CF_HDROP, BuildFileList({MString(wide.c_str()), MString(tall.c_str())})}});
        // Rendered at once, as a program that copies and quits leaves it:
        // the dialog's thread reads the clipboard itself.
        const ClipboardPut put = PutOnClipboard(data);
        ASSERT_TRUE(SUCCEEDED(put.set));
        data->Release();
        ASSERT_TRUE(SUCCEEDED(put.flush));
        PostMessageW(dialog, WM_COMMAND, CmdPasteFiles, 0);
        // While the records arrive the dialog keeps answering.
        ASSERT_TRUE(WaitUntil([&] {
            DWORD_PTR ignored = 0;
            answered = answered || SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
            return ItemCount(dialog) == 3 && ScanDone(dialog);
        }, 30000)) << ItemCount(dialog) << " " << MessageText(thread, dialog);
        for (int item = 0; item < 3; ++item)
            if (ItemText(dialog, item, ColumnName) != L"holiday")
            {
                // A thumbnail of its own, not one of the three fall-back icons.
                EXPECT_GE(ItemImage(dialog, item), 3) << item;
                EXPECT_EQ(ItemText(dialog, item, ColumnKind), L"Picture");
            }
        OpenClipboard(nullptr);
        EmptyClipboard();
        CloseClipboard();
        Click(dialog, IDC_SELECTION_OK);
    });
    EXPECT_TRUE(answered);
    // The gallery in use was saved: its entries changed.
    EXPECT_EQ(result, CSelectedFiles::EntriesSaved);
    const std::vector<std::wstring> entries = Entries(L"Holiday");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_NE(std::find(entries.begin(), entries.end(), wide), entries.end());
}

TEST_F(SelectedFilesDialog, SortingByAColumnIsStoredAndCancelStoresNoEntries)
{
    ASSERT_TRUE(GalleryTest::WritePicture(m_tree.At(L"small.png"), 30, 30));
    ASSERT_TRUE(GalleryTest::WritePicture(m_tree.At(L"large.png"), 300, 300));
    Store(Key(L"Local Galleries\\Holiday"), L"{00000000-0000-0000-0000-000000000002}", m_tree.At(L"small.png"));
    Store(Key(L"Local Galleries\\Holiday"), L"{00000000-0000-0000-0000-000000000003}", m_tree.At(L"large.png"));
    const INT_PTR result = Run([&](HWND dialog, DWORD) {
        ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 3 && ScanDone(dialog); }, 30000));
        HWND header = ListView_GetHeader(GetDlgItem(dialog, IDC_FILE_LIST));
        NMHEADERW click = {};
        click.hdr.hwndFrom = header;
        click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(header));
        click.hdr.code = HDN_ITEMCLICKW;
        click.iItem = ColumnWidth;
        // The first click sorts the width column descending, the second ascending.
        for (const wchar_t* first : {L"large.png", L"small.png"})
        {
            SendMessageW(dialog, WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
            std::vector<std::wstring> files;
            for (int item = 0; item < 3; ++item)
                if (ItemText(dialog, item, ColumnName) != L"holiday")
                    files.push_back(ItemText(dialog, item, ColumnName));
            ASSERT_EQ(files.size(), 2u);
            EXPECT_EQ(files[0], first);
        }
        // Removing a file and cancelling leaves the stored gallery alone.
        ListView_SetItemState(GetDlgItem(dialog, IDC_FILE_LIST), 0, LVIS_SELECTED, LVIS_SELECTED);
        SendMessageW(dialog, WM_COMMAND, CmdRemoveFiles, 0);
        EXPECT_EQ(ItemCount(dialog), 2);
        Click(dialog, IDC_SELECTION_CANCEL);
    });
    EXPECT_EQ(result, CSelectedFiles::NothingChanged);
    EXPECT_EQ(Entries(L"Holiday").size(), 3u);
    FileListState stored;
    ASSERT_TRUE(ReadFileListView(stored));
    EXPECT_EQ(stored.sortColumn, ColumnWidth);
    EXPECT_TRUE(stored.ascending[ColumnWidth]);
    EXPECT_EQ(ReadThumbnailSize(), SmallestThumbnail);
}

TEST_F(SelectedFilesDialog, GalleryCommandsCheckTheirNames)
{
    const INT_PTR result = Run([&](HWND dialog, DWORD thread) {
        ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 1 && ScanDone(dialog); }, 30000));
        // New: a gallery named with blanks around it is stored without them.
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_NEW_GALLERY, BN_CLICKED), 0);
        HWND name = WaitForOwned(thread, dialog);
        ASSERT_NE(name, nullptr);
        SetDlgItemTextW(name, IDC_NAME_EDIT, L"  Trip  ");
        PostMessageW(name, WM_COMMAND, MAKEWPARAM(IDC_NAME_OK, BN_CLICKED), 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(name) && DialogItemText(dialog, IDC_LOCAL_GALLERY) == L"Trip"; }));

        // Rename Trip to another gallery's name in other letters: refused.
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_RENAME_GALLERY, BN_CLICKED), 0);
        name = WaitForOwned(thread, dialog);
        ASSERT_NE(name, nullptr);
        SetDlgItemTextW(name, IDC_NAME_EDIT, L"HOLIDAY");
        PostMessageW(name, WM_COMMAND, MAKEWPARAM(IDC_NAME_OK, BN_CLICKED), 0);
        HWND refused = WaitForOwned(thread, name);
        ASSERT_NE(refused, nullptr);
        EXPECT_NE(WindowText(GetDlgItem(refused, 0xFFFF)).find(L"exists already"), std::wstring::npos);
        PostMessageW(refused, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(refused); }));
        // Only the letters' case: refused too.
        SetDlgItemTextW(name, IDC_NAME_EDIT, L"TRIP");
        PostMessageW(name, WM_COMMAND, MAKEWPARAM(IDC_NAME_OK, BN_CLICKED), 0);
        refused = WaitForOwned(thread, name);
        ASSERT_NE(refused, nullptr);
        EXPECT_NE(WindowText(GetDlgItem(refused, 0xFFFF)).find(L"case"), std::wstring::npos);
        PostMessageW(refused, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(refused); }));
        SetDlgItemTextW(name, IDC_NAME_EDIT, L"Journey");
        PostMessageW(name, WM_COMMAND, MAKEWPARAM(IDC_NAME_OK, BN_CLICKED), 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(name) && DialogItemText(dialog, IDC_LOCAL_GALLERY) == L"Journey"; }));

        // Delete the gallery in use: the selection goes, the first gallery shows.
        SendMessageW(GetDlgItem(dialog, IDC_LOCAL_GALLERY), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(L"Holiday"));
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_LOCAL_GALLERY, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_LOCAL_GALLERY)));
        ASSERT_TRUE(WaitUntil([&] { return ScanDone(dialog); }));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DELETE_GALLERY, BN_CLICKED), 0);
        ASSERT_TRUE(WaitUntil([&] { return DialogItemText(dialog, IDC_LOCAL_GALLERY) == L"Journey"; }));
        ASSERT_TRUE(WaitUntil([&] { return ScanDone(dialog); }));
        Click(dialog, IDC_SELECTION_CANCEL);
    });
    // The gallery in use is gone: the end says so.
    EXPECT_EQ(result, CSelectedFiles::GalleryInUseChanged);
    std::vector<MString> galleries;
    ListLocalGalleries(galleries);
    ASSERT_EQ(galleries.size(), 1u);
    EXPECT_STREQ(galleries[0].GetText(), L"Journey");
    EXPECT_STREQ(ReadSelectedLocalGallery().GetText(), L"Journey");
}

TEST_F(SelectedFilesDialog, FileDescriptorFormAddsNothingBesideTheFileList)
{
    const std::wstring wide = m_tree.At(L"wide.png");
    ASSERT_TRUE(GalleryTest::WritePicture(wide, 120, 40));
    const std::vector<unsigned char> contents = {'P', 'N', 'G', 0};
    Run([&](HWND dialog, DWORD) {
        HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
        ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 1 && ScanDone(dialog); }, 30000));
        // Sound, short and lying descriptor blocks with their contents, and
        // nothing else: the paste adds nothing. The selection inverted after
        // it marks that the dialog has handled the paste.
        for (const std::vector<unsigned char>& descriptors :
             {GalleryTest::FileDescriptorBlock(1, 1), std::vector<unsigned char>(2),
              GalleryTest::FileDescriptorBlock(40, 1)})
        {
            IDataObject* data = NewFileDataObject({{FileDescriptorFormat(), descriptors}, {FileContentsFormat(), contents}});
            const ClipboardPut put = PutOnClipboard(data);
            ASSERT_TRUE(SUCCEEDED(put.set));
            data->Release();
            ASSERT_TRUE(SUCCEEDED(put.flush));
            const UINT selected = ListView_GetSelectedCount(list);
            PostMessageW(dialog, WM_COMMAND, CmdPasteFiles, 0);
            PostMessageW(dialog, WM_COMMAND, CmdInvertSelection, 0);
            ASSERT_TRUE(WaitUntil([&] { return ListView_GetSelectedCount(list) != selected; }, 30000));
            EXPECT_EQ(ItemCount(dialog), 1) << descriptors.size();
        }
        // Beside a file list, a lying descriptor block changes nothing: the
        // listed file is added.
        IDataObject* data = NewFileDataObject({{FileDescriptorFormat(), GalleryTest::FileDescriptorBlock(40, 1)},
                                               {FileContentsFormat(), contents},
                                               {CF_HDROP, BuildFileList({MString(wide.c_str())})}});
        const ClipboardPut put = PutOnClipboard(data);
        ASSERT_TRUE(SUCCEEDED(put.set));
        data->Release();
        ASSERT_TRUE(SUCCEEDED(put.flush));
        PostMessageW(dialog, WM_COMMAND, CmdPasteFiles, 0);
        ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 2 && ScanDone(dialog); }, 30000));
        OpenClipboard(nullptr);
        EmptyClipboard();
        CloseClipboard();
    });
}

namespace
{
// The user's side of a drag: drops as soon as the target has answered with
// a copy effect, and lets go when it has refused several times.
class ScriptedDropSource : public IDropSource
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid != IID_IUnknown && iid != IID_IDropSource)
            return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override
    {
        if (m_answered == DROPEFFECT_COPY)
            return DRAGDROP_S_DROP;
        return m_feedbacks >= 5 || GetTickCount() - m_start > 30000 ? DRAGDROP_S_CANCEL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override
    {
        m_answered = effect;
        ++m_feedbacks;
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }
    int Feedbacks() const { return m_feedbacks; }

private:
    DWORD m_start = GetTickCount();
    DWORD m_answered = DROPEFFECT_NONE;
    int m_feedbacks = 0;
};
}

TEST_F(SelectedFilesDialog, FilesDraggedOntoTheListAreAddedButNotItsOwn)
{
    const std::wstring wide = m_tree.At(L"wide.png");
    ASSERT_TRUE(GalleryTest::WritePicture(wide, 120, 40));
    Run([&](HWND dialog, DWORD) {
        HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
        ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 1 && ScanDone(dialog); }, 30000));
        RECT area = {};
        GetWindowRect(list, &area);
        SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
        const std::vector<unsigned char> files = BuildFileList({MString(wide.c_str())});

        // The list's own drag is refused: nothing is dropped.
        IDataObject* own = NewFileDataObject({{CF_HDROP, files}, {OwnListFormat(list), std::vector<unsigned char>(1)}});
        ScriptedDropSource refused;
        DWORD effect = DROPEFFECT_COPY;
        EXPECT_EQ(DoDragDrop(own, &refused, DROPEFFECT_COPY, &effect), DRAGDROP_S_CANCEL);
        own->Release();
        EXPECT_GT(refused.Feedbacks(), 0);
        EXPECT_EQ(ItemCount(dialog), 1);

        // Another program's file list is taken, and the source is never told
        // to remove its files (the target answers "link", which Wine's drag
        // loop masks with the allowed effects to none).
        IDataObject* other = NewFileDataObject({{CF_HDROP, files}});
        ScriptedDropSource accepted;
        effect = DROPEFFECT_COPY;
        EXPECT_EQ(DoDragDrop(other, &accepted, DROPEFFECT_COPY, &effect), DRAGDROP_S_DROP);
        other->Release();
        EXPECT_EQ(effect & DROPEFFECT_MOVE, 0u);
        ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 2 && ScanDone(dialog); }, 30000));
    });
}

// In each language the gallery dialog and its name dialog show every text
// whole (the add and remove buttons with their pictures), and the name dialog
// paints on white.
TEST_F(SelectedFilesDialog, EveryTextIsShownWholeAndTheNameDialogIsWhite)
{
    for (const LANGID current : {LanguageEnglish, LanguageBulgarian})
    {
        LanguageModuleScope language(current);
        std::vector<std::wstring> cut, nameCut;
        COLORREF nameBackground = 0;
        Run([&](HWND dialog, DWORD thread) {
            ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 1 && ScanDone(dialog); }, 30000));
            HoldForScreenshot();
            cut = CutTexts(dialog);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_NEW_GALLERY, BN_CLICKED), 0);
            HWND name = WaitForOwned(thread, dialog);
            ASSERT_NE(name, nullptr);
            HoldForScreenshot();
            nameCut = CutTexts(name);
            nameBackground = ClientPixelBelowEdit(name);
            PostMessageW(name, WM_COMMAND, MAKEWPARAM(IDC_NAME_CANCEL, BN_CLICKED), 0);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(name); }));
            Click(dialog, IDC_SELECTION_CANCEL);
        });
        EXPECT_TRUE(cut.empty()) << "language " << current << ":\n" << JoinLines(cut);
        EXPECT_TRUE(nameCut.empty()) << "language " << current << ":\n" << JoinLines(nameCut);
        EXPECT_EQ(nameBackground, RGB(255, 255, 255)) << "language " << current;
    }
}

namespace
{
// The text of the visible tool tip window of the thread, or "" when none shows.
std::wstring ShownBalloonText(DWORD thread)
{
    HWND found = nullptr;
    EnumThreadWindows(thread, [](HWND window, LPARAM lParam) {
        wchar_t className[32] = {};
        GetClassNameW(window, className, 32);
        if (IsWindowVisible(window) && lstrcmpiW(className, TOOLTIPS_CLASSW) == 0)
        {
            *reinterpret_cast<HWND*>(lParam) = window;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    if (!found)
        return L"";
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    if (!SendMessageW(found, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)))
        return L"";
    wchar_t text[1024] = {};
    tool.lpszText = text;
    SendMessageW(found, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    return text;
}

std::wstring FirstLine(const std::wstring& text) { return text.substr(0, text.find(L"\r\n")); }

int FindItemNamed(HWND dialog, const wchar_t* name)
{
    for (int item = 0; item < ItemCount(dialog); ++item)
        if (ItemText(dialog, item, ColumnName) == name)
            return item;
    return -1;
}

// Ends an in-place rename of item with text, as the list view does.
void EndRename(HWND dialog, int item, const wchar_t* text)
{
    NMLVDISPINFOW end = {};
    end.hdr.hwndFrom = GetDlgItem(dialog, IDC_FILE_LIST);
    end.hdr.idFrom = IDC_FILE_LIST;
    end.hdr.code = LVN_ENDLABELEDITW;
    end.item.iItem = item;
    end.item.pszText = const_cast<wchar_t*>(text);
    SendMessageW(dialog, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&end));
}
}

// A rename that fails says why beside the label, which opens again; the
// file keeps its name.
TEST_F(SelectedFilesDialog, AFailedFileRenameSaysWhyBesideTheLabel)
{
    const std::wstring first = m_tree.At(L"first.png"), second = m_tree.At(L"second.png");
    ASSERT_TRUE(GalleryTest::WritePicture(first, 30, 30));
    ASSERT_TRUE(GalleryTest::WritePicture(second, 30, 30));
    Store(Key(L"Local Galleries\\Holiday"), L"{00000000-0000-0000-0000-000000000002}", first);
    Store(Key(L"Local Galleries\\Holiday"), L"{00000000-0000-0000-0000-000000000003}", second);
    Run([&](HWND dialog, DWORD thread) {
        ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 3 && ScanDone(dialog); }, 30000));
        const struct
        {
            const wchar_t* newName;
            bool fileInUse;
            std::wstring reason;
        } cases[] = {
            {L"second.png", false, MString(ResId(IDS_FILE_NAME_EXISTS)).GetText()},
            {L"third.png", true, FirstLine(MString(sX::Format(), IDS_FILE_RENAME_FAILED, first.c_str(), L"", L"third.png").GetText())},
        };
        for (const auto& c : cases)
        {
            SCOPED_TRACE(std::string(c.newName, c.newName + wcslen(c.newName)));
            HANDLE held = c.fileInUse ? CreateFileW(first.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                      : INVALID_HANDLE_VALUE;
            const int item = FindItemNamed(dialog, L"first.png");
            ASSERT_GE(item, 0);
            EndRename(dialog, item, c.newName);
            std::wstring shown;
            EXPECT_TRUE(WaitUntil([&] { return !(shown = ShownBalloonText(thread)).empty(); }, 30000));
            EXPECT_NE(shown.find(c.reason), std::wstring::npos) << std::string(shown.begin(), shown.end());
            EXPECT_NE(ListView_GetEditControl(GetDlgItem(dialog, IDC_FILE_LIST)), nullptr);
            // Escape on the label takes the balloon away.
            SendMessageW(GetDlgItem(dialog, IDC_FILE_LIST), LVM_CANCELEDITLABEL, 0, 0);
            EXPECT_TRUE(WaitUntil([&] { return ShownBalloonText(thread).empty(); }));
            if (held != INVALID_HANDLE_VALUE)
                CloseHandle(held);
            EXPECT_NE(GetFileAttributesW(first.c_str()), INVALID_FILE_ATTRIBUTES);
        }
    });
}

// The list's status line counts files and folders apart, the slider shows
// its size, Remove follows the selection across a gallery's new name, and
// the folder picker carries the program's title.
TEST_F(SelectedFilesDialog, TheStatusLineSliderAndButtonsSayWhatIsThere)
{
    const std::wstring first = m_tree.At(L"first.png"), second = m_tree.At(L"second.png");
    ASSERT_TRUE(GalleryTest::WritePicture(first, 30, 30));
    ASSERT_TRUE(GalleryTest::WritePicture(second, 30, 30));
    Store(Key(L"Local Galleries\\Holiday"), L"{00000000-0000-0000-0000-000000000002}", first);
    Store(Key(L"Local Galleries\\Holiday"), L"{00000000-0000-0000-0000-000000000003}", second);
    Run([&](HWND dialog, DWORD thread) {
        HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
        ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 3 && ScanDone(dialog); }, 30000));
        const std::wstring counted = MString(sX::Format(), IDS_COUNT_ENTRIES, L"2", L"1").GetText();
        EXPECT_TRUE(WaitUntil([&] { return DialogItemText(dialog, IDC_FILE_COUNT) == counted; }))
            << std::string(counted.begin(), counted.end());
        const int size = static_cast<int>(SendDlgItemMessageW(dialog, IDC_THUMBNAIL_SIZE, TBM_GETPOS, 0, 0));
        EXPECT_EQ(DialogItemText(dialog, IDC_THUMBNAIL_UNIT), std::to_wstring(size) + L" px");

        ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_REMOVE_FILES)));
        EXPECT_EQ(DialogItemText(dialog, IDC_FILE_COUNT), MString(sX::Format(), IDS_COUNT_ENTRIES_SELECTED, L"2", L"1", L"1").GetText());
        // A new name shows the gallery again with nothing selected.
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_RENAME_GALLERY, BN_CLICKED), 0);
        HWND name = WaitForOwned(thread, dialog);
        ASSERT_NE(name, nullptr);
        SetDlgItemTextW(name, IDC_NAME_EDIT, L"Trip");
        PostMessageW(name, WM_COMMAND, MAKEWPARAM(IDC_NAME_OK, BN_CLICKED), 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(name) && DialogItemText(dialog, IDC_LOCAL_GALLERY) == L"Trip"; }));
        ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 3 && ScanDone(dialog); }, 30000));
        EXPECT_EQ(ListView_GetSelectedCount(list), 0u);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_REMOVE_FILES)));

        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ADD_FOLDER, BN_CLICKED), 0);
        HWND picker = WaitForOwned(thread, dialog);
        ASSERT_NE(picker, nullptr);
        EXPECT_EQ(WindowText(picker),
                  MString(sX::Format(), IDS_ADD_FOLDER_TITLE, MString(ResId(IDS_PRODUCT_CAPTION)).GetText()).GetText());
        PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    });
}

TEST_F(SelectedFilesDialog, PicturesTurnOnAWorkerWhileTheWaitDialogShowsAndAsksAboutReadOnlyFiles)
{
    // Four pictures, red on the left, in name order; the second and third
    // read-only. The user answers No for the second and Cancel for the third.
    std::vector<std::wstring> pictures;
    for (int i = 1; i <= 4; ++i)
    {
        pictures.push_back(m_tree.At(L"p" + std::to_wstring(i) + L".png"));
        ASSERT_TRUE(GalleryTest::WritePicture(pictures.back(), 80, 60));
        Store(Key(L"Local Galleries\\Holiday"), (L"{00000000-0000-0000-0000-00000000001" + std::to_wstring(i) + L"}").c_str(),
              pictures.back());
    }
    for (int i : {1, 2})
        SetFileAttributesW(pictures[static_cast<size_t>(i)].c_str(), FILE_ATTRIBUTE_READONLY);
    std::vector<std::wstring> asked;
    Run([&](HWND dialog, DWORD thread) {
        ASSERT_TRUE(WaitUntil([&] { return ItemCount(dialog) == 5 && ScanDone(dialog); }, 30000));
        ListView_SetItemState(GetDlgItem(dialog, IDC_FILE_LIST), -1, LVIS_SELECTED, LVIS_SELECTED);
        PostMessageW(dialog, WM_COMMAND, CmdRotate90, 0);
        for (const int answer : {IDNO, IDCANCEL})
        {
            // The question comes through the wait dialog, which the gallery
            // dialog's thread runs while the worker turns the pictures.
            HWND wait = WaitForOwned(thread, dialog);
            ASSERT_NE(wait, nullptr);
            ASSERT_NE(GetDlgItem(wait, IDC_WAIT_ELAPSED), nullptr) << WindowText(wait);
            HWND question = WaitForOwned(thread, wait);
            ASSERT_NE(question, nullptr);
            asked.push_back(WindowText(GetDlgItem(question, 0xFFFF)));
            PostMessageW(question, WM_COMMAND, answer, 0);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }, 30000));
        }
        // The wait dialog goes once the worker has stopped.
        ASSERT_TRUE(WaitUntil(
            [&] {
                HWND owned = WaitForDialog(thread, dialog, 0);
                return owned == nullptr;
            },
            30000));
        DWORD_PTR ignored = 0;
        EXPECT_NE(SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 30000, &ignored), 0);
        Click(dialog, IDC_SELECTION_CANCEL);
    });
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_NE(asked[0].find(pictures[1]), std::wstring::npos) << asked[0];
    EXPECT_NE(asked[1].find(pictures[2]), std::wstring::npos) << asked[1];
    // Turned: the first only. The No and the Cancel left theirs as they
    // were, read-only, and Cancel stopped before the fourth.
    for (size_t i = 0; i < pictures.size(); ++i)
    {
        Gdiplus::Bitmap picture(pictures[i].c_str());
        EXPECT_EQ(picture.GetWidth(), i == 0 ? 60u : 80u) << i;
    }
    for (size_t i : {1u, 2u})
    {
        EXPECT_TRUE(GetFileAttributesW(pictures[i].c_str()) & FILE_ATTRIBUTE_READONLY) << i;
        SetFileAttributesW(pictures[i].c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(SelectedFilesDialog, TextsStillQueuedWhenTheDialogGoesAreFreed)
{
    // Built on this thread and destroyed with no message taken in between:
    // every posted text is still queued when the window goes.
    using Post = bool (*)(HWND, std::unique_ptr<MString>);
    const std::pair<const char*, Post> posts[] = {
        {"restart rename", [](HWND d, std::unique_ptr<MString> t) { return PostRestartRename(d, 0, std::move(t)); }},
        {"show message",
         [](HWND d, std::unique_ptr<MString> t) { return PostShowMessage(d, std::move(t), MB_ICONERROR); }},
        {"startup done", [](HWND d, std::unique_ptr<MString> t) { return PostStartupDone(d, std::move(t)); }},
        {"startup message", [](HWND d, std::unique_ptr<MString> t) { return PostStartupMessage(d, std::move(t)); }},
        {"scan pass end", [](HWND d, std::unique_ptr<MString> t) { return PostScanPassEnd(d, true, std::move(t)); }},
        {"message box request",
         [](HWND d, std::unique_ptr<MString> t) { return PostMessageBoxRequest(d, std::move(t), MB_ICONERROR); }},
    };
    bool freed[std::size(posts)] = {};
    CSelectedFiles dialog(POINT{200, 200}, nullptr, nullptr, MString());
    const HWND window = dialog.Create(GetDesktopWindow());
    ASSERT_NE(window, nullptr);
    for (size_t i = 0; i < std::size(posts); ++i)
        ASSERT_TRUE(posts[i].second(window, std::make_unique<TrackedText>(freed[i]))) << posts[i].first;
    for (size_t i = 0; i < std::size(posts); ++i)
        EXPECT_FALSE(freed[i]) << posts[i].first;
    ::DestroyWindow(window);
    for (size_t i = 0; i < std::size(posts); ++i)
        EXPECT_TRUE(freed[i]) << posts[i].first;
}
