#include "slideshow/WindowModes.h"

#include "core/ProgramObjects.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct ModeRow
{
    OperationMode mode;
    bool topmost;
    bool taskBarButton; // application window with minimise box and system menu
    bool hoverFadeWithoutCtrl;
    bool hoverFadeWithCtrl;
    bool dragWithoutCtrl;
    bool dragWithCtrl;
    bool ctrlDownFades;
    bool ctrlUpFades;
};

const ModeRow ModeTable[] = {
    {OperationMode::FadeOnHover, true, false, true, false, false, false, false, true},
    {OperationMode::FadeOnCtrlHover, true, false, false, true, true, false, true, false},
    {OperationMode::CycleFadeOnHover, true, false, true, false, false, false, false, true},
    {OperationMode::CycleFadeOnCtrlHover, true, false, false, true, true, false, true, false},
    {OperationMode::AppWindow, false, true, false, false, true, true, false, false},
    {OperationMode::ToolWindow, false, false, false, false, true, true, false, false},
};

TEST(WindowModes, RulesOfEveryMode)
{
    for (const ModeRow& row : ModeTable)
    {
        SCOPED_TRACE(testing::Message() << std::hex << static_cast<DWORD>(row.mode));
        const WindowModeStyle style = StyleOfMode(row.mode);
        EXPECT_EQ(style.topmost, row.topmost);
        EXPECT_EQ(ModeIsTopmost(row.mode), row.topmost);
        const LONG_PTR styleBits = ChangeStyle(WS_POPUP | WS_MINIMIZEBOX, style.styleOn, style.styleOff);
        const LONG_PTR exBits = ChangeStyle(WS_EX_LAYERED | WS_EX_TOOLWINDOW, style.exStyleOn, style.exStyleOff);
        EXPECT_EQ((styleBits & (WS_MINIMIZEBOX | WS_SYSMENU)) == (WS_MINIMIZEBOX | WS_SYSMENU), row.taskBarButton);
        EXPECT_EQ((styleBits & (WS_MINIMIZEBOX | WS_SYSMENU)) == 0, !row.taskBarButton);
        EXPECT_EQ((exBits & WS_EX_APPWINDOW) != 0, row.taskBarButton);
        EXPECT_EQ((exBits & WS_EX_TOOLWINDOW) != 0, !row.taskBarButton);
        EXPECT_TRUE((exBits & WS_EX_LAYERED) != 0);

        EXPECT_EQ(HoverFadesOut(row.mode, false), row.hoverFadeWithoutCtrl);
        EXPECT_EQ(HoverFadesOut(row.mode, true), row.hoverFadeWithCtrl);
        EXPECT_EQ(ModeAllowsDrag(row.mode, false), row.dragWithoutCtrl);
        EXPECT_EQ(ModeAllowsDrag(row.mode, true), row.dragWithCtrl);
        EXPECT_EQ(CtrlKeyStartsHoverFade(row.mode, true), row.ctrlDownFades);
        EXPECT_EQ(CtrlKeyStartsHoverFade(row.mode, false), row.ctrlUpFades);
    }
}

// The styles and z-order a real window gets in each mode, applied one after
// the other to the same window as the settings dialog does.
TEST(WindowModes, RealWindowTakesTheStylesOfEachMode)
{
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_LAYERED, L"STATIC", L"", WS_POPUP, 10, 10, 60, 60,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    for (int round = 0; round < 2; ++round)
        for (const ModeRow& row : ModeTable)
        {
            SCOPED_TRACE(testing::Message() << std::hex << static_cast<DWORD>(row.mode));
            ApplyModeToWindow(window, row.mode);
            const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
            const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
            EXPECT_EQ((exStyle & WS_EX_TOPMOST) != 0, row.topmost);
            EXPECT_EQ((exStyle & WS_EX_APPWINDOW) != 0, row.taskBarButton);
            EXPECT_EQ((exStyle & WS_EX_TOOLWINDOW) != 0, !row.taskBarButton);
            EXPECT_EQ((style & WS_SYSMENU) != 0, row.taskBarButton);
            EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, row.taskBarButton);
            EXPECT_TRUE((exStyle & WS_EX_LAYERED) != 0);
        }
    DestroyWindow(window);
}

TEST(WindowModes, BordersAreAppliedOnceAndFitThePicture)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 10, 10, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND picture = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, window, nullptr, nullptr,
                                   nullptr);
    ASSERT_TRUE(window && picture);
    SlideBorders applied{NoBorderOverride, NoBorderOverride};

    EXPECT_TRUE(ApplyBordersToWindow(window, picture, SlideBorders{2, 1}, applied));
    EXPECT_EQ(applied.window, 2u);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_BORDER | WS_DLGFRAME), WS_DLGFRAME);
    EXPECT_EQ(GetWindowLongPtrW(picture, GWL_STYLE) & WS_BORDER, WS_BORDER);
    EXPECT_EQ(GetWindowLongPtrW(picture, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
    RECT client = {}, placed = {};
    GetClientRect(window, &client);
    GetWindowRect(picture, &placed);
    EXPECT_EQ(placed.right - placed.left, client.right);
    EXPECT_EQ(placed.bottom - placed.top, client.bottom);
    EXPECT_LT(client.right, 100);

    EXPECT_FALSE(ApplyBordersToWindow(window, picture, SlideBorders{2, 1}, applied));

    EXPECT_TRUE(ApplyBordersToWindow(window, picture, SlideBorders{1, 2}, applied));
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_BORDER | WS_DLGFRAME), WS_BORDER);
    EXPECT_EQ(GetWindowLongPtrW(picture, GWL_STYLE) & WS_BORDER, 0);
    EXPECT_EQ(GetWindowLongPtrW(picture, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, WS_EX_DLGMODALFRAME);

    EXPECT_TRUE(ApplyBordersToWindow(window, picture, SlideBorders{0, 0}, applied));
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_BORDER | WS_DLGFRAME), 0);
    EXPECT_EQ(GetWindowLongPtrW(picture, GWL_STYLE) & WS_BORDER, 0);
    EXPECT_EQ(GetWindowLongPtrW(picture, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 100);
    DestroyWindow(window);
}

TEST(WindowModes, OnlineContentBringsItsOwnBorders)
{
    const SlideBorders settings = ChooseBorders(2, 0, -1, 1, 1);
    EXPECT_EQ(settings.window, 2u);
    EXPECT_EQ(settings.picture, 0u);
    for (int kind : {1, 2, 4})
    {
        const SlideBorders own = ChooseBorders(2, 0, kind, 0, 2);
        EXPECT_EQ(own.window, 0u);
        EXPECT_EQ(own.picture, 2u);
        const SlideBorders partly = ChooseBorders(2, 0, kind, NoBorderOverride, 1);
        EXPECT_EQ(partly.window, 2u);
        EXPECT_EQ(partly.picture, 1u);
    }
    // A local file or a card keeps the settings.
    const SlideBorders file = ChooseBorders(1, 1, static_cast<int>(0x80000001), 0, 0);
    EXPECT_EQ(file.window, 1u);
    EXPECT_EQ(ChooseBorders(1, 1, 0, 0, 0).picture, 1u);
}

TEST(WindowModes, FadeStepsTowardsTheTargetAndZero)
{
    FadeStep step = NextFadeAlpha(0, 255, true);
    EXPECT_EQ(step.alpha, 50);
    EXPECT_FALSE(step.finished);
    step = NextFadeAlpha(250, 255, true);
    EXPECT_EQ(step.alpha, 255);
    EXPECT_TRUE(step.finished);
    step = NextFadeAlpha(30, 255, false);
    EXPECT_EQ(step.alpha, 0);
    EXPECT_TRUE(step.finished);
    step = NextFadeAlpha(120, 128, false); // step 128 x 50 / 255 = 25
    EXPECT_EQ(step.alpha, 95);
    EXPECT_FALSE(step.finished);
    step = NextFadeAlpha(3, 5, true); // a small target steps by 1
    EXPECT_EQ(step.alpha, 4);
    step = NextFadeAlpha(4, 5, true);
    EXPECT_EQ(step.alpha, 5);
    EXPECT_TRUE(step.finished);
    // Counting the steps of a whole fade-in: six of at most 50.
    BYTE alpha = 0;
    int steps = 0;
    for (bool done = false; !done; ++steps)
    {
        const FadeStep s = NextFadeAlpha(alpha, 255, true);
        alpha = s.alpha;
        done = s.finished;
    }
    EXPECT_EQ(steps, 6);
}

TEST(WindowModes, DragMovesByTheCursorOffset)
{
    const RECT moved = DraggedWindowRect(RECT{100, 50, 300, 250}, POINT{120, 60}, POINT{100, 90});
    EXPECT_EQ(moved.left, 80);
    EXPECT_EQ(moved.top, 80);
    EXPECT_EQ(moved.right, 280);
    EXPECT_EQ(moved.bottom, 280);
}

TEST(WindowModes, ContextMenuOpensBesideTheWindow)
{
    const RECT work{0, 0, 1280, 984}; // half 492
    bool upwards = true;
    POINT point = ContextMenuPoint(RECT{900, 5, 1200, 305}, work, upwards);
    EXPECT_FALSE(upwards);
    EXPECT_EQ(point.x, 900);
    EXPECT_EQ(point.y, 306);
    point = ContextMenuPoint(RECT{900, 492, 1200, 792}, work, upwards);
    EXPECT_FALSE(upwards);
    point = ContextMenuPoint(RECT{900, 600, 1200, 900}, work, upwards);
    EXPECT_TRUE(upwards);
    EXPECT_EQ(point.x, 900);
    EXPECT_EQ(point.y, 599);
    // A monitor below the primary one decides by its own halves.
    upwards = true;
    ContextMenuPoint(RECT{100, 1100, 300, 1300}, RECT{0, 1024, 1280, 2008}, upwards);
    EXPECT_FALSE(upwards);
}

TEST(WindowModes, OwnDialogsAreFoundByTheirMutexes)
{
    EXPECT_FALSE(IsOwnDialogOpen(ScopeSlideTimer));
    EXPECT_FALSE(IsOwnDialogOpen(ScopeDialogsOnly));
    EXPECT_FALSE(IsSettingsDialogOpen());

    struct Row
    {
        const wchar_t* key;
        bool scope0, scope1, scope2;
    };
    const Row rows[] = {
        {L"CSettingsDlg", true, true, true},
        {L"CSelectedFiles", true, true, true},
        {L"CAboutBoxDlg", true, true, true},
        {L"CheckForNewReleaseDlg", true, true, true},
        {L"VIEWER_CShowLargePhotoDlg", true, true, false},
        {L"VIEWER_CMediaPlayer2Dlg", true, true, false},
        {L"VIEWER_CRichTextDlg", true, true, false},
        {L"VIEWER_CBrowserDlg", true, true, false},
        {L"CSlidePropsDlg", true, true, true},
        {L"CSomethingElseDlg", false, false, false},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(testing::Message() << row.key);
        HANDLE mutex = CreateMutexW(nullptr, TRUE, DialogMutexName(row.key).GetText());
        ASSERT_NE(mutex, nullptr);
        EXPECT_EQ(IsOwnDialogOpen(ScopeSlideTimer), row.scope0);
        EXPECT_EQ(IsOwnDialogOpen(ScopeViewerOpeners), row.scope1);
        EXPECT_EQ(IsOwnDialogOpen(ScopeDialogsOnly), row.scope2);
        EXPECT_EQ(IsSettingsDialogOpen(), row.key == std::wstring(L"CSettingsDlg"));
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    EXPECT_FALSE(IsOwnDialogOpen(ScopeSlideTimer));
}
}
