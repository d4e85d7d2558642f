// The settings dialog on a real window: values in, confirm, the copy it
// hands back stored as the main window stores it; the live previews reach a
// stand-in main window; the checks of the confirm; a damaged stored record
// shown as the defaults.
#include "settings/SettingsDlg.h"
#include "core/Language.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "core/tests/TextFit.h"
#include "core/tests/UiTestSupport.h"
#include "NextBox.h"
#include "slideshow/MainWindowThread.h"
#include "slideshow/PerformanceData.h"
#include "slideshow/SettingsRegistry.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace
{
// A window that stands for the main window and records the previews.
class PreviewTarget
{
public:
    PreviewTarget()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuilloryPreviewTarget";
        RegisterClassW(&wc);
        m_window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 400, 300, 200, 200, nullptr,
                                   nullptr, wc.hInstance, nullptr);
        Instance() = this;
    }
    ~PreviewTarget()
    {
        DestroyWindow(m_window);
        Instance() = nullptr;
    }
    HWND Window() const { return m_window; }
    std::vector<std::pair<UINT, WPARAM>> Received()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }
    bool Got(UINT message, WPARAM wParam)
    {
        for (const auto& r : Received())
            if (r.first == message && r.second == wParam)
                return true;
        return false;
    }

private:
    static PreviewTarget*& Instance()
    {
        static PreviewTarget* instance = nullptr;
        return instance;
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (Instance() && (message == WM_SET_SIDE || message == WM_SET_ALPHA || message == WM_SET_TOPMOST))
        {
            std::lock_guard<std::mutex> lock(Instance()->m_mutex);
            Instance()->m_received.emplace_back(message, wParam);
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND m_window = nullptr;
    std::mutex m_mutex;
    std::vector<std::pair<UINT, WPARAM>> m_received;
};

// The settings of a first run, as the main window hands them over.
SettingsCopy Defaults()
{
    SettingsCopy copy;
    copy.settings.SetDefaults();
    copy.displayArea = RECT{100, 100, 400, 400};
    return copy;
}

void SetText(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }
std::wstring Text(HWND dialog, int id) { return UiTest::DialogItemText(dialog, id); }

void Select(HWND dialog, int id, DWORD value)
{
    HWND combo = GetDlgItem(dialog, id);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (static_cast<DWORD>(SendMessageW(combo, CB_GETITEMDATA, i, 0)) == value)
            SendMessageW(combo, CB_SETCURSEL, i, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

DWORD Selected(HWND dialog, int id)
{
    HWND combo = GetDlgItem(dialog, id);
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0xFFFFFFFF : static_cast<DWORD>(SendMessageW(combo, CB_GETITEMDATA, index, 0));
}

void SetCheck(HWND dialog, int id, bool on)
{
    SendDlgItemMessageW(dialog, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool Checked(HWND dialog, int id) { return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool Shown(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

void Click(HWND dialog, int id)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Presses the confirm button and answers the message box it may show; the
// box's text, or empty when none came and the dialog ended.
std::wstring Confirm(DWORD ui, HWND dialog)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SET_OK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SET_OK)));
    return AnswerNextBox(ui, dialog, IDOK);
}

// Runs the dialog modally on this thread while script drives it.
INT_PTR RunDialog(SettingsCopy& copy, HWND mainWindow, const std::function<void(DWORD, HWND)>& script)
{
    DialogWindowSlot slot;
    CSettingsDlg dialog(mainWindow, &slot, &copy, nullptr, nullptr, nullptr);
    UiTest::Script driver([&](DWORD ui) {
        HWND window = UiTest::WaitForDialog(ui);
        if (window)
            script(ui, window);
    });
    return dialog.DoModal(nullptr);
}

class SettingsDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean()
    {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), PerformanceDataValueName);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName);
    }
    LanguageModuleScope m_language{LanguageEnglish};
};

std::vector<DWORD> StoredWords()
{
    DWORD words[16] = {};
    DWORD size = sizeof(words);
    if (RegGetValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), PerformanceDataValueName, RRF_RT_REG_BINARY,
                     nullptr, words, &size) != ERROR_SUCCESS)
        return {};
    return std::vector<DWORD>(words, words + size / sizeof(DWORD));
}

// Stores the copy as the main window stores what the dialog hands back.
void StoreAsTheMainWindowDoes(const SettingsCopy& copy)
{
    SlideTimer timer;
    timer.enabled = copy.timer.enabled;
    timer.intervalA = copy.timer.intervalA;
    timer.intervalB = copy.timer.intervalB;
    timer.unitA = copy.timer.unitA;
    timer.unitB = copy.timer.unitB;
    SaveSettings(copy.settings, timer);
}
}

TEST_F(SettingsDlgTest, ValuesInConfirmTheRecordAndTheRunValueOut)
{
    PreviewTarget main;
    SettingsCopy copy = Defaults();
    copy.timer.intervalB = 240;
    std::wstring title;
    const INT_PTR result = RunDialog(copy, main.Window(), [&](DWORD ui, HWND dialog) {
        UiTest::HoldForScreenshot();
        title = UiTest::WindowText(dialog);
        SetText(dialog, IDC_SET_SIZE, L"240");
        SetText(dialog, IDC_SET_TRANSPARENCY, L"40");
        Select(dialog, IDC_SET_MODE, 0x4000000);
        SetText(dialog, IDC_SET_SLIDE_INTERVAL, L"100");
        Select(dialog, IDC_SET_SLIDE_UNIT, 0);
        Select(dialog, IDC_SET_WINDOW_BORDER, 1);
        Select(dialog, IDC_SET_IMAGE_BORDER, 2);
        Select(dialog, IDC_SET_ORDER, 0x20000000);
        Select(dialog, IDC_SET_ANCHOR, 0x600000);
        Select(dialog, IDC_SET_SCREEN_SAVER, 5);
        SetText(dialog, IDC_SET_IDLE, L"7");
        SetCheck(dialog, IDC_SET_LOCK, true);
        SetCheck(dialog, IDC_SET_VIEWER_OPTION, true);
        SetCheck(dialog, IDC_SET_AUTO_START, true);
        SetCheck(dialog, IDC_SET_TRAY_ICON, false);
        // Enter in an edit does not confirm.
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(Confirm(ui, dialog), L"");
    });
    EXPECT_EQ(result, CSettingsDlg::Saved);
    EXPECT_EQ(title, L"Quillory Settings");

    const PerformanceData& s = copy.settings;
    EXPECT_EQ(copy.displayArea.right - copy.displayArea.left, 240);
    EXPECT_EQ(s.opacity, 215);
    EXPECT_EQ(s.operationMode, OperationMode::AppWindow);
    EXPECT_EQ(s.windowBorder, 1u);
    EXPECT_EQ(s.imageBorder, 2u);
    EXPECT_EQ(s.displayOrder, Display_order::ByName);
    EXPECT_EQ(s.anchorCorner, Anchor_corner::BottomLeft);
    EXPECT_EQ(s.screenSaverMode, Screen_saver_mode::EachFit);
    EXPECT_EQ(s.idleSeconds, 420u);
    EXPECT_TRUE(s.lockOnScreenSaverEnd);
    EXPECT_TRUE(s.largePhotoCaption);
    EXPECT_TRUE(s.autoStart);
    EXPECT_FALSE(s.trayIcon);
    // A = 100 s is not longer than the stored B of 4 minutes: B becomes
    // half of A, in seconds.
    EXPECT_TRUE(copy.timer.enabled);
    EXPECT_EQ(copy.timer.intervalA, 100u);
    EXPECT_EQ(copy.timer.unitA, Time_unit::Seconds);
    EXPECT_EQ(copy.timer.intervalB, 50u);
    EXPECT_EQ(copy.timer.unitB, Time_unit::Seconds);

    // The previews reached the main window as they were typed.
    EXPECT_TRUE(main.Got(WM_SET_SIDE, 240));
    EXPECT_TRUE(main.Got(WM_SET_ALPHA, 215));

    StoreAsTheMainWindowDoes(copy);
    const std::vector<DWORD> words = StoredWords();
    ASSERT_EQ(words.size(), 9u);
    EXPECT_EQ(words[0], 1u);
    EXPECT_EQ(words[1], 0x80000000u | 0x4000000u | 0x600000u | 0x20000000u | 0x40000u);
    EXPECT_EQ(words[2], 100u);
    EXPECT_EQ(words[3], 50u);
    EXPECT_EQ(words[4], 1u);
    EXPECT_EQ(words[5], 2u);
    EXPECT_EQ(words[6], 40u);
    EXPECT_EQ(words[7], 0x80000000u | 5u);
    EXPECT_EQ(words[8], 420u);
    wchar_t run[1024] = {};
    DWORD size = sizeof(run);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName, RRF_RT_REG_SZ, nullptr, run, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(run), std::wstring(QuotedModulePath().GetText()));
}

TEST_F(SettingsDlgTest, CancelAndTheCloseRequestChangeNothing)
{
    const SettingsCopy before = Defaults();
    for (int way = 0; way < 3; ++way)
    {
        SettingsCopy copy = before;
        const INT_PTR result = RunDialog(copy, nullptr, [&](DWORD, HWND dialog) {
            SetText(dialog, IDC_SET_TRANSPARENCY, L"100");
            Select(dialog, IDC_SET_MODE, 0);
            SetCheck(dialog, IDC_SET_AUTO_START, true);
            if (way == 0)
                Click(dialog, IDC_SET_CANCEL);
            else if (way == 1)
                SendMessageW(dialog, WM_CLOSE, 0, 0);
            else
                SendMessageW(dialog, WM_CLOSE_REQUEST, 0, 0);
        });
        EXPECT_EQ(result, way == 2 ? CSettingsDlg::ClosedByProgram : CSettingsDlg::Cancelled) << way;
        EXPECT_EQ(copy.settings.opacity, before.settings.opacity) << way;
        EXPECT_EQ(copy.settings.operationMode, before.settings.operationMode) << way;
        EXPECT_FALSE(copy.settings.autoStart) << way;
    }
    EXPECT_TRUE(StoredWords().empty());
}

TEST_F(SettingsDlgTest, ShowHideModesCarryTheIntervalsAndCheckThem)
{
    SettingsCopy copy = Defaults();
    copy.settings.screenSaverMode = Screen_saver_mode::SpanFill;
    copy.timer.intervalA = 600;
    copy.timer.unitA = Time_unit::Minutes;
    std::vector<std::wstring> boxes;
    bool saverOffAndDisabled = false, trayForced = false, slideRowHidden = false, backChecked = false;
    std::wstring carried, clampedB, tipDuration;
    const INT_PTR result = RunDialog(copy, nullptr, [&](DWORD ui, HWND dialog) {
        // The slide interval carries over to interval A.
        SetText(dialog, IDC_SET_SLIDE_INTERVAL, L"12");
        Select(dialog, IDC_SET_MODE, 0x3000000);
        carried = Text(dialog, IDC_SET_INTERVAL_A);
        slideRowHidden = !Shown(dialog, IDC_SET_SLIDE_INTERVAL) && Shown(dialog, IDC_SET_INTERVAL_B);
        saverOffAndDisabled = Selected(dialog, IDC_SET_SCREEN_SAVER) == 0 && !Enabled(dialog, IDC_SET_SCREEN_SAVER);
        trayForced = Checked(dialog, IDC_SET_TRAY_ICON) && !Enabled(dialog, IDC_SET_TRAY_ICON);
        // B in minutes stops at 9998.
        Select(dialog, IDC_SET_UNIT_B, 1);
        SetText(dialog, IDC_SET_INTERVAL_B, L"9999");
        clampedB = Text(dialog, IDC_SET_INTERVAL_B);
        // A not longer than B is refused.
        SetText(dialog, IDC_SET_INTERVAL_B, L"12");
        boxes.push_back(Confirm(ui, dialog));
        SetText(dialog, IDC_SET_INTERVAL_B, L"");
        boxes.push_back(Confirm(ui, dialog));
        SetText(dialog, IDC_SET_INTERVAL_B, L"3");
        // Back to a one-interval mode and again: A comes back with its unit.
        Select(dialog, IDC_SET_MODE, 0x1000000);
        backChecked = Checked(dialog, IDC_SET_SLIDE_TIMER) && Text(dialog, IDC_SET_SLIDE_INTERVAL) == L"12";
        Select(dialog, IDC_SET_MODE, 0x2000000);
        boxes.push_back(Confirm(ui, dialog));
    });
    EXPECT_EQ(result, CSettingsDlg::Saved);
    EXPECT_EQ(carried, L"12");
    EXPECT_TRUE(slideRowHidden);
    EXPECT_TRUE(saverOffAndDisabled);
    EXPECT_TRUE(trayForced);
    EXPECT_EQ(clampedB, L"9998");
    EXPECT_TRUE(backChecked);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], L"The cycle must be longer than the part in which the window is shown.");
    EXPECT_EQ(boxes[1], L"Enter how long the window is shown in each cycle.");
    EXPECT_EQ(boxes[2], L"");
    EXPECT_EQ(copy.settings.operationMode, OperationMode::CycleFadeOnHover);
    EXPECT_EQ(copy.timer.intervalA, 12u * 60);
    EXPECT_EQ(copy.timer.unitA, Time_unit::Minutes);
    EXPECT_EQ(copy.timer.intervalB, 3u * 60);
    EXPECT_EQ(copy.timer.unitB, Time_unit::Minutes);
    // The show/hide modes leave the screen saver as it was stored.
    EXPECT_EQ(copy.settings.screenSaverMode, Screen_saver_mode::SpanFill);
    EXPECT_TRUE(copy.settings.trayIcon);
}

TEST_F(SettingsDlgTest, TheChecksOfTheConfirmKeepTheDialogOpen)
{
    SettingsCopy copy = Defaults();
    std::vector<std::wstring> boxes;
    std::wstring clampedSlide, clampedIdle, clampedTransparency;
    const INT_PTR result = RunDialog(copy, nullptr, [&](DWORD ui, HWND dialog) {
        SetText(dialog, IDC_SET_SIZE, L"");
        boxes.push_back(Confirm(ui, dialog));
        // A display area under 8 pixels needs the tray icon.
        SetText(dialog, IDC_SET_SIZE, L"5");
        SetCheck(dialog, IDC_SET_TRAY_ICON, false);
        boxes.push_back(Confirm(ui, dialog));
        SetCheck(dialog, IDC_SET_TRAY_ICON, true);
        SetText(dialog, IDC_SET_TRANSPARENCY, L"");
        boxes.push_back(Confirm(ui, dialog));
        SetText(dialog, IDC_SET_TRANSPARENCY, L"999");
        clampedTransparency = Text(dialog, IDC_SET_TRANSPARENCY);
        // The slide interval: 0 becomes 1; empty is refused while the timer is on.
        SetText(dialog, IDC_SET_SLIDE_INTERVAL, L"0");
        clampedSlide = Text(dialog, IDC_SET_SLIDE_INTERVAL);
        SetText(dialog, IDC_SET_SLIDE_INTERVAL, L"");
        boxes.push_back(Confirm(ui, dialog));
        SetText(dialog, IDC_SET_SLIDE_INTERVAL, L"9999");
        Select(dialog, IDC_SET_SLIDE_UNIT, 1);
        Select(dialog, IDC_SET_SCREEN_SAVER, 1);
        SetText(dialog, IDC_SET_IDLE, L"");
        boxes.push_back(Confirm(ui, dialog));
        SetText(dialog, IDC_SET_IDLE, L"0");
        clampedIdle = Text(dialog, IDC_SET_IDLE);
        boxes.push_back(Confirm(ui, dialog));
    });
    EXPECT_EQ(result, CSettingsDlg::Saved);
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_EQ(boxes[0], L"Enter the size of the display area (1 to 999 pixels).");
    EXPECT_EQ(boxes[1], L"Quillory could not be reached through a display area of 5 pixels without the icon "
                        L"in the notification area.");
    EXPECT_EQ(boxes[2], L"Enter the transparency (0 to 250).");
    EXPECT_EQ(boxes[3], L"Enter how long each slide stays.");
    EXPECT_EQ(boxes[4], L"Enter the idle minutes before Quillory Window starts the screen saver.");
    EXPECT_EQ(boxes[5], L"");
    EXPECT_EQ(clampedTransparency, L"250");
    EXPECT_EQ(clampedSlide, L"1");
    EXPECT_EQ(clampedIdle, L"1");
    // 9999 minutes is the longest slide interval.
    EXPECT_EQ(copy.timer.intervalA, 599940u);
    EXPECT_EQ(copy.timer.unitA, Time_unit::Minutes);
    EXPECT_EQ(copy.settings.opacity, 5);
    EXPECT_EQ(copy.settings.screenSaverMode, Screen_saver_mode::SpanFit);
    EXPECT_EQ(copy.settings.idleSeconds, 60u);
}

TEST_F(SettingsDlgTest, ADamagedStoredRecordShowsTheDefaults)
{
    // Transparency 251 is out of range: the main window takes the defaults.
    const DWORD bad[9] = {1, 0x80000000, 30, 10, 0, 0, 251, 0, 300};
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), PerformanceDataValueName, REG_BINARY, bad,
                              sizeof(bad)),
              ERROR_SUCCESS);
    SettingsCopy copy = Defaults();
    copy.settings.opacity = 10;
    copy.settings.operationMode = OperationMode::ToolWindow;
    SlideTimer timer;
    ASSERT_FALSE(LoadPerformanceData(copy.settings, timer, copy.displayArea).loaded);
    copy.timer.enabled = timer.enabled;
    copy.timer.intervalA = timer.intervalA;
    copy.timer.intervalB = timer.intervalB;
    copy.timer.unitA = timer.unitA;
    copy.timer.unitB = timer.unitB;

    std::wstring transparency, slide, idle;
    DWORD mode = 0, border = 0, saver = 0, unit = 0;
    bool timerOn = false, tray = false;
    RunDialog(copy, nullptr, [&](DWORD, HWND dialog) {
        transparency = Text(dialog, IDC_SET_TRANSPARENCY);
        slide = Text(dialog, IDC_SET_SLIDE_INTERVAL);
        mode = Selected(dialog, IDC_SET_MODE);
        border = Selected(dialog, IDC_SET_WINDOW_BORDER);
        saver = Selected(dialog, IDC_SET_SCREEN_SAVER);
        unit = Selected(dialog, IDC_SET_SLIDE_UNIT);
        timerOn = Checked(dialog, IDC_SET_SLIDE_TIMER);
        tray = Checked(dialog, IDC_SET_TRAY_ICON);
        idle = Text(dialog, IDC_SET_IDLE);
        Click(dialog, IDC_SET_CANCEL);
    });
    EXPECT_EQ(transparency, L"0");
    EXPECT_EQ(mode, 0x1000000u);
    EXPECT_TRUE(timerOn);
    EXPECT_EQ(slide, L"30");
    EXPECT_EQ(unit, 1u);
    EXPECT_EQ(border, 2u);
    EXPECT_EQ(saver, 0u);
    EXPECT_EQ(idle, L"");
    EXPECT_TRUE(tray);
}

TEST(SettingsDlgTexts, DurationsBesideTheIntervals)
{
    LanguageModuleScope language(LanguageEnglish);
    const struct
    {
        unsigned __int64 value;
        Time_unit unit;
        const wchar_t* text;
    } cases[] = {
        {59, Time_unit::Seconds, L""},
        {60, Time_unit::Seconds, L"1 min 0 s"},
        {3599, Time_unit::Seconds, L"59 min 59 s"},
        {3661, Time_unit::Seconds, L"1 h 1 min 1 s"},
        {59, Time_unit::Minutes, L""},
        {61, Time_unit::Minutes, L"1 h 1 min"},
        {1440, Time_unit::Minutes, L"1 d 0 h 0 min"},
        {9999, Time_unit::Minutes, L"6 d 22 h 39 min"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(IntervalEdits::FormatDuration(c.value, c.unit).GetText()), c.text) << c.value;
}

// In each language and in both groups of modes every text of the dialog fits
// its control, the texts it sets itself (durations, idle time) included.
TEST_F(SettingsDlgTest, EveryTextIsShownWholeInBothLanguages)
{
    for (const LANGID current : {LanguageEnglish, LanguageBulgarian})
    {
        LanguageModuleScope language(current);
        SettingsCopy copy = Defaults();
        std::vector<std::wstring> cut;
        RunDialog(copy, nullptr, [&](DWORD, HWND dialog) {
            UiTest::HoldForScreenshot();
            SetText(dialog, IDC_SET_SLIDE_INTERVAL, L"9999");
            Select(dialog, IDC_SET_SCREEN_SAVER, static_cast<DWORD>(Screen_saver_mode::EachFit));
            SetText(dialog, IDC_SET_IDLE, L"999");
            cut = UiTest::CutTexts(dialog);
            Select(dialog, IDC_SET_MODE, static_cast<DWORD>(OperationMode::CycleFadeOnHover));
            for (const std::wstring& line : UiTest::CutTexts(dialog))
                cut.push_back(L"show/hide mode: " + line);
            Click(dialog, IDC_SET_CANCEL);
        });
        EXPECT_TRUE(cut.empty()) << "language " << current << ":\n" << UiTest::JoinLines(cut);
    }
}
