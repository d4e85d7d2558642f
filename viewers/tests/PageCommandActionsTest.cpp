#include "viewers/PageCommandActions.h"

#include "foundation/DefaultBrowser.h"
#include "foundation/Registry.h"
#include "viewers/MediaVolume.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::wstring> opened;

HINSTANCE WINAPI RecordingLauncher(HWND, LPCWSTR, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT)
{
    opened.push_back(std::wstring(file ? file : L"") + L" " + (parameters ? parameters : L""));
    return reinterpret_cast<HINSTANCE>(42);
}

std::wstring Title(PageCommand command, const std::wstring& items)
{
    return PageCommandPrefix(command) + items;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A document viewer's window and what a page's titles do to it.
class PageCommandActionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = ShellLauncher;
        ShellLauncher = RecordingLauncher;
        opened.clear();
        DeleteProductValue(MediaVolumeValueName);
        m_window = CreateWindowExW(WS_EX_WINDOWEDGE, L"STATIC", L"viewer",
                                   WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE, 50, 60, 400,
                                   300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        m_gate.DocumentCompleted();
    }
    void TearDown() override
    {
        DestroyWindow(m_window);
        ShellLauncher = m_saved;
        DeleteProductValue(MediaVolumeValueName);
    }

    void Send(const std::wstring& title)
    {
        PageCommandParameters parameters;
        const PageCommand command = m_gate.Accept(title.c_str(), parameters);
        ObeyPageCommand(command, parameters, m_window, m_fullScreen, [this] { ++m_closes; });
    }

    HWND m_window = nullptr;
    PageCommandGate m_gate{PageTrust::Full};
    FullScreenKeeper m_fullScreen;
    int m_closes = 0;

private:
    ShellLauncherFunction m_saved = nullptr;
};
} // namespace

TEST_F(PageCommandActionsTest, VolumeLinksAndClose)
{
    Send(Title(PageCommand::SetVolume, L"volume=0.3<|>reqid=1"));
    EXPECT_DOUBLE_EQ(ReadMediaVolume(), 0.3);
    Send(Title(PageCommand::SetVolume, L"volume=1.5<|>reqid=2"));
    EXPECT_DOUBLE_EQ(ReadMediaVolume(), 0.3) << "out of range: nothing stored";
    Send(Title(PageCommand::SetVolume, L"volume=none<|>reqid=3"));
    EXPECT_DOUBLE_EQ(ReadMediaVolume(), 0.0) << "a text without digits is 0";
    Send(Title(PageCommand::SetVolume, L"volume=0.8<|>volume=0.9<|>reqid=4"));
    EXPECT_DOUBLE_EQ(ReadMediaVolume(), 0.0) << "a repeated parameter: ignored";

    Send(Title(PageCommand::OpenLink, L"href=https://gallery.example/a?b=c<|>reqid=5"));
    Send(Title(PageCommand::OpenLink, L"href=javascript:alert(1)<|>reqid=6"));
    Send(Title(PageCommand::OpenLink, L"href=file:///C:/Windows/notepad.exe<|>reqid=7"));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_NE(opened[0].find(L"https://gallery.example/a?b=c"), std::wstring::npos);

    const std::wstring close = Title(PageCommand::CloseWindow, L"reqid=8");
    Send(close);
    Send(close);
    EXPECT_EQ(m_closes, 1) << "the same request closes once";
}

TEST_F(PageCommandActionsTest, FullScreenCoversTheMonitorAndExitRestores)
{
    RECT before = {};
    GetWindowRect(m_window, &before);
    const LONG_PTR style = GetWindowLongPtrW(m_window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(m_window, GWL_EXSTYLE);

    // Leaving full screen before entering it changes nothing.
    Send(Title(PageCommand::ExitFullScreen, L"reqid=1"));
    RECT now = {};
    GetWindowRect(m_window, &now);
    EXPECT_TRUE(SameRect(now, before));

    Send(Title(PageCommand::EnterFullScreen, L"reqid=2"));
    MONITORINFO monitor = {sizeof(monitor)};
    GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTONEAREST), &monitor);
    GetWindowRect(m_window, &now);
    EXPECT_TRUE(SameRect(now, monitor.rcMonitor));
    EXPECT_EQ(GetWindowLongPtrW(m_window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0);
    EXPECT_EQ(GetWindowLongPtrW(m_window, GWL_EXSTYLE) & WS_EX_WINDOWEDGE, 0);
    EXPECT_TRUE(m_fullScreen.IsFullScreen());
    EXPECT_FALSE(m_fullScreen.IsMoving());

    Send(Title(PageCommand::ExitFullScreen, L"reqid=3"));
    GetWindowRect(m_window, &now);
    EXPECT_TRUE(SameRect(now, before));
    EXPECT_EQ(GetWindowLongPtrW(m_window, GWL_STYLE), style);
    EXPECT_EQ(GetWindowLongPtrW(m_window, GWL_EXSTYLE), exStyle);
}
