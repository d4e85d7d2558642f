// The enumerations of the slide show's settings record. Each value is the
// masked bit field as it stands in the stored words, so that a setting goes
// into and out of "Performance Data" without translation.
#pragma once

#include <windows.h>

// How the main window sits among other windows and when it steps aside.
enum class OperationMode : DWORD
{
    FadeOnHover = 0x0000000,          // topmost; fades while the cursor is over it
    FadeOnCtrlHover = 0x1000000,      // topmost; fades only with Ctrl held
    CycleFadeOnHover = 0x2000000,     // as FadeOnHover, shown for interval B of every interval A
    CycleFadeOnCtrlHover = 0x3000000, // as FadeOnCtrlHover, shown for interval B of every interval A
    AppWindow = 0x4000000,            // ordinary window with a task-bar button
    ToolWindow = 0x5000000,           // neither topmost nor in the task bar
};

constexpr DWORD OperationModeMask = 0x7000000;
// The mode bits of the plain modes (fade with Ctrl, application window): a
// mode without other bits counts as plain.
constexpr DWORD PlainOperationModeBits = 0x01000000 | 0x04000000;

// The modes in which each slide stays for interval A.
inline bool IsSingleIntervalMode(OperationMode mode)
{
    return (static_cast<DWORD>(mode) & ~0x5000000u) == 0;
}

// The modes that show for interval B and hide for the rest of interval A.
inline bool IsCycleMode(OperationMode mode)
{
    return mode == OperationMode::CycleFadeOnHover || mode == OperationMode::CycleFadeOnCtrlHover;
}

// The corner of the display area at which the window is anchored.
enum class Anchor_corner : DWORD
{
    Automatic = 0,
    TopLeft = 0x200000,
    TopRight = 0x400000,
    BottomLeft = 0x600000,
    BottomRight = 0x800000,
};

constexpr DWORD AnchorCornerMask = 0xE00000;

// A corner actually chosen: never Automatic.
enum class Anchor_corner_effective : DWORD
{
    TopLeft = 0x200000,
    TopRight = 0x400000,
    BottomLeft = 0x600000,
    BottomRight = 0x800000,
};

enum class Display_order : DWORD
{
    Random = 0,
    ByName = 0x20000000,
};

constexpr DWORD DisplayOrderMask = 0x38000000;

// Unit in which an interval is edited; minutes require a whole number of them.
enum class Time_unit : DWORD
{
    Seconds = 0,
    Minutes = 1,
};

// Screen-saver layout: one window over all monitors, one per monitor showing
// the slide on the primary only, or one per monitor each showing it; the
// picture is fitted inside or fills the window.
enum class Screen_saver_mode : DWORD
{
    Off = 0,
    SpanFit = 1,
    SpanFill = 2,
    PrimaryFit = 3,
    PrimaryFill = 4,
    EachFit = 5,
    EachFill = 6,
};
