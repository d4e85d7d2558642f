// The decisions of the slide step that do not depend on windows or
// pictures: what the slide timer does, how a step treats a running download
// worker, whether an online slide is due, the local-or-online loop over the
// slide sources, the status texts of an online fetch, and the idle test and
// topmost watch of the topmost timer. The main window carries them out.
#pragma once

#include "foundation/Error.h"
#include "foundation/StringEx.h"
#include "core/PrivateMessages.h"
#include "slideshow/SettingsTypes.h"
#include "slideshow/SlideTimer.h"

#include <windows.h>

#include <utility>

// A step that failed with a text for the user: the step shows it on a
// status card in place of the general failure card.
class StepFailure : public QuilloryError
{
public:
    explicit StepFailure(MStringEx<wchar_t> text) : m_text(std::move(text)) {}
    const MStringEx<wchar_t>& Text() const noexcept { return m_text; }
    unsigned Code() const noexcept override { return 0; }
    const char* what() const noexcept override { return "slide step"; }

private:
    MStringEx<wchar_t> m_text;
};

// Kind of a step: an ordinary step, or one the user asked for that must
// show a local slide.
enum SlideStepKind : int
{
    StepOrdinary = 0,
    StepLocalOnly = 1,
};

// The online-fetch reason that marks the fetch started with the program.
constexpr DWORD FetchReasonStartUp = 3;

// ---- The slide timer ----

enum class TimerStepAction
{
    Retry,           // a drag, an own dialog or a busy lock: the slide timer again in StepRetryPeriod
    HideRestOfCycle, // the shown part of a cycle ended: arm for A - B and hide
    Step,            // clear the times and NextSlide (kind 0, mode 1)
};

constexpr UINT StepRetryPeriod = 1000;

// blocked: this window has the mouse capture, an own dialog is open, or the
// step lock or slide semaphore could not be taken.
TimerStepAction DecideTimerStep(const SlideTimer& timer, OperationMode mode, bool waitingForOnline, bool blocked);

// Period of the poll while the show waits for an online slide.
inline UINT OnlinePollPeriod(bool fastRetry)
{
    return fastRetry ? 50 : 5000;
}

// When the online show looks again while it rests on a card (no gallery
// chosen, or a failed round): after the slide interval A, and never sooner
// than the poll.
UINT RestingRetryPeriod(const SlideTimer& timer);

// ---- A step while the download worker runs ----

enum class RunningWorkerAction
{
    WaitForEnd,     // mode 0: stop it and wait until its thread has ended
    LeaveRunning,   // the start-up fetch: return false
    MarkPending,    // set the step-pending flag and return false
    StopAndReset,   // stop it, reset the online request record, go on
    StopAndGoOn,    // it was started by a step of the other kind: stop it, go on
    BusyNotice,     // show the busy notice, set the step-pending flag, return false
};

RunningWorkerAction DecideWhileWorkerRuns(int mode, int kind, DWORD fetchReason);

// ---- Online slides among local ones ----

// The adverts settings that decide when an online slide is due, read under
// their lock by the caller.
struct OnlineSlideIncidence
{
    bool firstFlag = true; // set: no online slide is due
    bool enabled = false;
    DWORD incidence = 0;   // local slides between online slides
};

// Whether an online slide is due for a step of this kind. A local-only step
// (kind 1) lowers the count instead, so that the user's extra local slides
// do not make an online slide come at once.
bool IsOnlineSlideDue(const OnlineSlideIncidence& settings, int kind, DWORD& localCount);
// The count adjustment of a local-only step and of a changed selection.
void AdjustLocalSlideCount(const OnlineSlideIncidence& settings, DWORD& localCount);

// ---- The slide sources ----

// The walk through the current local gallery.
class LocalSlideWalk
{
public:
    virtual ~LocalSlideWalk() = default;
    // 0: next holds a file; 1: the selection is empty; 2: nothing in the
    // gallery can be shown; 3: the current file is the only one; 4: no
    // earlier file (advance false).
    virtual int NextLocalFile(bool advance, const MString& currentPath, MString& nextPath) = 0;
    // A file that failed preparation is finished for this loop.
    virtual void MarkFileCompleted(const MString& path) = 0;
};

// Turning a file into the prepared slide.
class SlidePreparation
{
public:
    virtual ~SlidePreparation() = default;
    // Prepares the file as the slide to present.
    virtual bool PrepareLocalSlide(const MString& path) = 0;
    // Loads the file into the online request record, kept for the next step.
    virtual bool LoadFileSlide(const MString& path) = 0;
};

// Outcome of the local-or-online loop of a step.
struct SlideChoice
{
    enum Outcome
    {
        OnlineDue,        // start an online session and the worker (due flag set)
        LocalPrepared,    // path was prepared: record it and present it
        LoadedIntoRecord, // path waits in the record; present what this step prepared
        LoadedForCheck,   // mode 4: path waits in the record; return true, present nothing
        NothingForCheck,  // mode 4 and no file: return false
        StatusCard,       // present a status card with cardString
        PresentPrepared,  // nothing new: present the online slide this step showed
    };

    Outcome outcome = NothingForCheck;
    MString path;
    UINT cardString = 0;
    // The card's string is formatted with the product name (IDS_PRODUCT_NAME).
    bool cardWithProductName = false;
};

// Step 5 of NextSlide: an online slide when one is due, else the next file
// of the walk that can be prepared. Counts the local slide when one is
// prepared and clears the count when an online slide starts, unless an
// online slide was already shown in this step.
SlideChoice ChooseNextSlide(int kind, int mode, bool onlineShownThisStep, const MString& currentPath,
                            const OnlineSlideIncidence& incidence, DWORD& localCount, LocalSlideWalk& walk,
                            SlidePreparation& preparation);

// ---- Status texts of an online fetch ----

// The fields of the online request record that its status text depends on.
struct OnlineFetchStatus
{
    int state = 0;
    int status = 0;
    int errorDetail = 0;
    bool hasServerMessage = false; // the record's second text is not empty
};

struct OnlineStatusText
{
    enum Source
    {
        None,            // empty text
        String,          // language-module string stringId
        StringAndNumber, // string stringId formatted with number
        ServerMessage,   // the record's second text
        FailureText,     // the failure text kept by the main window
    };

    Source source = None;
    UINT stringId = 0;
    DWORD number = 0;
};

OnlineStatusText GetOnlineStatusText(const OnlineFetchStatus& fetch);

// Status card of a walk result 1 to 4 (no file); cardString 0 when none is
// to be shown (result 3 after an online slide of this step).
SlideChoice StatusCardForWalkResult(int result, bool onlineShownThisStep);

// ---- The topmost timer ----

// Makes the window topmost again every fifth tick while no own dialog is open.
class TopmostWatch
{
public:
    // true: make the window topmost now.
    bool Tick(OperationMode mode, bool ownDialogOpen);

private:
    unsigned m_ticks = 0;
};

enum class ScreenSaverAction
{
    None,
    End,   // the user was active within the idle time
    Start, // idle long enough and no screen saver yet
};

struct IdleTest
{
    OperationMode mode = OperationMode::FadeOnCtrlHover;
    Screen_saver_mode screenSaverMode = Screen_saver_mode::Off;
    bool crossFadeRunning = false;
    bool windowVisible = false;
    unsigned __int64 now = 0;  // GetTickCount64
    DWORD lastInputTick = 0;   // GetLastInputInfo; 0 when that fails
    unsigned __int64 idleSeconds = 300;
    bool screenSaverRunning = false;
    int sessionLockState = 2;  // QuerySessionLockState: 0 locked, 1 unlocked, 2 unknown
};

ScreenSaverAction DecideScreenSaver(const IdleTest& test);

// Where the idle test reads the tick of the last input: GetLastInputInfo by
// default; a test puts its own in place (null: the system's again), since
// nobody is idle for minutes under test. Answers the previous one.
using LastInputQuery = BOOL(WINAPI*)(PLASTINPUTINFO);
LastInputQuery SetLastInputQuery(LastInputQuery query);
BOOL QueryLastInput(PLASTINPUTINFO info);
