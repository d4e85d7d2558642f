#include "slideshow/SlideTimer.h"
#include "slideshow/tests/SlideshowTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace SlideshowTest;

namespace
{
class SlideTimerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(window.Get(), nullptr);
        timer.intervalA = 1800;
        timer.intervalB = 60;
    }

    FakeClock clock;
    SlideTimer timer{clock};
    TimerWindow window;
};

const OperationMode Single = OperationMode::FadeOnCtrlHover;
const OperationMode Cycle = OperationMode::CycleFadeOnHover;
}

TEST_F(SlideTimerTest, AFullIntervalStartsCounting)
{
    EXPECT_EQ(timer.Arm(window.Get(), Single, SlideTimer::ArmFor::FullInterval), 1800000u);
    EXPECT_EQ(timer.StartTick(), clock.now);
    EXPECT_EQ(timer.WindowTimer(), SlideTimer::TimerId);
    EXPECT_TRUE(window.TakeTimer());

    // In a cycle mode the first period is the shown part.
    EXPECT_EQ(timer.Arm(window.Get(), Cycle, SlideTimer::ArmFor::FullInterval), 60000u);
    EXPECT_TRUE(window.TakeTimer());
}

TEST_F(SlideTimerTest, TheHiddenRestOfACycleKeepsCounting)
{
    timer.Arm(window.Get(), Cycle, SlideTimer::ArmFor::FullInterval);
    const unsigned __int64 start = timer.StartTick();
    clock.now += 60000;
    EXPECT_EQ(timer.Arm(window.Get(), Cycle, SlideTimer::ArmFor::HiddenRestOfCycle), 1740000u);
    EXPECT_EQ(timer.StartTick(), start);
    EXPECT_EQ(timer.ElapsedSeconds(), 60u);
    clock.now += 1740000;
    EXPECT_EQ(timer.ElapsedSeconds(), 1800u);
    EXPECT_TRUE(window.TakeTimer());
}

TEST_F(SlideTimerTest, ARestoredTimeArmsForWhatIsLeft)
{
    struct Case
    {
        const char* what;
        OperationMode mode;
        unsigned __int64 restored;
        UINT period;
    };
    const Case cases[] = {
        {"single, well inside", Single, 1700000, 100000},
        {"single, 1 ms below A", Single, 1799999, 1000},
        {"single, at A", Single, 1800000, 1000},
        {"cycle, inside the shown part", Cycle, 20000, 40000},
        {"cycle, 1 ms below B", Cycle, 59999, 1000},
        {"cycle, at B", Cycle, 60000, 1000},
        {"cycle, in the hidden part", Cycle, 100000, 1700000},
        {"cycle, beyond A", Cycle, 2000000, 1000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        timer.SetRestoredTime(c.restored);
        timer.SetPausedTime(777);
        EXPECT_EQ(timer.Arm(window.Get(), c.mode, SlideTimer::ArmFor::FullInterval), c.period);
        EXPECT_EQ(timer.StartTick(), clock.now - c.restored);
        EXPECT_EQ(timer.RestoredTime(), 0u);
        EXPECT_EQ(timer.PausedTime(), 0u);
        EXPECT_EQ(timer.ElapsedMilliseconds(), c.restored);
        EXPECT_TRUE(window.TakeTimer());
    }
}

TEST_F(SlideTimerTest, PauseKeepsTheShownTimeAndResumeArmsTheRest)
{
    timer.Arm(window.Get(), Single, SlideTimer::ArmFor::FullInterval);
    clock.now += 5000;
    timer.Pause(window.Get());
    EXPECT_EQ(timer.IsPaused(), true);
    EXPECT_EQ(timer.PausedTime(), 5000u);
    EXPECT_EQ(timer.WindowTimer(), 0u);
    EXPECT_EQ(timer.StartTick(), 0u);
    EXPECT_FALSE(window.TakeTimer());
    EXPECT_EQ(timer.ElapsedSeconds(), 5u);

    // Time spent paused does not count.
    clock.now += 60000;
    EXPECT_EQ(timer.ElapsedSeconds(), 5u);
    EXPECT_EQ(timer.Arm(window.Get(), Single, SlideTimer::ArmFor::RestAfterPause), 1795000u);
    EXPECT_EQ(timer.IsPaused(), false);
    EXPECT_EQ(timer.PausedTime(), 0u);
    EXPECT_EQ(timer.ElapsedMilliseconds(), 5000u);
    EXPECT_TRUE(window.TakeTimer());
}

TEST_F(SlideTimerTest, ResumeRules)
{
    struct Case
    {
        const char* what;
        OperationMode mode;
        unsigned __int64 paused;
        UINT period;
    };
    const Case cases[] = {
        {"single", Single, 1000, 1799000},
        {"single, past A", Single, 1900000, 1000},
        {"single, nearly over", Single, 1799700, 1000},
        {"cycle, in the shown part", Cycle, 45000, 15000},
        {"cycle, in the hidden part", Cycle, 61000, 1739000},
        {"not paused", Single, 0, 1800000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        timer.SetPausedTime(c.paused);
        EXPECT_EQ(timer.Arm(window.Get(), c.mode, SlideTimer::ArmFor::RestAfterPause), c.period);
        EXPECT_EQ(timer.StartTick(), clock.now - c.paused);
        EXPECT_TRUE(window.TakeTimer());
    }
}

TEST_F(SlideTimerTest, PauseRightAfterTheStartStillCounts)
{
    timer.Arm(window.Get(), Single, SlideTimer::ArmFor::FullInterval);
    timer.Pause(window.Get());
    EXPECT_EQ(timer.PausedTime(), 1u);

    // Without a running timer only the flag changes.
    SlideTimer idle(clock);
    idle.Pause(window.Get());
    EXPECT_EQ(idle.IsPaused(), true);
    EXPECT_EQ(idle.PausedTime(), 0u);
}

TEST_F(SlideTimerTest, ADisabledTimerDoesNotRunInSingleIntervalModes)
{
    timer.Arm(window.Get(), Single, SlideTimer::ArmFor::FullInterval);
    timer.enabled = false;
    timer.SetPausedTime(5);
    timer.SetRestoredTime(6);
    timer.SetRetrying(true);
    EXPECT_EQ(timer.Arm(window.Get(), Single, SlideTimer::ArmFor::FullInterval), 0u);
    EXPECT_EQ(timer.WindowTimer(), 0u);
    EXPECT_FALSE(timer.HoldsShownTime());
    EXPECT_EQ(timer.IsRetrying(), false);
    EXPECT_FALSE(window.TakeTimer());

    // The cycle modes always time.
    EXPECT_EQ(timer.Arm(window.Get(), Cycle, SlideTimer::ArmFor::FullInterval), 60000u);
    EXPECT_TRUE(window.TakeTimer());
}

TEST_F(SlideTimerTest, RetryAndStop)
{
    timer.Retry(window.Get(), 1000);
    EXPECT_EQ(timer.IsRetrying(), true);
    EXPECT_EQ(timer.WindowTimer(), SlideTimer::TimerId);
    timer.SetStartTick(5);
    timer.SetPausedTime(6);
    timer.SetRestoredTime(7);
    timer.Stop(window.Get());
    EXPECT_EQ(timer.WindowTimer(), 0u);
    EXPECT_FALSE(timer.HoldsShownTime());
    EXPECT_FALSE(window.TakeTimer());

    // Stop without a timer keeps the times.
    timer.SetPausedTime(6);
    timer.Stop(window.Get());
    EXPECT_EQ(timer.PausedTime(), 6u);
}

TEST_F(SlideTimerTest, ElapsedTimePrefersRestoredThenPausedThenRunning)
{
    EXPECT_EQ(timer.ElapsedSeconds(), 0u);
    timer.SetStartTick(clock.now - 7000);
    EXPECT_EQ(timer.ElapsedSeconds(), 7u);
    timer.SetPausedTime(3000);
    EXPECT_EQ(timer.ElapsedSeconds(), 3u);
    timer.SetRestoredTime(12999);
    EXPECT_EQ(timer.ElapsedSeconds(), 12u);
    EXPECT_FALSE(timer.HasReachedIntervalB());
    timer.SetRestoredTime(60000);
    EXPECT_TRUE(timer.HasReachedIntervalB());
}

TEST_F(SlideTimerTest, ElapsedTimeKeptAtTheEnd)
{
    EXPECT_EQ(timer.ElapsedTimeToKeep(Single, false), SlideTimer::NoElapsedTime);
    timer.SetStartTick(clock.now - 4000);
    EXPECT_EQ(timer.ElapsedTimeToKeep(Single, false), 4000u);
    timer.SetPausedTime(2500);
    EXPECT_EQ(timer.ElapsedTimeToKeep(Single, false), 2500u);
    EXPECT_EQ(timer.ElapsedTimeToKeep(Single, true), SlideTimer::NoElapsedTime);
    timer.enabled = false;
    EXPECT_EQ(timer.ElapsedTimeToKeep(Single, true), 0u);
    EXPECT_EQ(timer.ElapsedTimeToKeep(OperationMode::ToolWindow, false), 0u);
    EXPECT_EQ(timer.ElapsedTimeToKeep(Cycle, false), 2500u);
}

TEST_F(SlideTimerTest, DefaultsClearTheCount)
{
    timer.enabled = false;
    timer.intervalA = 5;
    timer.unitB = Time_unit::Seconds;
    timer.SetStartTick(1);
    timer.SetPaused(true);
    timer.SetDefaults();
    EXPECT_TRUE(timer.enabled);
    EXPECT_EQ(timer.intervalA, 1800u);
    EXPECT_EQ(timer.intervalB, 60u);
    EXPECT_EQ(timer.unitA, Time_unit::Minutes);
    EXPECT_EQ(timer.unitB, Time_unit::Minutes);
    EXPECT_FALSE(timer.HoldsShownTime());
    EXPECT_EQ(timer.IsPaused(), false);
}

TEST(ElapsedTimeValue, SaveAndDelete)
{
    SaveElapsedTime(1234567);
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadRaw(ElapsedTimeValueName, type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(bytes.size(), 8u);
    unsigned __int64 value = 0;
    std::memcpy(&value, bytes.data(), 8);
    EXPECT_EQ(value, 1234567u);
    DeleteElapsedTime();
    EXPECT_FALSE(ValueExists(ElapsedTimeValueName));
}
