// The controller's thread seeds the C runtime's generator from the tick count
// when the program starts: the tray menu places its adverts by it, and two
// starts place them differently.
#include "foundation/RandomSeed.h"
#include "shell/tests/RunningController.h"
#include "slideshow/SettingsRegistry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

namespace
{
using namespace RunningControllerTest;

std::atomic<DWORD> FakeTickCount{0};
DWORD WINAPI FakeTicks() { return FakeTickCount.load(); }

// The first draws of the generator on a new thread after seed.
std::vector<int> DrawsAfterSeed(unsigned seed)
{
    std::vector<int> draws;
    std::thread([&] {
        srand(seed);
        for (int i = 0; i < 4; ++i)
            draws.push_back(rand());
    }).join();
    return draws;
}

class ControllerRandomSeed : public ::testing::Test
{
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmora"); }
    void TearDown() override
    {
        SetSeedTickSource(nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmora");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName);
    }

    // The controller thread's first draws in a run started at ticks.
    static std::vector<int> DrawsOfARunStartedAt(DWORD ticks)
    {
        FakeTickCount = ticks;
        SetSeedTickSource(&FakeTicks);
        std::vector<int> draws;
        RunningController running([&](CWindowBase&) {
            for (int i = 0; i < 4; ++i)
                draws.push_back(rand());
        });
        EXPECT_TRUE(running.Start());
        return draws;
    }

    LanguageModuleScope m_language{LanguageEnglish};
};

TEST_F(ControllerRandomSeed, TwoStartsAtDifferentTicksDrawDifferently)
{
    const std::vector<int> first = DrawsOfARunStartedAt(1000);
    const std::vector<int> second = DrawsOfARunStartedAt(7000);
    EXPECT_NE(first, second);
    // Seeded with the tick count itself.
    EXPECT_EQ(first, DrawsAfterSeed(1000));
    EXPECT_EQ(second, DrawsAfterSeed(7000));
}
}
