// The controller object without its window: its named objects and the
// tooltip of the tray icon.
#include "core/ProgramObjects.h"
#include "core/ThreadCounter.h"
#include "shell/TrayIcon.h"
#include "shell/WindowBase.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

using UiTest::EventExists;

// A fresh thread counter, made before the controller starts its adverts
// thread.
struct FreshThreadCounter
{
    FreshThreadCounter() { ThreadCounterHolder.Create(); }
};

// A controller for one test: its adverts thread is counted and ended before
// the object goes.
class ControllerScope
{
public:
    ~ControllerScope()
    {
        SetEvent(controller.Events().ExitEvent);
        WaitForWorkerThreads();
    }
    FreshThreadCounter counter;
    LanguageModuleScope language{LanguageEnglish};
    CWindowBase controller;
};
}

TEST(Controller, NamedObjectsLiveWithTheController)
{
    std::wstring upgradeExitName;
    {
        ControllerScope scope;
        EXPECT_TRUE(EventExists(RunningEventName));
        EXPECT_TRUE(EventExists(ReleaseCheckEventName));
        upgradeExitName = Text(scope.controller.GetUpgradeExitEventName());
        EXPECT_EQ(upgradeExitName.rfind(L"{97095852-4142-479B-9DF3-A81B80B19229}LV_{825EFE34-CD91-420D-978C-9FFB2E55DF63}_{", 0),
                  0u);
        EXPECT_TRUE(EventExists(upgradeExitName.c_str()));
        // Every event starts unset.
        for (HANDLE event : {scope.controller.Events().ExitEvent.Get(), scope.controller.Events().MainWindowReadyEvent.Get(),
                             scope.controller.Events().TrayIconReadyEvent.Get(), scope.controller.Release().NewReleaseEvent()})
            EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    EXPECT_FALSE(EventExists(RunningEventName));
    EXPECT_FALSE(EventExists(upgradeExitName.c_str()));

    // Each run has its own upgrade-exit event.
    ControllerScope again;
    EXPECT_NE(Text(again.controller.GetUpgradeExitEventName()), upgradeExitName);
}

TEST(Controller, TrayToolTip)
{
    {
        ControllerScope scope;
        EXPECT_EQ(Text(scope.controller.BuildTrayToolTip()), L"Quillory Window is starting...");
    }

    LanguageModuleScope language{LanguageEnglish};
    const MString product(L"Quillory Window");
    const MString lilies(L"Water Lilies");
    EXPECT_EQ(Text(TrayToolTipText(IDS_TRAY_HIDDEN, product, false, lilies)),
              L"Quillory Window - hidden until the next slide\nWater Lilies");
    EXPECT_EQ(Text(TrayToolTipText(IDS_TRAY_HIDDEN, product, true, lilies)),
              L"Quillory Window - hidden until the next slide - a new release is available\nWater Lilies");

    // Cut to fit the 128-character field of the icon: 126 characters and an
    // ellipsis.
    const std::wstring cut =
        Text(TrayToolTipText(IDS_TRAY_SHOWN, product, false, MString(std::wstring(130, L'x').c_str())));
    ASSERT_EQ(cut.size(), 127u);
    EXPECT_EQ(cut.substr(0, 24), L"Quillory Window - slide ");
    EXPECT_EQ(cut[125], L'x');
    EXPECT_EQ(cut[126], L'\u2026');

    // "Quillory Window - slide show", a line feed and 98 characters fit.
    const std::wstring fits =
        Text(TrayToolTipText(IDS_TRAY_SHOWN, product, false, MString(std::wstring(98, L'y').c_str())));
    EXPECT_EQ(fits.size(), 127u);
    EXPECT_EQ(fits.back(), L'y');
}

TEST(Controller, CloseTokens)
{
    DialogCloseTokens tokens;
    // Nothing drawn yet: no broadcast is this process's own.
    EXPECT_FALSE(tokens.Matches(0, 0));
    tokens.Draw();
    const DWORD first = tokens.wParamToken, second = tokens.lParamToken;
    EXPECT_TRUE(tokens.Matches(first, second));
    EXPECT_FALSE(tokens.Matches(first + 1, second));
    EXPECT_FALSE(tokens.Matches(first, second + 1));
    // The order counts.
    tokens.wParamToken = 1;
    tokens.lParamToken = 2;
    EXPECT_FALSE(tokens.Matches(2, 1));
    EXPECT_TRUE(tokens.Matches(1, 2));

    // Full 32-bit draws, different every time: two copies drawing at the
    // same moment do not share tokens.
    std::set<unsigned long long> seen;
    DWORD highBits = 0;
    for (int i = 0; i < 64; ++i)
    {
        DialogCloseTokens drawn;
        drawn.Draw();
        seen.insert((static_cast<unsigned long long>(drawn.wParamToken) << 32) | drawn.lParamToken);
        highBits |= (drawn.wParamToken | drawn.lParamToken) & 0x80008000u;
    }
    EXPECT_EQ(seen.size(), 64u);
    EXPECT_EQ(highBits, 0x80008000u);
    EXPECT_EQ(Text(DialogMutexName(L"VIEWER_CShow Large PhotoDlg")),
              L"{97095852-4142-479B-9DF3-A81B80B19229}LV_VIEWER_CShowLargePhotoDlg_{F8D49EB9-D8B6-4646-9E08-EF2B280CD755}");
}
