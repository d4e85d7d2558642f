#include "viewers/PlayerClickRules.h"

#include "core/tests/UiTestSupport.h"
#include "viewers/WMPEventDispatch.h"

#include <gtest/gtest.h>

namespace
{
PlayerClickRules* rules = nullptr;

// The media viewer's handling of its sink's messages, on a real window.
LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (rules)
    {
        switch (message)
        {
        case WM_PLAYER_CLICK:
            rules->OnPlayerClick(wParam);
            return 0;
        case WM_PLAYER_RIGHT_DOWN:
            rules->OnRightDown();
            return 0;
        case WM_PLAYER_RIGHT_UP:
            rules->OnRightUp();
            return 0;
        case WM_TIMER:
            if (wParam == PlayerClickTimer)
            {
                rules->OnClickTimer();
                return 0;
            }
            break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class PlayerClickRulesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = ViewerProc;
        windowClass.lpszClassName = L"QuilloryMediaViewerRules";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                   nullptr);
        ASSERT_NE(m_window, nullptr);
        m_rules = new PlayerClickRules(m_window, [this] { ++m_toggles; }, [this] { ++m_closes; });
        rules = m_rules;
        ASSERT_EQ(ATL::CComObject<CWMPEventDispatch>::CreateInstance(&m_sink), S_OK);
        m_sink->SetTargetWindow(m_window);
    }
    void TearDown() override
    {
        m_sink->Release();
        rules = nullptr;
        delete m_rules;
        DestroyWindow(m_window);
    }

    // Serves the thread's messages until the toggle count reaches count.
    bool WaitForToggles(int count)
    {
        return UiTest::PumpUntil([&] { return m_toggles >= count; }, 10000);
    }

    HWND m_window = nullptr;
    PlayerClickRules* m_rules = nullptr;
    ATL::CComObject<CWMPEventDispatch>* m_sink = nullptr;
    int m_toggles = 0;
    int m_closes = 0;
};
} // namespace

TEST_F(PlayerClickRulesTest, AClickTogglesAfterTheDoubleClickTimeAndSpaceAtOnce)
{
    m_sink->KeyDown(32, 0);
    EXPECT_EQ(m_toggles, 1) << "the space key toggles at once";
    m_sink->KeyDown(13, 0);
    EXPECT_EQ(m_toggles, 1);

    m_sink->Click(1, 0, 10, 10);
    EXPECT_EQ(m_toggles, 1) << "a click waits for a possible second one";
    EXPECT_TRUE(m_rules->IsClickPending());
    ASSERT_TRUE(WaitForToggles(2));
    EXPECT_FALSE(m_rules->IsClickPending());
}

TEST_F(PlayerClickRulesTest, ADoubleClickDropsThePendingClick)
{
    m_sink->Click(1, 0, 10, 10);
    m_rules->OnDoubleClick(); // what the viewer's mouse hook does on WM_LBUTTONDBLCLK
    EXPECT_FALSE(m_rules->IsClickPending());
    // A click afterwards is the first toggle: the dropped one never comes.
    m_sink->Click(1, 0, 10, 10);
    ASSERT_TRUE(WaitForToggles(1));
    EXPECT_EQ(m_toggles, 1);
}

TEST_F(PlayerClickRulesTest, ARightPressAndReleaseClose)
{
    m_sink->MouseUp(2, 0, 1, 1);
    EXPECT_EQ(m_closes, 0) << "a release without a seen press";
    m_sink->MouseDown(1, 0, 1, 1);
    m_sink->MouseUp(2, 0, 1, 1);
    EXPECT_EQ(m_closes, 0) << "the left button does not count";
    m_sink->MouseDown(2, 0, 1, 1);
    m_sink->MouseUp(1, 0, 1, 1);
    EXPECT_EQ(m_closes, 0);
    m_sink->MouseUp(2, 0, 1, 1);
    EXPECT_EQ(m_closes, 1);
    m_sink->MouseUp(2, 0, 1, 1);
    EXPECT_EQ(m_closes, 1) << "the press is used up";
}
