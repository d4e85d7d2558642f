#include "viewers/BrowserDlg.h"

#include "foundation/Registry.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "core/tests/UiTestSupport.h"
#include "viewers/MediaVolume.h"
#include "viewers/tests/DialogThreadScript.h"

#include <gtest/gtest.h>

#include <exdispid.h>

#include <fstream>
#include <string>

namespace
{
const wchar_t ParametersOpen[] = L"Document_display_parameters{33EE5728-9540-47D4-B6B6-606B790E7CD2}";
const wchar_t ParametersClose[] = L"Document_display_parameters{00199933-6F84-48C8-91F7-1CBF3DDFFDFB}";

std::wstring PageWithParameters(const std::wstring& lines)
{
    return L"<html><head><!-- " + std::wstring(ParametersOpen) + L"\n" + lines + L"\n" + ParametersClose +
           L" --></head><body>Harbour</body></html>";
}

// One browser event as the control delivers it: arguments last first.
HRESULT Fire(CBrowserDlg& viewer, DISPID dispid, std::initializer_list<VARIANT> arguments)
{
    std::vector<VARIANT> stored(arguments.begin(), arguments.end());
    std::reverse(stored.begin(), stored.end());
    DISPPARAMS parameters = {stored.empty() ? nullptr : stored.data(), nullptr, static_cast<UINT>(stored.size()), 0};
    return viewer.OnDispEvent(dispid, parameters);
}

VARIANT Text(BSTR text)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text;
    return value;
}

VARIANT Empty()
{
    VARIANT value;
    VariantInit(&value);
    return value;
}

class Bstr
{
public:
    explicit Bstr(const std::wstring& text) : m_text(SysAllocString(text.c_str())) {}
    ~Bstr() { SysFreeString(m_text); }
    operator BSTR() const { return m_text; }

private:
    BSTR m_text;
};

std::wstring Title(PageCommand command, const std::wstring& items)
{
    return PageCommandPrefix(command) + items;
}

bool MutexExists(const wchar_t* key)
{
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, DialogMutexName(key).GetText());
    if (mutex)
        CloseHandle(mutex);
    return mutex != nullptr;
}

SIZE ClientSize(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    return SIZE{client.right, client.bottom};
}

class BrowserViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        m_folder = folder;
        m_savedVolume = ReadMediaVolume();
        OleInitialize(nullptr);
    }
    void TearDown() override
    {
        for (const std::wstring& file : m_files)
            DeleteFileW(file.c_str());
        WriteMediaVolume(m_savedVolume);
        OleUninitialize();
    }

    std::wstring WriteFile(const wchar_t* name, const std::wstring& text)
    {
        const std::wstring path = m_folder + name;
        const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<size_t>(size - 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
        std::ofstream(path.c_str(), std::ios::binary) << bytes;
        m_files.push_back(path);
        return path;
    }

    LanguageModuleScope language{1033};
    CriticalSection viewerLock;
    HWND viewerWindow = nullptr;

private:
    std::wstring m_folder;
    std::vector<std::wstring> m_files;
    double m_savedVolume = DefaultMediaVolume;
};

TEST_F(BrowserViewerTest, ALocalPageOpensAtItsOwnSizeAndObeysNoPageCommand)
{
    const std::wstring path =
        WriteFile(L"harbour page.htm", PageWithParameters(L"Window_Opening_Inner_Width=600\n"
                                                          L"Window_Opening_Inner_Height=400\n"
                                                          L"Window_Minimal_Inner_Width=300\n"
                                                          L"Window_Minimal_Inner_Height=200\n"
                                                          L"Window_Maximal_Inner_Width=800\n"
                                                          L"Window_Maximal_Inner_Height=600\n"
                                                          L"Border_Resizable=no"));
    POINT anchor{10, 10};
    MList<CBrowserDlg::Content_propetrty> none;
    CBrowserDlg viewer(&anchor, MString(path.c_str()), ViewerSlot{&viewerLock, &viewerWindow}, MString(),
                       MString(L"Harbour"), nullptr, MemoryPH<unsigned char>(), none);
    EXPECT_EQ(viewer.Mode(), 1u);
    EXPECT_TRUE(MutexExists(L"VIEWER_CBrowserDlg"));
    SIZE client = {};
    std::wstring title;
    LONG_PTR style = 0;
    HWND slotWhileOpen = nullptr;
    bool openAfterCommands = false;
    DialogThreadScript script([&](HWND dialog) {
        client = ClientSize(dialog);
        title = UiTest::WindowText(dialog);
        style = GetWindowLongPtrW(dialog, GWL_STYLE);
        slotWhileOpen = viewerWindow;
        // A local page is trusted with nothing, complete or not.
        EXPECT_EQ(Fire(viewer, DISPID_DOCUMENTCOMPLETE, {Empty(), Empty()}), S_OK);
        Bstr close(Title(PageCommand::CloseWindow, L"reqid=1"));
        EXPECT_EQ(Fire(viewer, DISPID_TITLECHANGE, {Text(close)}), S_OK);
        UiTest::PumpUntil([] { return false; }, 200);
        openAfterCommands = IsWindowVisible(dialog) != FALSE;
        // Enter does not close; the close box fades out and ends with 1.
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        SendMessageW(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(viewer.DoModal(nullptr), 1);
    EXPECT_TRUE(script.Ran());
    EXPECT_EQ(client.cx, 600);
    EXPECT_EQ(client.cy, 400);
    EXPECT_EQ(title, L"Harbour - Quillory");
    EXPECT_EQ(style & WS_THICKFRAME, 0);
    EXPECT_NE(slotWhileOpen, nullptr);
    EXPECT_TRUE(openAfterCommands);
    EXPECT_EQ(viewerWindow, nullptr);
}

TEST_F(BrowserViewerTest, AnOnlineDocumentObeysItsPageOnlyOnceTheDocumentIsComplete)
{
    POINT anchor{10, 10};
    MList<CBrowserDlg::Content_propetrty> none;
    CBrowserDlg viewer(&anchor, MString(L"http://127.0.0.1/documents/welcome.htm"),
                       ViewerSlot{&viewerLock, &viewerWindow}, MString(L"*"), MString(), nullptr,
                       MemoryPH<unsigned char>(), none);
    EXPECT_EQ(viewer.Mode(), 0u);
    WriteMediaVolume(0.5);
    SIZE client = {};
    bool reloadItem = false;
    double volumeBeforeComplete = 0;
    HRESULT noArguments = S_OK, wrongType = S_OK;
    DialogThreadScript script([&](HWND dialog) {
        client = ClientSize(dialog);
        reloadItem = GetMenuState(GetSystemMenu(dialog, FALSE), 0x40, MF_BYCOMMAND) != static_cast<UINT>(-1);
        noArguments = Fire(viewer, DISPID_TITLECHANGE, {});
        wrongType = Fire(viewer, DISPID_TITLECHANGE, {Empty()});
        Bstr early(Title(PageCommand::SetVolume, L"volume=0.2<|>reqid=1"));
        Fire(viewer, DISPID_TITLECHANGE, {Text(early)});
        volumeBeforeComplete = ReadMediaVolume();
        Fire(viewer, DISPID_DOCUMENTCOMPLETE, {Empty(), Empty()});
        Bstr volume(Title(PageCommand::SetVolume, L"volume=0.3<|>reqid=2"));
        Fire(viewer, DISPID_TITLECHANGE, {Text(volume)});
        Bstr close(Title(PageCommand::CloseWindow, L"reqid=3"));
        Fire(viewer, DISPID_TITLECHANGE, {Text(close)});
    });
    EXPECT_EQ(viewer.DoModal(nullptr), 1);
    EXPECT_TRUE(reloadItem);
    EXPECT_EQ(noArguments, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(wrongType, DISP_E_TYPEMISMATCH);
    EXPECT_DOUBLE_EQ(volumeBeforeComplete, 0.5);
    EXPECT_DOUBLE_EQ(ReadMediaVolume(), 0.3);
    // Without size parameters: 1280 x 720 where the screen allows it.
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (work.right - work.left > 1400 && work.bottom - work.top > 820)
    {
        EXPECT_EQ(client.cx, 1280);
        EXPECT_EQ(client.cy, 720);
    }
    EXPECT_EQ(viewerWindow, nullptr);
}

TEST_F(BrowserViewerTest, CloseRequestsAndTheCloseBroadcastEndTheViewer)
{
    DialogCloseToken.Draw();
    const UINT closeDialogs = RegisterWindowMessageW(CloseDialogsMessageName);
    struct Case
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        INT_PTR result;
    } cases[] = {
        {WM_CLOSE_REQUEST, 0, 7, 7},
        {WM_CLOSE_REQUEST, 1, 7, 1},
        {WM_CLOSE_REQUEST, 2, 9, 9},
        {WM_COMMAND, IDCANCEL, 0, 1},
        {closeDialogs, DialogCloseToken.wParamToken, static_cast<LPARAM>(DialogCloseToken.lParamToken.load()), 0},
    };
    const std::wstring path = WriteFile(L"notes.txt", L"Harbour at dawn");
    for (const Case& c : cases)
    {
        POINT anchor{10, 10};
        MList<CBrowserDlg::Content_propetrty> none;
        CBrowserDlg viewer(&anchor, MString(path.c_str()), ViewerSlot{nullptr, nullptr}, MString(), MString(),
                           nullptr, MemoryPH<unsigned char>(), none);
        DialogThreadScript script([&](HWND dialog) { SendMessageW(dialog, c.message, c.wParam, c.lParam); });
        EXPECT_EQ(viewer.DoModal(nullptr), c.result) << c.message << " " << c.wParam;
    }
}

TEST_F(BrowserViewerTest, AMissingFileIsReportedAndTheViewerEnds)
{
    POINT anchor{10, 10};
    MList<CBrowserDlg::Content_propetrty> none;
    CBrowserDlg viewer(&anchor, MString(L"C:\\no such folder\\page.htm"), ViewerSlot{nullptr, nullptr}, MString(),
                       MString(), nullptr, MemoryPH<unsigned char>(), none);
    std::wstring message;
    DialogThreadScript script([&](HWND box) {
        EnumChildWindows(
            box,
            [](HWND child, LPARAM found) -> BOOL {
                const std::wstring text = UiTest::WindowText(child);
                if (text.find(L"page.htm") != std::wstring::npos)
                    *reinterpret_cast<std::wstring*>(found) = text;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&message));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(viewer.DoModal(nullptr), 1);
    EXPECT_NE(message.find(L"page.htm"), std::wstring::npos);
}

// The properties window is modeless: it asks its owner to close it, and
// remembers the size it had.
class PropertiesOwner : public ATL::CWindowImpl<PropertiesOwner>
{
public:
    static const wchar_t* GetWndClassName() { return L"QuilloryTestPropertiesOwner"; }
    static const ATL::MessageMap<PropertiesOwner>& GetMessageMap()
    {
        static const ATL::MessageMap<PropertiesOwner> map =
            ATL::MessageMap<PropertiesOwner>().Message(WM_CLOSE_SLIDE_PROPERTIES, &PropertiesOwner::OnClose);
        return map;
    }
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&)
    {
        ++closeRequests;
        return 0;
    }
    int closeRequests = 0;
};

TEST_F(BrowserViewerTest, ThePropertiesWindowBesideADocumentViewerAsksItsOwnerToCloseAndKeepsItsSize)
{
    DeleteProductValue(SlidePropertiesWindowValueName);
    PropertiesOwner owner;
    const RECT ownerRect = {300, 200, 700, 500};
    ASSERT_NE(owner.Create(nullptr, ownerRect, L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE), nullptr);

    auto makeRows = [] {
        MList<CBrowserDlg::Content_propetrty> rows;
        auto* row = new CBrowserDlg::Content_propetrty;
        row->label = MString(L"Author");
        row->value = MString(L"<b>Ana</b>");
        rows.Append(row);
        return rows;
    };

    // Opened while a document viewer is open, then resized and closed.
    SIZE opened = {};
    int requestsAfterClose = 0;
    bool besideViewerOpen = false;
    const std::wstring path = WriteFile(L"beside.txt", L"Harbour at dawn");
    POINT anchor{10, 10};
    MList<CBrowserDlg::Content_propetrty> none;
    CBrowserDlg document(&anchor, MString(path.c_str()), ViewerSlot{&viewerLock, &viewerWindow}, MString(),
                         MString(), owner.m_hWnd, MemoryPH<unsigned char>(), none);
    DialogThreadScript script([&](HWND dialog) {
        MList<CBrowserDlg::Content_propetrty> rows = makeRows();
        CBrowserDlg properties(&anchor, MString(), ViewerSlot{nullptr, nullptr}, MString(), MString(), owner.m_hWnd,
                               MemoryPH<unsigned char>(), rows);
        EXPECT_EQ(properties.Mode(), 2u);
        EXPECT_EQ(rows.GetCount(), 0u);
        HWND window = properties.Create(owner.m_hWnd);
        ASSERT_NE(window, nullptr);
        besideViewerOpen = IsAnyViewerOpen();
        opened = ClientSize(window);
        // The page's link command is the only one it obeys; closing asks the owner.
        Fire(properties, DISPID_DOCUMENTCOMPLETE, {Empty(), Empty()});
        Bstr close(Title(PageCommand::CloseWindow, L"reqid=1"));
        Fire(properties, DISPID_TITLECHANGE, {Text(close)});
        SendMessageW(window, WM_CLOSE, 0, 0);
        UiTest::PumpUntil([&] { return owner.closeRequests > 0; }, 10000);
        requestsAfterClose = owner.closeRequests;
        // The owner destroys it; its client size is kept.
        SetWindowPos(window, nullptr, 0, 0, 700, 450, SWP_NOZORDER | SWP_NOMOVE);
        const SIZE kept = ClientSize(window);
        properties.DestroyWindow();

        DWORD width = 0, height = 0;
        ReadSlidePropertiesWindowSize(width, height);
        EXPECT_EQ(static_cast<LONG>(width), kept.cx);
        EXPECT_EQ(static_cast<LONG>(height), kept.cy);
        SendMessageW(dialog, WM_CLOSE_REQUEST, 0, 3);
    });
    EXPECT_EQ(document.DoModal(owner.m_hWnd), 3);
    EXPECT_TRUE(besideViewerOpen);
    EXPECT_FALSE(MutexExists(L"CSlidePropsDlg"));
    EXPECT_GT(opened.cx, 0);
    EXPECT_EQ(requestsAfterClose, 1);

    // Opened again with no viewer open: at the kept size.
    DWORD width = 0, height = 0;
    ReadSlidePropertiesWindowSize(width, height);
    MList<CBrowserDlg::Content_propetrty> rows = makeRows();
    CBrowserDlg again(&anchor, MString(), ViewerSlot{nullptr, nullptr}, MString(), MString(), owner.m_hWnd,
                      MemoryPH<unsigned char>(), rows);
    HWND window = again.Create(owner.m_hWnd);
    ASSERT_NE(window, nullptr);
    const SIZE reopened = ClientSize(window);
    again.DestroyWindow();
    EXPECT_EQ(reopened.cx, static_cast<LONG>(width));
    EXPECT_EQ(reopened.cy, static_cast<LONG>(height));
    owner.DestroyWindow();
    DeleteProductValue(SlidePropertiesWindowValueName);
}
} // namespace
