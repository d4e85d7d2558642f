#include "slideshow/SlideStep.h"

#include "core/Language.h"
#include "core/tests/UiTestSupport.h"
#include "slideshow/InternetSlideState.h"
#include "slideshow/tests/SlideshowTestSupport.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

using namespace SlideshowTest;

namespace
{
const OperationMode Single = OperationMode::FadeOnCtrlHover;
const OperationMode Cycle = OperationMode::CycleFadeOnCtrlHover;
}

TEST(TimerStep, RetryHideOrStep)
{
    FakeClock clock;
    SlideTimer timer(clock);
    timer.intervalA = 1800;
    timer.intervalB = 60;

    timer.SetStartTick(clock.now - 60000); // the shown part is over
    EXPECT_EQ(DecideTimerStep(timer, Single, false, true), TimerStepAction::Retry);
    EXPECT_EQ(DecideTimerStep(timer, Cycle, false, true), TimerStepAction::Retry);
    EXPECT_EQ(DecideTimerStep(timer, Cycle, false, false), TimerStepAction::HideRestOfCycle);
    EXPECT_EQ(DecideTimerStep(timer, Single, false, false), TimerStepAction::Step);
    // Waiting for an online slide: the step goes on.
    EXPECT_EQ(DecideTimerStep(timer, Cycle, true, false), TimerStepAction::Step);

    // The whole cycle is over: the next slide.
    timer.SetStartTick(clock.now - 1800000);
    EXPECT_EQ(DecideTimerStep(timer, Cycle, false, false), TimerStepAction::Step);

    // A retry cleared the times: step rather than hide again and again.
    timer.ClearTimes();
    EXPECT_EQ(DecideTimerStep(timer, Cycle, false, false), TimerStepAction::Step);
}

TEST(TimerStep, AStepWhileTheWorkerRuns)
{
    struct Case
    {
        int mode;
        int kind;
        DWORD reason;
        RunningWorkerAction expected;
    };
    const Case cases[] = {
        {StepAfterFetch, StepOrdinary, 0, RunningWorkerAction::WaitForEnd},
        {StepTimer, StepOrdinary, FetchReasonStartUp, RunningWorkerAction::LeaveRunning},
        {StepTimer, StepOrdinary, 0, RunningWorkerAction::MarkPending},
        {StepTimer, StepOrdinary, 1, RunningWorkerAction::MarkPending},
        {StepSelectionChanged, StepOrdinary, 1, RunningWorkerAction::StopAndReset},
        {StepCheckSelection, StepLocalOnly, 0, RunningWorkerAction::StopAndReset},
        // The user's next slide: stopped only when the fetch was for the other kind.
        {StepUserNext, StepOrdinary, 0, RunningWorkerAction::BusyNotice},
        {StepUserNext, StepOrdinary, FetchReasonStartUp, RunningWorkerAction::BusyNotice},
        {StepUserNext, StepLocalOnly, 0, RunningWorkerAction::StopAndGoOn},
        {StepUserNext, StepLocalOnly, 1, RunningWorkerAction::BusyNotice},
        {StepUserNext, StepOrdinary, 1, RunningWorkerAction::StopAndGoOn},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " kind " << c.kind << " reason " << c.reason);
        EXPECT_EQ(DecideWhileWorkerRuns(c.mode, c.kind, c.reason), c.expected);
    }
}

TEST(OnlineIncidence, WhenAnOnlineSlideIsDue)
{
    struct Case
    {
        const char* what;
        OnlineSlideIncidence settings;
        int kind;
        DWORD count;
        bool due;
        DWORD countAfter;
    };
    const Case cases[] = {
        {"incidence 0: every step", {false, true, 0}, StepOrdinary, 0, true, 0},
        {"count reached", {false, true, 5}, StepOrdinary, 5, true, 5},
        {"count short", {false, true, 5}, StepOrdinary, 4, false, 4},
        {"first flag", {true, true, 0}, StepOrdinary, 10, false, 10},
        {"disabled", {false, false, 0}, StepOrdinary, 10, false, 10},
        {"local-only step lowers the count", {false, true, 5}, StepLocalOnly, 4, false, 3},
        {"local-only, count far below", {false, true, 5}, StepLocalOnly, 2, false, 2},
        {"local-only, count above", {false, true, 5}, StepLocalOnly, 9, false, 3},
        {"local-only, small incidence", {false, true, 2}, StepLocalOnly, 9, false, 0},
        {"local-only, disabled", {false, false, 5}, StepLocalOnly, 9, false, 9},
        {"other kinds", {false, true, 0}, 2, 9, false, 9},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        DWORD count = c.count;
        EXPECT_EQ(IsOnlineSlideDue(c.settings, c.kind, count), c.due);
        EXPECT_EQ(count, c.countAfter);
    }
}

namespace
{
class FakeWalk : public LocalSlideWalk
{
public:
    std::deque<std::wstring> files;
    int endResult = 2;
    std::vector<std::wstring> completed;

    int NextLocalFile(bool advance, const MString&, MString& nextPath) override
    {
        EXPECT_TRUE(advance);
        if (files.empty())
            return endResult;
        nextPath = files.front().c_str();
        files.pop_front();
        return 0;
    }
    void MarkFileCompleted(const MString& path) override { completed.push_back(path.GetText()); }
};

class FakePreparation : public SlidePreparation
{
public:
    std::set<std::wstring> unusable;
    std::vector<std::wstring> prepared;
    std::vector<std::wstring> loaded;

    bool PrepareLocalSlide(const MString& path) override
    {
        if (unusable.count(path.GetText()))
            return false;
        prepared.push_back(path.GetText());
        return true;
    }
    bool LoadFileSlide(const MString& path) override
    {
        if (unusable.count(path.GetText()))
            return false;
        loaded.push_back(path.GetText());
        return true;
    }
};

const OnlineSlideIncidence NoOnline{false, false, 0};
const OnlineSlideIncidence EveryFifth{false, true, 5};
}

TEST(ChooseNextSlide, TheNextFileThatCanBePrepared)
{
    FakeWalk walk;
    walk.files = {L"a.jpg", L"b.txt", L"c.png"};
    FakePreparation preparation;
    preparation.unusable = {L"a.jpg", L"b.txt"};
    DWORD count = 1;

    const SlideChoice choice =
        ChooseNextSlide(StepOrdinary, StepTimer, false, MString(L"z.jpg"), NoOnline, count, walk, preparation);
    EXPECT_EQ(choice.outcome, SlideChoice::LocalPrepared);
    EXPECT_STREQ(choice.path.GetText(), L"c.png");
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(walk.completed, (std::vector<std::wstring>{L"a.jpg", L"b.txt"}));
}

TEST(ChooseNextSlide, AnOnlineSlideWhenDue)
{
    FakeWalk walk;
    walk.files = {L"a.jpg"};
    FakePreparation preparation;
    DWORD count = 5;
    SlideChoice choice = ChooseNextSlide(StepOrdinary, StepTimer, false, MString(), EveryFifth, count, walk, preparation);
    EXPECT_EQ(choice.outcome, SlideChoice::OnlineDue);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(walk.files.size(), 1u);

    // After an online slide of this step the count stays for the bookkeeping.
    count = 5;
    choice = ChooseNextSlide(StepOrdinary, StepTimer, true, MString(), EveryFifth, count, walk, preparation);
    EXPECT_EQ(choice.outcome, SlideChoice::OnlineDue);
    EXPECT_EQ(count, 5u);

    // The user's local slide is never online.
    count = 5;
    choice = ChooseNextSlide(StepLocalOnly, StepUserNext, false, MString(), EveryFifth, count, walk, preparation);
    EXPECT_EQ(choice.outcome, SlideChoice::LocalPrepared);
    EXPECT_EQ(count, 4u); // lowered to 3, then one local slide
}

TEST(ChooseNextSlide, FilesAreKeptInTheRecordAfterAnOnlineSlideOrInACheck)
{
    FakeWalk walk;
    walk.files = {L"bad.jpg", L"a.jpg", L"b.jpg"};
    FakePreparation preparation;
    preparation.unusable = {L"bad.jpg"};
    DWORD count = 0;

    SlideChoice choice = ChooseNextSlide(StepOrdinary, StepTimer, true, MString(), NoOnline, count, walk, preparation);
    EXPECT_EQ(choice.outcome, SlideChoice::LoadedIntoRecord);
    EXPECT_STREQ(choice.path.GetText(), L"a.jpg");
    EXPECT_TRUE(preparation.prepared.empty());
    EXPECT_EQ(walk.completed, (std::vector<std::wstring>{L"bad.jpg"}));

    choice = ChooseNextSlide(StepOrdinary, StepCheckSelection, false, MString(), NoOnline, count, walk, preparation);
    EXPECT_EQ(choice.outcome, SlideChoice::LoadedForCheck);
    EXPECT_STREQ(choice.path.GetText(), L"b.jpg");
    EXPECT_EQ(count, 0u);

    choice = ChooseNextSlide(StepOrdinary, StepCheckSelection, false, MString(), NoOnline, count, walk, preparation);
    EXPECT_EQ(choice.outcome, SlideChoice::NothingForCheck);
}

TEST(ChooseNextSlide, StatusCardsWhenTheWalkHasNoFile)
{
    struct Case
    {
        int result;
        bool onlineShown;
        SlideChoice::Outcome outcome;
        UINT card;
        bool withProductName;
    };
    const Case cases[] = {
        {1, false, SlideChoice::StatusCard, 233, false},
        {2, false, SlideChoice::StatusCard, 224, true},
        {3, false, SlideChoice::StatusCard, 325, false},
        {3, true, SlideChoice::PresentPrepared, 0, false},
        {4, false, SlideChoice::StatusCard, 330, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.result);
        FakeWalk walk;
        walk.endResult = c.result;
        FakePreparation preparation;
        DWORD count = 0;
        const SlideChoice choice =
            ChooseNextSlide(StepOrdinary, StepTimer, c.onlineShown, MString(), NoOnline, count, walk, preparation);
        EXPECT_EQ(choice.outcome, c.outcome);
        EXPECT_EQ(choice.cardString, c.card);
        EXPECT_EQ(choice.cardWithProductName, c.withProductName);
    }
}

namespace
{
OnlineStatusText StatusText(int state, DWORD status, int detail = 0, bool message = false)
{
    OnlineFetchStatus fetch;
    fetch.state = state;
    fetch.status = static_cast<int>(status);
    fetch.errorDetail = detail;
    fetch.hasServerMessage = message;
    return GetOnlineStatusText(fetch);
}

// The string of a language module itself, not through the program's loader.
std::wstring ModuleString(HMODULE module, UINT id)
{
    const wchar_t* text = nullptr;
    const int length = LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}
}

TEST(OnlineStatus, EveryTextItCanNameExistsInBothLanguages)
{
    // Every state and status the record can hold, and some it should not.
    const int states[] = {-1, 0, 1, 3, 5, 6, 9, 10, 0x80};
    const DWORD statuses[] = {0,          1,          2,          3,          4,          5,          6,
                              12029,      0x7FFFFFFF, 0x80000000, 0x80000005, 0x8000000E, 0x8000000F,
                              0x80000010, 0x80000011, 0x80000012, 0x80000013, 0x80000014, 0xFFFFFFFF};
    std::set<UINT> plain;
    std::set<UINT> withNumber;
    for (const int state : states)
        for (const DWORD status : statuses)
            for (const int detail : {0, 1})
                for (const bool message : {false, true})
                {
                    const OnlineStatusText text = StatusText(state, status, detail, message);
                    if (text.source == OnlineStatusText::String)
                        plain.insert(text.stringId);
                    else if (text.source == OnlineStatusText::StringAndNumber)
                        withNumber.insert(text.stringId);
                    else
                        EXPECT_EQ(text.stringId, 0u);
                }
    EXPECT_GE(plain.size(), 10u);
    ASSERT_FALSE(withNumber.empty());

    for (const LANGID language : {LanguageEnglish, LanguageBulgarian})
    {
        SCOPED_TRACE(language);
        LanguageModuleScope module(language);
        ASSERT_NE(module.Get(), nullptr);
        for (const UINT id : plain)
            EXPECT_FALSE(ModuleString(module.Get(), id).empty()) << "string " << id;
        // The number goes into the text.
        for (const UINT id : withNumber)
            EXPECT_NE(ModuleString(module.Get(), id).find(L'%'), std::wstring::npos) << "string " << id;
    }
}

TEST(OnlineStatus, WhatTheUserReadsInTheMainCases)
{
    using S = OnlineStatusText;
    // A fetch under way tells whether the server has answered yet.
    EXPECT_NE(StatusText(InternetSlideState::Started, 1).stringId, StatusText(InternetSlideState::Started, 0).stringId);
    // A good reply or an idle record says nothing, whatever status it kept.
    EXPECT_EQ(StatusText(InternetSlideState::Idle, 0x80000013).source, S::None);
    EXPECT_EQ(StatusText(3, 1).source, S::None);
    // The server's own message is shown when it sent one, else a general text.
    EXPECT_EQ(StatusText(InternetSlideState::Failed, 0x80000010, 0, true).source, S::ServerMessage);
    EXPECT_EQ(StatusText(InternetSlideState::Failed, 0x80000010, 0, false).source, S::String);
    // The failure text kept from the worker.
    EXPECT_EQ(StatusText(InternetSlideState::Failed, 0x80000013).source, S::FailureText);
    // An error detail gives a more precise text than the plain failure.
    EXPECT_NE(StatusText(InternetSlideState::Failed, 0, 1).stringId, StatusText(InternetSlideState::Failed, 0, 0).stringId);
    // An unknown failure of the program's own carries its number without the high bit.
    const OnlineStatusText refused = StatusText(InternetSlideState::Failed, 0x80000014);
    EXPECT_EQ(refused.source, S::StringAndNumber);
    EXPECT_EQ(refused.number, 0x14u);
    // Any other answer of the server (an HTTP or WinINet code) is one server error.
    EXPECT_EQ(StatusText(InternetSlideState::Failed, 12029).stringId, StatusText(InternetSlideState::Failed, 5).stringId);
}

TEST(Timer115, TopmostEveryFifthTickWithoutDialogs)
{
    TopmostWatch watch;
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(watch.Tick(Single, false));
    EXPECT_TRUE(watch.Tick(Single, false));
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(watch.Tick(Single, false));
    EXPECT_FALSE(watch.Tick(Single, true)); // a dialog is open: wait
    EXPECT_TRUE(watch.Tick(Single, false));

    TopmostWatch plain;
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(plain.Tick(OperationMode::AppWindow, false));
}

TEST(Timer115, IdleTest)
{
    IdleTest base;
    base.mode = Single;
    base.screenSaverMode = Screen_saver_mode::SpanFit;
    base.windowVisible = true;
    base.now = 1000000;
    base.idleSeconds = 300;
    base.sessionLockState = 1;

    IdleTest test = base;
    test.lastInputTick = 1000000 - 300000;
    EXPECT_EQ(DecideScreenSaver(test), ScreenSaverAction::End);
    test.lastInputTick = 1000000 - 300001;
    EXPECT_EQ(DecideScreenSaver(test), ScreenSaverAction::Start);
    test.screenSaverRunning = true;
    EXPECT_EQ(DecideScreenSaver(test), ScreenSaverAction::None);
    test.screenSaverRunning = false;
    test.sessionLockState = 0;
    EXPECT_EQ(DecideScreenSaver(test), ScreenSaverAction::None);
    test.sessionLockState = 2;
    EXPECT_EQ(DecideScreenSaver(test), ScreenSaverAction::Start);

    // Input a moment after now was read counts as active.
    test = base;
    test.lastInputTick = 1000000 + 20;
    EXPECT_EQ(DecideScreenSaver(test), ScreenSaverAction::End);

    // After 49.7 days the 32-bit input tick has wrapped.
    test = base;
    test.now = 0x100000000ull * 3 + 500;
    test.lastInputTick = 0xFFFFFF00;
    EXPECT_EQ(DecideScreenSaver(test), ScreenSaverAction::End);
    test.lastInputTick = 0xFFFFFF00 - 300000;
    EXPECT_EQ(DecideScreenSaver(test), ScreenSaverAction::Start);

    // Conditions under which the screen saver is left alone.
    struct Case
    {
        const char* what;
        IdleTest test;
    };
    std::vector<Case> off;
    test = base;
    test.mode = Cycle;
    off.push_back({"cycle mode", test});
    test = base;
    test.screenSaverMode = Screen_saver_mode::Off;
    off.push_back({"no screen saver", test});
    test = base;
    test.crossFadeRunning = true;
    off.push_back({"cross-fade", test});
    test = base;
    test.windowVisible = false;
    off.push_back({"hidden", test});
    for (const Case& c : off)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DecideScreenSaver(c.test), ScreenSaverAction::None);
    }
}
