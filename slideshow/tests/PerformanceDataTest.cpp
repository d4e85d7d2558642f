#include "slideshow/DisplayArea.h"
#include "slideshow/PerformanceData.h"
#include "slideshow/tests/SlideshowTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

using namespace SlideshowTest;

namespace
{
using Words = std::array<DWORD, 9>;

// The defaults as stored.
const Words DefaultWords = {1, 0xC1180000, 1800, 60, 2, 0, 0, 0, 300};

class PerformanceDataTest : public ::testing::Test
{
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }

    static void Clean()
    {
        DeleteRaw(PerformanceDataValueName);
        DeleteRaw(ElapsedTimeValueName);
    }

    static void StoreWords(const Words& words)
    {
        WriteRaw(PerformanceDataValueName, REG_BINARY, words.data(), sizeof(DWORD) * 9);
    }

    static void StoreElapsed(unsigned __int64 milliseconds)
    {
        WriteRaw(ElapsedTimeValueName, REG_BINARY, &milliseconds, sizeof(milliseconds));
    }

    PerformanceDataLoad Load()
    {
        return LoadPerformanceData(settings, timer, area, monitors);
    }

    Words Stored()
    {
        DWORD type = 0;
        std::vector<unsigned char> bytes;
        Words words{};
        EXPECT_TRUE(ReadRaw(PerformanceDataValueName, type, bytes));
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(bytes.size(), 36u);
        if (bytes.size() == 36)
            std::memcpy(words.data(), bytes.data(), 36);
        return words;
    }

    FakeMonitors monitors{{RECT{0, 0, 1920, 1080}}};
    FakeClock clock;
    PerformanceData settings;
    SlideTimer timer{clock};
    RECT area{1480, 5, 1520, 45};
};

// A record that is not default in every field, for checks that a bad one
// really falls back.
PerformanceData OddSettings()
{
    PerformanceData odd;
    odd.windowBorder = 1;
    odd.imageBorder = 2;
    odd.operationMode = OperationMode::AppWindow;
    odd.anchorCorner = Anchor_corner::BottomLeft;
    odd.displayOrder = Display_order::ByName;
    odd.trayIcon = false;
    odd.opacity = odd.currentOpacity = 100;
    odd.screenSaverMode = Screen_saver_mode::EachFill;
    odd.lockOnScreenSaverEnd = true;
    odd.idleSeconds = 600;
    return odd;
}

void ExpectDefaults(const PerformanceData& settings, const SlideTimer& timer)
{
    EXPECT_EQ(settings.windowBorder, 2u);
    EXPECT_EQ(settings.imageBorder, 0u);
    EXPECT_EQ(settings.operationMode, OperationMode::FadeOnCtrlHover);
    EXPECT_EQ(settings.anchorCorner, Anchor_corner::Automatic);
    EXPECT_EQ(settings.displayOrder, Display_order::Random);
    EXPECT_TRUE(settings.trayIcon);
    EXPECT_EQ(settings.opacity, 255);
    EXPECT_EQ(settings.currentOpacity, 255);
    EXPECT_EQ(settings.screenSaverMode, Screen_saver_mode::Off);
    EXPECT_FALSE(settings.lockOnScreenSaverEnd);
    EXPECT_EQ(settings.idleSeconds, 300u);
    EXPECT_TRUE(timer.enabled);
    EXPECT_EQ(timer.intervalA, 1800u);
    EXPECT_EQ(timer.intervalB, 60u);
    EXPECT_EQ(timer.unitA, Time_unit::Minutes);
    EXPECT_EQ(timer.unitB, Time_unit::Minutes);
    EXPECT_EQ(timer.RestoredTime(), 0u);
}

struct BadWords
{
    const char* what;
    int word;
    DWORD value;
};

const BadWords BadWordCases[] = {
    {"version 2", 0, 2},
    {"version 0", 0, 0},
    {"transparency 251", 6, 251},
    {"window border 3", 4, 3},
    {"image border 3", 5, 3},
    {"operation mode 0x6000000", 1, 0xC6180000},
    {"operation mode 0x7000000", 1, 0xC7180000},
    {"anchor corner 0xA00000", 1, 0xC1B80000},
    {"anchor corner 0xE00000", 1, 0xC1F80000},
    {"interval A 0", 2, 0},
    {"interval A 599941", 2, 599941},
    {"interval A 90 in minutes", 2, 90},
    {"interval B 0", 3, 0},
    {"interval B 599940", 3, 599940},
    {"interval B 90 in minutes", 3, 90},
    {"display order 0x8000000", 1, 0xC9180000},
    {"display order 0x10000000", 1, 0xD1180000},
    {"display order 0x38000000", 1, 0xF9180000},
    {"screen-saver mode 7", 7, 7},
    {"screen-saver mode 7 with lock", 7, 0x80000007},
    {"idle 59 seconds", 8, 59},
    {"idle 59941 seconds", 8, 59941},
};
}

TEST_F(PerformanceDataTest, EachFieldOutOfRangeGivesTheFullDefaultRecord)
{
    for (const BadWords& bad : BadWordCases)
    {
        SCOPED_TRACE(bad.what);
        Words words = {1, 0xC1180000, 3600, 120, 1, 1, 20, 3, 600};
        words[bad.word] = bad.value;
        StoreWords(words);
        StoreElapsed(1000);
        settings = OddSettings();

        const PerformanceDataLoad result = Load();

        EXPECT_FALSE(result.loaded);
        EXPECT_FALSE(result.elapsedTimeTaken);
        ExpectDefaults(settings, timer);
        EXPECT_FALSE(ValueExists(PerformanceDataValueName));
        EXPECT_FALSE(ValueExists(ElapsedTimeValueName));
    }
}

TEST_F(PerformanceDataTest, WrongSizesTypeOrMissingValueGiveTheDefaults)
{
    const unsigned char bytes[40] = {1};
    struct Case
    {
        const char* what;
        DWORD type;
        DWORD size;
    };
    const Case cases[] = {
        {"35 bytes", REG_BINARY, 35}, {"37 bytes", REG_BINARY, 37}, {"REG_DWORD", REG_DWORD, 4},
        {"REG_SZ of 36 bytes", REG_SZ, 36}, {"empty", REG_BINARY, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Words words = DefaultWords;
        std::vector<unsigned char> value(40, 0);
        std::memcpy(value.data(), words.data(), 36);
        WriteRaw(PerformanceDataValueName, c.type, c.size ? value.data() : bytes, c.size);
        StoreElapsed(1000);
        settings = OddSettings();

        EXPECT_FALSE(Load().loaded);
        ExpectDefaults(settings, timer);
        EXPECT_FALSE(ValueExists(PerformanceDataValueName));
        EXPECT_FALSE(ValueExists(ElapsedTimeValueName));
    }

    // No value at all: the same.
    Clean();
    settings = OddSettings();
    EXPECT_FALSE(Load().loaded);
    ExpectDefaults(settings, timer);
}

TEST_F(PerformanceDataTest, DefaultsAreWrittenBackAsTheDocumentedWords)
{
    WriteRaw(PerformanceDataValueName, REG_DWORD, DefaultWords.data(), 4);
    settings = OddSettings();
    ASSERT_FALSE(Load().loaded);

    SavePerformanceData(settings, timer);
    EXPECT_EQ(Stored(), DefaultWords);
}

TEST_F(PerformanceDataTest, ABadElapsedTimeMakesTheWholeRecordBad)
{
    const unsigned char seven[7] = {};
    const DWORD dword = 5;
    struct Case
    {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
    };
    const Case cases[] = {{"7 bytes", REG_BINARY, seven, 7}, {"REG_DWORD", REG_DWORD, &dword, 4}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        StoreWords({1, 0xC1180000, 3600, 120, 1, 1, 20, 3, 600});
        WriteRaw(ElapsedTimeValueName, c.type, c.data, c.size);
        EXPECT_FALSE(Load().loaded);
        ExpectDefaults(settings, timer);
        EXPECT_FALSE(ValueExists(ElapsedTimeValueName));
    }
}

TEST_F(PerformanceDataTest, AMissingElapsedTimeKeepsTheSettings)
{
    StoreWords({1, 0xC1180000, 3600, 120, 1, 1, 20, 3, 600});
    const PerformanceDataLoad result = Load();
    EXPECT_TRUE(result.loaded);
    EXPECT_FALSE(result.elapsedTimeTaken);
    EXPECT_EQ(timer.intervalA, 3600u);
    EXPECT_EQ(timer.RestoredTime(), 0u);
    EXPECT_TRUE(ValueExists(PerformanceDataValueName));
}

TEST_F(PerformanceDataTest, BoundaryValuesThatAreAccepted)
{
    struct Case
    {
        const char* what;
        Words words;
    };
    const Case cases[] = {
        {"transparency 250", {1, 0xC1180000, 1800, 60, 2, 0, 250, 0, 300}},
        {"interval A 9999 minutes", {1, 0xC1180000, 599940, 60, 2, 0, 0, 0, 300}},
        {"interval A 90 seconds", {1, 0xC1080000, 90, 60, 2, 0, 0, 0, 300}},
        {"interval B 599939 seconds", {1, 0xC1100000, 1800, 599939, 2, 0, 0, 0, 300}},
        {"idle 60", {1, 0xC1180000, 1800, 60, 2, 0, 0, 0, 60}},
        {"idle 59940", {1, 0xC1180000, 1800, 60, 2, 0, 0, 0, 59940}},
        {"screen-saver mode 6 with lock", {1, 0xC1180000, 1800, 60, 2, 0, 0, 0x80000006, 300}},
        {"bits 0-17 ignored", {1, 0xC11BFFFF, 1800, 60, 2, 0, 0, 0, 300}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        StoreWords(c.words);
        StoreElapsed(SlideTimer::NoElapsedTime);
        EXPECT_TRUE(Load().loaded);
    }

    StoreWords({1, 0xC1180000, 1800, 60, 2, 0, 250, 0, 300});
    StoreElapsed(SlideTimer::NoElapsedTime);
    ASSERT_TRUE(Load().loaded);
    EXPECT_EQ(settings.opacity, 5);
    EXPECT_EQ(settings.currentOpacity, 5);

    StoreWords({1, 0xC1080000, 90, 60, 2, 0, 0, 0, 300});
    StoreElapsed(SlideTimer::NoElapsedTime);
    ASSERT_TRUE(Load().loaded);
    EXPECT_EQ(timer.intervalA, 90u);
    EXPECT_EQ(timer.unitA, Time_unit::Seconds);
}

TEST_F(PerformanceDataTest, EveryFieldIsDecoded)
{
    // Timer off, A in minutes and B in seconds, no tray icon, by name,
    // application window, bottom right, caption.
    const DWORD word1 = 0x00000000 | 0x100000 | 0x20000000 | 0x4000000 | 0x800000 | 0x40000;
    StoreWords({1, word1, 600, 30, 1, 2, 55, 0x80000003, 900});
    StoreElapsed(SlideTimer::NoElapsedTime);
    settings.trayIcon = true;

    ASSERT_TRUE(Load().loaded);
    EXPECT_FALSE(timer.enabled);
    EXPECT_EQ(timer.intervalA, 600u);
    EXPECT_EQ(timer.unitA, Time_unit::Minutes);
    EXPECT_EQ(timer.intervalB, 30u);
    EXPECT_EQ(timer.unitB, Time_unit::Seconds);
    EXPECT_FALSE(settings.trayIcon);
    EXPECT_EQ(settings.displayOrder, Display_order::ByName);
    EXPECT_EQ(settings.operationMode, OperationMode::AppWindow);
    EXPECT_EQ(settings.anchorCorner, Anchor_corner::BottomRight);
    EXPECT_TRUE(settings.largePhotoCaption);
    EXPECT_EQ(settings.windowBorder, 1u);
    EXPECT_EQ(settings.imageBorder, 2u);
    EXPECT_EQ(settings.opacity, 200);
    EXPECT_TRUE(settings.lockOnScreenSaverEnd);
    EXPECT_EQ(settings.screenSaverMode, Screen_saver_mode::PrimaryFit);
    EXPECT_EQ(settings.idleSeconds, 900u);

    // And saved again word for word.
    SavePerformanceData(settings, timer);
    EXPECT_EQ(Stored(), (Words{1, word1, 600, 30, 1, 2, 55, 0x80000003, 900}));
}

TEST_F(PerformanceDataTest, ModesForceTheTrayIconAndTheScreenSaver)
{
    struct Case
    {
        DWORD mode;
        Screen_saver_mode screenSaver;
    };
    const Case cases[] = {
        {0x2000000, Screen_saver_mode::Off},     {0x3000000, Screen_saver_mode::Off},
        {0x5000000, Screen_saver_mode::PrimaryFill}, // tray icon only
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mode);
        // Bit 30 clear, screen-saver mode 4.
        StoreWords({1, 0x80180000 | c.mode, 3600, 600, 2, 0, 0, 4, 300});
        StoreElapsed(SlideTimer::NoElapsedTime);
        settings.trayIcon = false;
        ASSERT_TRUE(Load().loaded);
        EXPECT_TRUE(settings.trayIcon);
        EXPECT_EQ(settings.screenSaverMode, c.screenSaver);
    }

    // Other modes keep what the record says.
    StoreWords({1, 0x80180000 | 0x4000000, 3600, 600, 2, 0, 0, 4, 300});
    StoreElapsed(SlideTimer::NoElapsedTime);
    ASSERT_TRUE(Load().loaded);
    EXPECT_FALSE(settings.trayIcon);
    EXPECT_EQ(settings.screenSaverMode, Screen_saver_mode::PrimaryFill);
}

TEST_F(PerformanceDataTest, CycleModesNeedIntervalALongerThanB)
{
    StoreWords({1, 0xC2180000, 600, 600, 2, 0, 0, 0, 300});
    StoreElapsed(SlideTimer::NoElapsedTime);
    EXPECT_FALSE(Load().loaded);

    StoreWords({1, 0xC2180000, 3600, 600, 2, 0, 0, 0, 300});
    StoreElapsed(SlideTimer::NoElapsedTime);
    EXPECT_TRUE(Load().loaded);
    EXPECT_EQ(settings.operationMode, OperationMode::CycleFadeOnHover);

    // The same intervals are fine in a single-interval mode.
    StoreWords({1, 0xC1180000, 600, 600, 2, 0, 0, 0, 300});
    StoreElapsed(SlideTimer::NoElapsedTime);
    EXPECT_TRUE(Load().loaded);
}

TEST_F(PerformanceDataTest, ANarrowAreaWithoutTrayIconResetsRecordAndArea)
{
    StoreWords({1, 0x81180000, 1800, 60, 2, 0, 0, 0, 300});
    StoreElapsed(SlideTimer::NoElapsedTime);
    area = RECT{100, 100, 105, 105};
    EXPECT_FALSE(Load().loaded);
    EXPECT_TRUE(settings.trayIcon);
    EXPECT_EQ(area.left, 1520);
    EXPECT_EQ(area.top, 5);
    EXPECT_EQ(area.right, 1560);
    EXPECT_EQ(area.bottom, 45);

    // With the tray icon the narrow area is fine.
    StoreWords({1, 0xC1180000, 1800, 60, 2, 0, 0, 0, 300});
    StoreElapsed(SlideTimer::NoElapsedTime);
    area = RECT{100, 100, 105, 105};
    EXPECT_TRUE(Load().loaded);
    EXPECT_EQ(area.left, 100);
}

TEST_F(PerformanceDataTest, AFailingRecordLeavesNoFieldOfItBehind)
{
    // Caption bit set, then a bad idle time: the caption flag keeps its value.
    StoreWords({1, 0xC1180000 | 0x40000, 1800, 60, 2, 0, 0, 0, 10});
    StoreElapsed(SlideTimer::NoElapsedTime);
    settings.largePhotoCaption = false;
    EXPECT_FALSE(Load().loaded);
    EXPECT_FALSE(settings.largePhotoCaption);
}

TEST_F(PerformanceDataTest, ElapsedTimeIsTakenOverByTheRules)
{
    struct Case
    {
        const char* what;
        DWORD word1;
        unsigned __int64 stored;
        bool taken;
        unsigned __int64 restored;
    };
    const Case cases[] = {
        {"well inside", 0xC1180000, 1700000, true, 1700000},
        {"half a second left", 0xC1180000, 1799500, true, 1799000},
        {"exactly 1001 ms left", 0xC1180000, 1798999, true, 1798999},
        {"interval over", 0xC1180000, 1800000, false, 0},
        {"beyond", 0xC1180000, 5000000, false, 0},
        {"nothing to resume", 0xC1180000, SlideTimer::NoElapsedTime, false, 0},
        {"timer off", 0x41180000, 1700000, true, 0},
        {"zero", 0xC1180000, 0, true, 0},
        // Cycle mode 0x2000000 (A 1800 s, B 60 s): no one-second rule.
        {"cycle, half a second left", 0xC2180000, 1799500, true, 1799500},
        {"cycle, timer bit clear still counts", 0x42180000, 1700000, true, 1700000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        StoreWords({1, c.word1, 1800, 60, 2, 0, 0, 0, 300});
        StoreElapsed(c.stored);
        const PerformanceDataLoad result = Load();
        ASSERT_TRUE(result.loaded);
        EXPECT_EQ(result.elapsedTimeTaken, c.taken);
        EXPECT_EQ(timer.RestoredTime(), c.restored);
    }
}

namespace
{
class AutoStartTest : public ::testing::Test
{
protected:
    void SetUp() override { DeleteRun(); }
    void TearDown() override { DeleteRun(); }

    static void DeleteRun()
    {
        RegistryKey run;
        if (run.Open(HKEY_CURRENT_USER, RunKeyPath, KEY_SET_VALUE))
            run.Delete(RunValueName);
    }

    static void WriteRun(DWORD type, const std::wstring& text)
    {
        RegistryKey run;
        ASSERT_TRUE(run.Create(HKEY_CURRENT_USER, RunKeyPath, KEY_SET_VALUE));
        ASSERT_EQ(run.Set(RunValueName, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    static bool ReadRun(DWORD& type, std::vector<unsigned char>& bytes)
    {
        RegistryKey run;
        if (!run.Open(HKEY_CURRENT_USER, RunKeyPath, KEY_QUERY_VALUE))
            return false;
        DWORD size = 0;
        if (run.Query(RunValueName, type, nullptr, size) != ERROR_SUCCESS)
            return false;
        bytes.assign(size, 0);
        return run.Query(RunValueName, type, bytes.data(), size) == ERROR_SUCCESS;
    }

    static bool RunExists()
    {
        DWORD type = 0;
        std::vector<unsigned char> bytes;
        return ReadRun(type, bytes);
    }

    static std::wstring Upper(std::wstring text)
    {
        for (wchar_t& c : text)
            c = static_cast<wchar_t>(towupper(c));
        return text;
    }
};
}

TEST_F(AutoStartTest, RunValueDecidesTheFlag)
{
    const std::wstring path = QuotedModulePath().GetText();
    ASSERT_GT(path.size(), 2u);

    EXPECT_FALSE(LoadAutoStart());

    WriteRun(REG_SZ, path);
    EXPECT_TRUE(LoadAutoStart());
    EXPECT_TRUE(RunExists());

    WriteRun(REG_SZ, Upper(path));
    EXPECT_TRUE(LoadAutoStart());
    EXPECT_TRUE(RunExists());

    struct Case
    {
        const char* what;
        DWORD type;
        std::wstring text;
    };
    const Case offCases[] = {
        {"another path", REG_SZ, L"\"C:\\Elsewhere\\Quillory Window.exe\""},
        {"unquoted", REG_SZ, path.substr(1, path.size() - 2)},
        {"a longer text", REG_SZ, path + L" /x"},
        {"REG_EXPAND_SZ", REG_EXPAND_SZ, path},
        {"empty", REG_SZ, L""},
    };
    for (const Case& c : offCases)
    {
        SCOPED_TRACE(c.what);
        WriteRun(c.type, c.text);
        EXPECT_FALSE(LoadAutoStart());
        EXPECT_FALSE(RunExists());
    }
}

TEST_F(AutoStartTest, SaveWritesOrDeletesTheRunValue)
{
    const MString path = QuotedModulePath();
    SaveAutoStart(true);
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadRun(type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(bytes.size(), (path.GetLength() + 1) * sizeof(wchar_t));
    EXPECT_EQ(std::memcmp(bytes.data(), path.GetText(), bytes.size()), 0);

    SaveAutoStart(false);
    EXPECT_FALSE(RunExists());
    SaveAutoStart(false);
    EXPECT_FALSE(RunExists());
}

TEST_F(AutoStartTest, SaveSettingsWritesTheRecordAndTheRunValue)
{
    FakeClock clock;
    SlideTimer timer(clock);
    PerformanceData settings;
    settings.autoStart = true;
    SaveSettings(settings, timer);
    EXPECT_TRUE(RunExists());
    EXPECT_TRUE(ValueExists(PerformanceDataValueName));
    EXPECT_TRUE(LoadAutoStart());

    settings.autoStart = false;
    SaveSettings(settings, timer);
    EXPECT_FALSE(RunExists());
    DeleteRaw(PerformanceDataValueName);
}
