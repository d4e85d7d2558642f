#include "slideshow/PerformanceData.h"

#include "slideshow/DisplayArea.h"
#include "slideshow/SettingsRegistry.h"

#include <vector>

const wchar_t PerformanceDataValueName[] = L"Performance Data";

namespace
{
constexpr DWORD TimerOnBit = 0x80000000;
constexpr DWORD TrayIconBit = 0x40000000;
constexpr DWORD MinutesABit = 0x100000;
constexpr DWORD MinutesBBit = 0x80000;
constexpr DWORD LargePhotoCaptionBit = 0x40000;
constexpr DWORD LockBit = 0x80000000;

// Why a record was refused; they only tell a debugger which check failed.
enum class BadRecord
{
    None,
    NoProductKey,
    Unreadable,
    NotBinary,
    WrongVersion,
    WrongSize,
    BadTransparency,
    BadWindowBorder,
    BadImageBorder,
    BadTimer,
    BadOperationMode,
    BadAnchorCorner,
    BadDisplayOrder,
    UnreachableWindow,
    BadScreenSaverMode,
    BadIdleTime,
};

struct DecodedRecord
{
    BadRecord bad = BadRecord::None;
    bool elapsedTimeTaken = false;
};

DecodedRecord Refused(BadRecord why)
{
    DecodedRecord result;
    result.bad = why;
    return result;
}

// Reads and checks the record into settings and timer, which are left half
// filled when a check fails.
DecodedRecord DecodeRecord(PerformanceData& settings, SlideTimer& timer, RECT& displayArea,
                           const MonitorProvider& monitors)
{
    RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_QUERY_VALUE))
        return Refused(BadRecord::NoProductKey);
    DWORD words[PerformanceData::WordCount] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof(words);
    if (key.Query(PerformanceDataValueName, type, words, size) != ERROR_SUCCESS)
        return Refused(BadRecord::Unreadable);
    if (type != REG_BINARY)
        return Refused(BadRecord::NotBinary);
    if (words[0] != PerformanceData::Version)
        return Refused(BadRecord::WrongVersion);
    if (size != sizeof(words))
        return Refused(BadRecord::WrongSize);

    if (words[6] > PerformanceData::MaxTransparency)
        return Refused(BadRecord::BadTransparency);
    settings.opacity = settings.currentOpacity = static_cast<BYTE>(255 - words[6]);
    if (words[4] > PerformanceData::MaxBorder)
        return Refused(BadRecord::BadWindowBorder);
    settings.windowBorder = words[4];
    if (words[5] > PerformanceData::MaxBorder)
        return Refused(BadRecord::BadImageBorder);
    settings.imageBorder = words[5];

    const DWORD mode = words[1] & OperationModeMask;
    if (mode > static_cast<DWORD>(OperationMode::ToolWindow))
        return Refused(BadRecord::BadOperationMode);
    settings.operationMode = static_cast<OperationMode>(mode);
    const DWORD corner = words[1] & AnchorCornerMask;
    if (corner > static_cast<DWORD>(Anchor_corner::BottomRight))
        return Refused(BadRecord::BadAnchorCorner);
    settings.anchorCorner = static_cast<Anchor_corner>(corner);

    DecodedRecord result;
    const SlideTimerLoad timerLoad = timer.Load(words, key, settings.operationMode);
    if (timerLoad.error != SlideTimerLoadError::None)
        return Refused(BadRecord::BadTimer);
    result.elapsedTimeTaken = timerLoad.elapsedTimeTaken;

    const DWORD order = words[1] & DisplayOrderMask;
    if (order != static_cast<DWORD>(Display_order::Random) && order != static_cast<DWORD>(Display_order::ByName))
        return Refused(BadRecord::BadDisplayOrder);
    settings.displayOrder = static_cast<Display_order>(order);

    settings.trayIcon = (words[1] & TrayIconBit) != 0;
    if (displayArea.right - displayArea.left < PerformanceData::NarrowestAreaWithoutTrayIcon && !settings.trayIcon)
    {
        SetDefaultDisplayArea(displayArea, monitors);
        return Refused(BadRecord::UnreachableWindow);
    }

    settings.largePhotoCaption = (words[1] & LargePhotoCaptionBit) != 0;
    settings.lockOnScreenSaverEnd = (words[7] & LockBit) != 0;
    const DWORD screenSaver = words[7] & ~LockBit;
    if (screenSaver > static_cast<DWORD>(Screen_saver_mode::EachFill))
        return Refused(BadRecord::BadScreenSaverMode);
    settings.screenSaverMode = static_cast<Screen_saver_mode>(screenSaver);
    if (words[8] < PerformanceData::MinIdleSeconds || words[8] > PerformanceData::MaxIdleSeconds)
        return Refused(BadRecord::BadIdleTime);
    settings.idleSeconds = words[8];

    if (IsCycleMode(settings.operationMode))
    {
        settings.screenSaverMode = Screen_saver_mode::Off;
        settings.trayIcon = true;
    }
    else if (settings.operationMode == OperationMode::ToolWindow)
    {
        settings.trayIcon = true;
    }
    return result;
}
}

void PerformanceData::SetDefaults()
{
    windowBorder = 2;
    imageBorder = 0;
    operationMode = OperationMode::FadeOnCtrlHover;
    anchorCorner = Anchor_corner::Automatic;
    displayOrder = Display_order::Random;
    trayIcon = true;
    opacity = currentOpacity = 255;
    screenSaverMode = Screen_saver_mode::Off;
    lockOnScreenSaverEnd = false;
    idleSeconds = 300;
}

PerformanceData::Words PerformanceData::ToWords(const SlideTimer& timer) const
{
    Words words{};
    words[0] = Version;
    words[1] = (timer.enabled ? TimerOnBit : 0) | (timer.unitA == Time_unit::Minutes ? MinutesABit : 0) |
               (timer.unitB == Time_unit::Minutes ? MinutesBBit : 0) | (trayIcon ? TrayIconBit : 0) |
               static_cast<DWORD>(operationMode) | static_cast<DWORD>(anchorCorner) |
               (largePhotoCaption ? LargePhotoCaptionBit : 0) |
               (displayOrder == Display_order::ByName ? static_cast<DWORD>(Display_order::ByName) : 0);
    words[2] = static_cast<DWORD>(timer.intervalA);
    words[3] = static_cast<DWORD>(timer.intervalB);
    words[4] = windowBorder;
    words[5] = imageBorder;
    words[6] = 255u - opacity;
    words[7] = (lockOnScreenSaverEnd ? LockBit : 0) | static_cast<DWORD>(screenSaverMode);
    words[8] = static_cast<DWORD>(idleSeconds);
    return words;
}

PerformanceDataLoad LoadPerformanceData(PerformanceData& settings, SlideTimer& timer, RECT& displayArea,
                                        const MonitorProvider& monitors)
{
    PerformanceDataLoad result;
    // Decoded into a copy, so that a record failing halfway leaves no field
    // of it behind (the caption flag keeps its value).
    PerformanceData loaded = settings;
    const DecodedRecord decoded = DecodeRecord(loaded, timer, displayArea, monitors);
    if (decoded.bad != BadRecord::None)
    {
        settings.SetDefaults();
        timer.SetDefaults();
        DeletePerformanceData();
        DeleteElapsedTime();
        return result;
    }
    settings = loaded;
    result.loaded = true;
    result.elapsedTimeTaken = decoded.elapsedTimeTaken;
    return result;
}

void SavePerformanceData(const PerformanceData& settings, const SlideTimer& timer)
{
    const PerformanceData::Words words = settings.ToWords(timer);
    WriteProductValue(PerformanceDataValueName, REG_BINARY, words.data(),
                      static_cast<DWORD>(words.size() * sizeof(DWORD)));
}

void DeletePerformanceData()
{
    DeleteProductValue(PerformanceDataValueName);
}

void SaveSettings(const PerformanceData& settings, const SlideTimer& timer)
{
    SavePerformanceData(settings, timer);
    SaveAutoStart(settings.autoStart);
}

bool LoadAutoStart()
{
    RegistryKey run;
    if (!run.Open(HKEY_CURRENT_USER, RunKeyPath, KEY_QUERY_VALUE | KEY_SET_VALUE))
        return false;
    // 40000 bytes, and one more character so that the text always ends.
    std::vector<wchar_t> text(20001, 0);
    DWORD type = REG_NONE;
    DWORD size = 40000;
    const LONG result = run.Query(RunValueName, type, text.data(), size);
    // With no Run value the flag is off; nothing is left to delete.
    if (result == ERROR_FILE_NOT_FOUND)
        return false;

    bool on = false;
    if (result == ERROR_SUCCESS && type == REG_SZ)
    {
        int length = 0;
        const int stored = static_cast<int>(size / sizeof(wchar_t));
        while (length < stored && text[length] != 0)
            ++length;
        const MString wanted = QuotedModulePath();
        on = CompareStringOrdinal(text.data(), length, wanted.GetText(), static_cast<int>(wanted.GetLength()),
                                  TRUE) == CSTR_EQUAL;
    }
    if (!on)
        run.Delete(RunValueName);
    return on;
}

void SaveAutoStart(bool on)
{
    RegistryKey run;
    if (!run.Create(HKEY_CURRENT_USER, RunKeyPath, KEY_SET_VALUE))
        return;
    if (!on)
    {
        run.Delete(RunValueName);
        return;
    }
    const MString path = QuotedModulePath();
    const DWORD bytes = static_cast<DWORD>((path.GetLength() + 1) * sizeof(wchar_t));
    if (run.Set(RunValueName, REG_SZ, path.GetText(), bytes) != ERROR_SUCCESS)
        run.Delete(RunValueName);
}
