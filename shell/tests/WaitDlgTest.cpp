#include "core/WaitDlg.h"
#include "foundation/tests/MonitorTable.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace
{
struct WorkerState
{
    HWND* dialog = nullptr;
    std::atomic<bool> sawVisibleDialog{false};
    std::atomic<int> answer{0};
    std::wstring elapsed;
    bool askFirst = false;
    bool pokeFirst = false;
    bool stillOpenAfterPokes = false;
};

// The worker of worker mode: started suspended, reaches the dialog by the
// handle its owner gave it.
DWORD WINAPI Worker(void* parameter)
{
    WorkerState& state = *static_cast<WorkerState*>(parameter);
    HWND dialog = *state.dialog;
    // Resumed while the dialog is being shown.
    UiTest::WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 2000);
    state.sawVisibleDialog = IsWindowVisible(dialog) != FALSE;
    state.elapsed = UiTest::DialogItemText(dialog, IDC_WAIT_ELAPSED);
    if (state.pokeFirst)
    {
        // Enter, Escape, the close box and Alt+F4 leave the dialog open.
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        SendMessageW(dialog, WM_CLOSE, 0, 0);
        SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        state.stillOpenAfterPokes = IsWindowVisible(dialog) != FALSE;
    }
    if (state.askFirst)
        state.answer = static_cast<int>(SendMessageW(dialog, WaitDlgAsk,
                                                     reinterpret_cast<WPARAM>(L"C:\\Pictures\\sunset.jpg"),
                                                     MB_YESNOCANCEL | MB_ICONQUESTION));
    SendMessageW(dialog, WaitDlgEnd, 7, 0);
    return 0;
}

// Runs the worker-mode protocol: worker created suspended, dialog modal, then
// the wait for the thread.
INT_PTR RunWorkerJob(WorkerState& state)
{
    HANDLE worker = CreateThread(nullptr, 0, &Worker, &state, CREATE_SUSPENDED, nullptr);
    CWaitDlg dialog(worker);
    // The worker stays suspended until the dialog is shown, so the window
    // handle is there when it first looks.
    state.dialog = &dialog.m_hWnd;
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 300, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr);
    const INT_PTR result = dialog.DoModal(owner);
    DestroyWindow(owner);
    DWORD code = STILL_ACTIVE;
    while (GetExitCodeThread(worker, &code) && code == STILL_ACTIVE)
        Sleep(10);
    CloseHandle(worker);
    return result;
}

class CountingSteps : public IDo_work
{
public:
    explicit CountingSteps(int total) : m_total(total) {}
    bool Step() override
    {
        ++m_done;
        if (m_done == 1 && onFirstStep)
            onFirstStep();
        Sleep(30);
        return m_done < m_total;
    }
    bool IsPending() override { return m_done < m_total; }

    std::function<void()> onFirstStep;
    int Done() const { return m_done; }

private:
    int m_total;
    int m_done = 0;
};
}

TEST(WaitDlg, WorkerModeResumesTheWorkerWhenShownAndEndsOn0x420)
{
    LanguageModuleScope language(LanguageEnglish);
    WorkerState state;
    state.pokeFirst = true;
    EXPECT_EQ(7, RunWorkerJob(state));
    EXPECT_TRUE(state.sawVisibleDialog);
    EXPECT_TRUE(state.stillOpenAfterPokes);
    EXPECT_EQ(L"Seconds elapsed: 1", state.elapsed);
}

TEST(WaitDlg, WorkerAsksThroughTheDialog)
{
    LanguageModuleScope language(LanguageBulgarian);
    WorkerState state;
    state.askFirst = true;
    std::wstring question;
    std::wstring noCaption;
    std::thread answerer([&] {
        // The question box is owned by the wait dialog of this process.
        HWND box = nullptr;
        UiTest::WaitUntil(
            [&] {
                for (HWND candidate = FindWindowW(L"#32770", L"Quillory"); candidate;
                     candidate = FindWindowExW(nullptr, candidate, L"#32770", L"Quillory"))
                    if (GetDlgItem(candidate, IDNO))
                    {
                        box = candidate;
                        return true;
                    }
                return false;
            },
            10000);
        if (!box)
            return;
        noCaption = UiTest::DialogItemText(box, IDNO);
        question = UiTest::DialogItemText(box, 0xFFFF);
        PostMessageW(box, WM_COMMAND, IDNO, 0);
    });
    EXPECT_EQ(7, RunWorkerJob(state));
    answerer.join();
    EXPECT_EQ(IDNO, state.answer.load());
    EXPECT_EQ(L"&Не", noCaption);
    EXPECT_NE(std::wstring::npos, question.find(L"„C:\\Pictures\\sunset.jpg“")) << question;
}

TEST(WaitDlg, EndWhileStepsArePendingWaitsForTheLastStep)
{
    LanguageModuleScope language(LanguageEnglish);
    MonitorTable monitors(std::vector<MonitorTable::Monitor>{{{0, 0, 1280, 1024}, {0, 0, 1280, 1000}}});
    CountingSteps steps(5);
    CWaitDlg dialog(POINT{1270, 1020}, MStringEx<wchar_t>(L"Building the search lines..."), &steps);
    int doneWhenEnded = -1;
    RECT placed = {0, 0, 0, 0};
    LONG_PTR exStyle = 0;
    std::wstring message;
    std::thread worker;
    steps.onFirstStep = [&] {
        HWND window = dialog.m_hWnd;
        GetWindowRect(window, &placed);
        exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
        message = UiTest::DialogItemText(window, IDC_WAIT_MESSAGE);
        // The worker ends early, while four steps are still to come.
        worker = std::thread([window, &steps, &doneWhenEnded] {
            SendMessageW(window, WaitDlgEnd, 5, 0);
            doneWhenEnded = steps.Done();
        });
    };
    EXPECT_EQ(5, dialog.DoModal(nullptr));
    worker.join();
    EXPECT_EQ(5, steps.Done());
    EXPECT_LT(doneWhenEnded, 5);
    // Centred on the point, then pulled into the work area.
    EXPECT_EQ(1280, placed.right);
    EXPECT_EQ(1000, placed.bottom);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(L"Building the search lines...", message);
}

TEST(WaitDlg, EndWithoutPendingStepsEndsAtOnce)
{
    LanguageModuleScope language(LanguageEnglish);
    CWaitDlg dialog(POINT{400, 300}, MStringEx<wchar_t>(L"Loading..."), nullptr);
    {
        UiTest::Script script([&](DWORD ui) {
            HWND window = UiTest::WaitForDialog(ui);
            UiTest::HoldForScreenshot();
            SendMessageW(window, WaitDlgEnd, 3, 0);
        });
        EXPECT_EQ(3, dialog.DoModal(nullptr));
    }
}

TEST(WaitDlg, StartUpWindowIsModelessAndPlacedByItsOwner)
{
    LanguageModuleScope language(LanguageEnglish);
    MonitorTable monitors(std::vector<MonitorTable::Monitor>{{{0, 0, 1280, 1024}, {0, 0, 1280, 1024}}});
    CWaitDlg dialog(MStringEx<wchar_t>(L"Quillory is starting. Please wait..."));
    ASSERT_NE(nullptr, dialog.Create(nullptr));
    EXPECT_FALSE(dialog.IsWindowVisible());
    dialog.PlaceAtPoint(POINT{5, 5}, true);
    RECT placed;
    dialog.GetWindowRect(&placed);
    EXPECT_EQ(0, placed.left);
    EXPECT_EQ(0, placed.top);
    dialog.ShowWindow(SW_SHOWNOACTIVATE);
    EXPECT_TRUE(dialog.IsWindowVisible());
    dialog.SendMessage(WaitDlgEnd, 0);
    EXPECT_FALSE(dialog.IsWindowVisible());
    EXPECT_TRUE(dialog.DestroyWindow());
}
