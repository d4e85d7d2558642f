#include "viewers/RichTextDlg.h"

#include "foundation/DefaultBrowser.h"
#include "core/PrivateMessages.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace
{
std::mutex g_launchedLock;
std::vector<std::wstring> g_launched;

HINSTANCE WINAPI RecordLaunch(HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT)
{
    std::lock_guard<std::mutex> lock(g_launchedLock);
    g_launched.push_back(file ? file : L"");
    return reinterpret_cast<HINSTANCE>(33);
}

class RichTextViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        m_folder = folder;
        m_previousLauncher = ShellLauncher;
        ShellLauncher = RecordLaunch;
        std::lock_guard<std::mutex> lock(g_launchedLock);
        g_launched.clear();
    }
    void TearDown() override
    {
        ShellLauncher = m_previousLauncher;
        for (const std::wstring& file : m_files)
            DeleteFileW(file.c_str());
    }

    std::wstring WriteFile(const wchar_t* name, const std::string& bytes)
    {
        const std::wstring path = m_folder + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        m_files.push_back(path);
        return path;
    }

    // Runs the viewer on the document; script gets the dialog and its
    // control, and must close the dialog.
    INT_PTR Run(const std::wstring& path, const std::function<void(HWND dialog, HWND control)>& script)
    {
        POINT anchor{10, 10};
        CRichTextDlg viewer(&anchor, MString(path.c_str()), ViewerSlot{&viewerLock, &viewerWindow}, MString(L"Notes"),
                            nullptr);
        UiTest::Script scripted([&](DWORD ui) {
            if (HWND dialog = UiTest::WaitForDialog(ui))
                script(dialog, GetDlgItem(dialog, IDC_RICH_TEXT));
        });
        return viewer.DoModal(nullptr);
    }

    static std::wstring ControlText(HWND control)
    {
        std::vector<wchar_t> text(4096, L'\0');
        SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
        return text.data();
    }

    LanguageModuleScope language{1033};
    HMODULE richEdit = LoadLibraryW(L"Riched20.dll");
    CriticalSection viewerLock;
    HWND viewerWindow = nullptr;

private:
    std::wstring m_folder;
    std::vector<std::wstring> m_files;
    ShellLauncherFunction m_previousLauncher = nullptr;
};

std::string Utf16(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

TEST(RichTextText, EndsInAWholeUtf16NulWhateverTheLength)
{
    for (unsigned count : {0u, 1u, 4u, 5u})
    {
        MemoryPH<unsigned char> bytes{ElementCount(count), static_cast<unsigned char>('A')};
        const MemoryPH<unsigned char> text = CRichTextDlg::TerminatedText(bytes);
        const unsigned __int64 aligned = (count + 1) / 2 * 2;
        ASSERT_GE(text.GetCount(), aligned + 2) << count;
        EXPECT_EQ(text.GetData()[aligned], 0) << count;
        EXPECT_EQ(text.GetData()[aligned + 1], 0) << count;
        if (count & 1)
        {
            EXPECT_EQ(text.GetData()[count], 0) << count;
        }
    }
}

TEST_F(RichTextViewerTest, ShowsTextFilesOfOddAndEvenLength)
{
    struct Case
    {
        const wchar_t* name;
        std::string bytes;
        std::wstring shown;
    } cases[] = {
        {L"even.txt", Utf16(L"Harbour at dawn"), L"Harbour at dawn"},
        // An odd byte at the end makes a last unit with a zero high byte.
        {L"odd.txt", Utf16(L"Harbour at dawn") + "!", L"Harbour at dawn!"},
    };
    for (const Case& c : cases)
    {
        std::wstring shown;
        const INT_PTR result = Run(WriteFile(c.name, c.bytes), [&](HWND dialog, HWND control) {
            UiTest::WaitUntil([&] { return !ControlText(control).empty(); });
            shown = ControlText(control);
            SendMessageW(dialog, WM_CLOSE_REQUEST, 0, 5);
        });
        EXPECT_EQ(result, 5);
        EXPECT_EQ(shown, c.shown) << c.name;
    }
}

TEST_F(RichTextViewerTest, ShowsRtfReadOnlyAndOpensALinkClickedOnIt)
{
    const std::wstring path = WriteFile(
        L"notes.rtf", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs24 Harbour {\\b at} dawn\\par "
                      "See http://example.com/harbour for more.\\par}");
    std::wstring shown;
    bool readOnly = false;
    bool openAfterEnterAndEscape = false;
    SIZE client = {};
    std::wstring title;
    const INT_PTR result = Run(path, [&](HWND dialog, HWND control) {
        UiTest::WaitUntil([&] { return !ControlText(control).empty(); });
        shown = ControlText(control);
        readOnly = (GetWindowLongPtrW(control, GWL_STYLE) & ES_READONLY) != 0;
        title = UiTest::WindowText(dialog);
        RECT rect;
        GetClientRect(dialog, &rect);
        client = SIZE{rect.right, rect.bottom};

        // A press and release on the link's text opens it.
        const size_t at = shown.find(L"http://");
        POINTL position = {};
        SendMessageW(control, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&position), static_cast<LPARAM>(at + 3));
        const LPARAM point = MAKELPARAM(position.x + 2, position.y + 4);
        SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(control, WM_LBUTTONUP, 0, point);

        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        openAfterEnterAndEscape = IsWindowVisible(dialog) != FALSE;
        SendMessageW(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_NE(shown.find(L"Harbour at dawn"), std::wstring::npos) << shown;
    EXPECT_EQ(shown.find(L"rtf1"), std::wstring::npos);
    EXPECT_TRUE(readOnly);
    EXPECT_TRUE(openAfterEnterAndEscape);
    EXPECT_EQ(title.rfind(L"Notes - ", 0), 0u);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const bool large = work.right - work.left >= 1280 && work.bottom - work.top > 720;
    EXPECT_EQ(client.cx, large ? 1280 : 640);
    EXPECT_EQ(client.cy, large ? 720 : 360);
    std::lock_guard<std::mutex> lock(g_launchedLock);
    ASSERT_EQ(g_launched.size(), 1u);
    EXPECT_EQ(g_launched[0], L"http://example.com/harbour");
    EXPECT_EQ(viewerWindow, nullptr);
}
}

namespace
{
TEST_F(RichTextViewerTest, AMissingFileIsReportedAndTheViewerEnds)
{
    std::wstring message;
    const std::wstring path = L"C:\\no such folder\\notes.rtf";
    const INT_PTR result = Run(path, [&](HWND box, HWND) {
        // The first window shown is the message box: the viewer ends before
        // it is shown.
        EnumChildWindows(
            box,
            [](HWND child, LPARAM found) -> BOOL {
                wchar_t text[512] = {};
                GetWindowTextW(child, text, 512);
                if (wcsstr(text, L"notes.rtf"))
                    *reinterpret_cast<std::wstring*>(found) = text;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&message));
        SendMessageW(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, 1);
    // String 302: the path and the system's text for the error.
    EXPECT_EQ(message.rfind(L"The file " + path + L" cannot be read.", 0), 0u) << message;
    EXPECT_EQ(viewerWindow, nullptr);
}
}

namespace
{
TEST_F(RichTextViewerTest, TheTextKeepsAMarginFromTheWindowsEdgesAtEverySize)
{
    const std::wstring path = WriteFile(L"margin.txt", Utf16(L"Harbour at dawn"));
    // The text rectangle and where the first letter sits, after opening and
    // after two new sizes.
    struct Seen
    {
        RECT client, text;
        POINTL first;
    };
    std::vector<Seen> seen;
    Run(path, [&](HWND dialog, HWND control) {
        UiTest::WaitUntil([&] { return !ControlText(control).empty(); });
        const auto look = [&] {
            Seen now = {};
            GetClientRect(control, &now.client);
            SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&now.text));
            SendMessageW(control, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&now.first), 0);
            seen.push_back(now);
        };
        look();
        for (const SIZE size : {SIZE{700, 420}, SIZE{500, 300}})
        {
            SetWindowPos(dialog, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            look();
        }
        SendMessageW(dialog, WM_CLOSE, 0, 0);
    });
    ASSERT_EQ(seen.size(), 3u);
    for (const Seen& s : seen)
    {
        SCOPED_TRACE(testing::Message() << "client " << s.client.right << " x " << s.client.bottom);
        EXPECT_GE(s.text.left, 12);
        EXPECT_GE(s.text.top, 12);
        EXPECT_LE(s.text.right, s.client.right - 12);
        EXPECT_LE(s.text.bottom, s.client.bottom - 12);
        EXPECT_GT(s.text.right - s.text.left, s.client.right / 2);
        EXPECT_GE(s.first.x, 12);
        EXPECT_GE(s.first.y, 12);
    }
    // The control follows the window.
    EXPECT_NE(seen[1].client.right, seen[2].client.right);
}
}
