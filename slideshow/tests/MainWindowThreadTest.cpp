// The main-dialog thread seeds its own C runtime generator from the tick
// count, so that the walk's random order is not the same at every start.
#include "slideshow/MainWindowThread.h"

#include "foundation/FolderPath.h"
#include "foundation/Handle.h"
#include "foundation/RandomSeed.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "core/ThreadCounter.h"
#include "slideshow/LocalWalk.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{
std::atomic<DWORD> FakeTickCount{0};

DWORD WINAPI FakeTicks() { return FakeTickCount.load(); }

class MainWindowThreadSeed : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ThreadCounterHolder.Create();
        for (int i = 0; i < 30; ++i)
            tree.File(L"picture" + std::to_wstring(i) + L".png");
        // The program quits before the main window would start: the thread
        // runs its start and ends.
        link.exitEvent = exitEvent;
        link.slideAdvertsSettled = settled;
    }
    void TearDown() override { SetSeedTickSource(nullptr); }

    // The first files a random walk over the folder chooses on a new thread,
    // after prepare ran on it.
    std::vector<std::wstring> ChoicesAfter(const std::function<void()>& prepare)
    {
        std::vector<std::wstring> chosen;
        std::thread([&] {
            prepare();
            const Display_order order = Display_order::Random;
            LocalWalk walk(&order, [this] { return std::vector<MString>{NormalizeFolderPath(tree.Path().c_str())}; });
            walk.RestartLocalWalk(true, false);
            MString current;
            for (int i = 0; i < 5; ++i)
            {
                MString next;
                if (walk.NextLocalFile(true, current, next) != WalkFileFound)
                    break;
                walk.RecordShownFile(next, true);
                current = next;
                chosen.emplace_back(next.GetText());
            }
        }).join();
        return chosen;
    }
    // The choices on a thread that started as the main-dialog thread with
    // the tick count at ticks.
    std::vector<std::wstring> ChoicesAfterStartAt(DWORD ticks)
    {
        FakeTickCount = ticks;
        SetSeedTickSource(&FakeTicks);
        return ChoicesAfter([this] { MainDialogThreadProc(&link); });
    }

    GalleryTest::TempTree tree;
    std::atomic<HWND> noController{nullptr};
    MHandle exitEvent{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
    MHandle settled{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    ControllerLink link = [this] {
        ControllerLink made;
        made.controllerWindow = &noController;
        return made;
    }();
};

TEST_F(MainWindowThreadSeed, TwoStartsAtDifferentTicksChooseDifferently)
{
    const std::vector<std::wstring> first = ChoicesAfterStartAt(1000);
    const std::vector<std::wstring> second = ChoicesAfterStartAt(7000);
    ASSERT_EQ(first.size(), 5u);
    ASSERT_EQ(second.size(), 5u);
    EXPECT_NE(first, second);
    // The seed is the tick count times 49, and nothing else decides.
    EXPECT_EQ(ChoicesAfterStartAt(1000), first);
    EXPECT_EQ(ChoicesAfter([] { srand(7000u * 49u); }), second);
}
}
