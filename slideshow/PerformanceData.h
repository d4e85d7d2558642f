// The slide show's settings record "Performance Data" (nine 32-bit words,
// version 1) as the main window keeps it in memory, its loading with all
// checks and defaults, its saving, and start with Windows (the Run value).
#pragma once

#include "slideshow/MonitorProvider.h"
#include "slideshow/SettingsTypes.h"
#include "slideshow/SlideTimer.h"

#include <windows.h>

#include <array>

extern const wchar_t PerformanceDataValueName[];

// The settings fields of the main window. The slide timer's own fields
// (timer on, intervals A and B, their units) live in SlideTimer.
struct PerformanceData
{
    static constexpr DWORD Version = 1;
    static constexpr size_t WordCount = 9;
    using Words = std::array<DWORD, WordCount>;

    // The limits of the fields: loading refuses a record outside them and
    // the settings dialog accepts nothing outside them.
    static constexpr DWORD MaxTransparency = 250; // opacity runs from 255 down to 255 - 250
    static constexpr DWORD MaxBorder = 2;
    static constexpr DWORD MinIdleSeconds = 60;
    static constexpr DWORD MaxIdleSeconds = 59940; // 999 minutes
    // A display area narrower than this needs the tray icon to stay reachable.
    static constexpr LONG NarrowestAreaWithoutTrayIcon = 8;

    DWORD windowBorder = 2; // 0 none, 1 thin border, 2 dialog frame
    DWORD imageBorder = 0;  // 0 none, 1 thin border, 2 sunken modal frame
    OperationMode operationMode = OperationMode::FadeOnCtrlHover;
    Anchor_corner anchorCorner = Anchor_corner::Automatic;
    Display_order displayOrder = Display_order::Random;
    bool trayIcon = true;
    bool largePhotoCaption = false; // not part of the defaults: kept as it was
    bool autoStart = false;         // the Run value, not a word of the record
    BYTE opacity = 255;             // configured; the record stores 255 - opacity
    BYTE currentOpacity = 255;      // changes during fades; never stored
    Screen_saver_mode screenSaverMode = Screen_saver_mode::Off;
    bool lockOnScreenSaverEnd = false;
    unsigned __int64 idleSeconds = 300; // MinIdleSeconds..MaxIdleSeconds

    // The record's defaults; the caption and auto-start flags keep their values.
    void SetDefaults();

    // The nine words of the record for these settings and the timer.
    Words ToWords(const SlideTimer& timer) const;
};

// Result of loading the record.
struct PerformanceDataLoad
{
    // false: the stored record was bad and the defaults are in place; the
    // caller deletes "Current Slide", writes the defaults back with
    // SaveSettings and does not restore a slide.
    bool loaded = false;
    // Whether the timer took over a shown time from "Elapsed Time"; when
    // false the show starts with a new slide.
    bool elapsedTimeTaken = false;
};

// Loads "Performance Data" and, through the timer, "Elapsed Time". A bad
// record (any failed check, of either value) resets settings and timer to
// the defaults and deletes both values. A display area narrower than 8 pixels
// without the tray icon would leave no way to reach the program: the area
// then becomes the default (in memory) and the record counts as bad. The
// per-mode rules are applied to a good record: the cycle modes have no
// screen saver, and the cycle and tool-window modes always show the tray icon.
// The auto-start flag is not touched (see LoadAutoStart).
PerformanceDataLoad LoadPerformanceData(PerformanceData& settings, SlideTimer& timer, RECT& displayArea,
                                        const MonitorProvider& monitors = SystemMonitors());

// Writes "Performance Data" (a failed write deletes it).
void SavePerformanceData(const PerformanceData& settings, const SlideTimer& timer);
void DeletePerformanceData();

// "Performance Data" and the Run value, from settings.autoStart.
void SaveSettings(const PerformanceData& settings, const SlideTimer& timer);

// Whether the Run value holds this program's quoted path (letter case aside).
// A Run value that does not is deleted.
bool LoadAutoStart();
// Writes the Run value with the quoted program path, or deletes it.
void SaveAutoStart(bool on);
