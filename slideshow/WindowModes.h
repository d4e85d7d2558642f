// The rules by which the main window sits among other windows and gets out
// of the user's way, by OperationMode and the Ctrl and Shift keys: the
// styles and z-order of each mode, the borders, the steps of the window
// fade, when hovering fades the window out, when a drag may start, where
// the context menu opens, and which of the program's own dialogs are open.
#pragma once

#include "core/PrivateMessages.h"
#include "slideshow/SettingsTypes.h"

#include <windows.h>

// The styles and z-order that a mode gives the main window.
struct WindowModeStyle
{
    bool topmost;
    LONG_PTR styleOn;
    LONG_PTR styleOff;
    LONG_PTR exStyleOn;
    LONG_PTR exStyleOff;
};

// 0x4000000 is an application window with a task-bar button, a minimise box
// and a system menu; every other mode is a tool window without them, and
// only 0x4000000 and 0x5000000 are not topmost.
WindowModeStyle StyleOfMode(OperationMode mode);

// Whether the mode keeps the window above others (and re-asserts it).
inline bool ModeIsTopmost(OperationMode mode)
{
    return mode != OperationMode::AppWindow && mode != OperationMode::ToolWindow;
}

// A style value with the bits of on set and those of off cleared.
inline LONG_PTR ChangeStyle(LONG_PTR style, LONG_PTR on, LONG_PTR off)
{
    return (style & ~off) | on;
}

// Style bits of a border value (0 none, 1 thin border, 2 dialog frame for
// the window; 0 none, 1 thin border, 2 modal frame for the picture).
struct BorderStyle
{
    LONG_PTR styleOn;
    LONG_PTR styleOff;
    LONG_PTR exStyleOn;
    LONG_PTR exStyleOff;
};
BorderStyle WindowBorderStyle(DWORD border);
BorderStyle PictureBorderStyle(DWORD border);

// No border value of a slide's own: the setting applies.
constexpr DWORD NoBorderOverride = ~0u;

struct SlideBorders
{
    DWORD window;
    DWORD picture;
};

// The settings' borders, replaced by the slide's own values (each unless it
// is NoBorderOverride) when the slide is online content (kinds 1, 2 and 4).
SlideBorders ChooseBorders(DWORD windowBorder, DWORD imageBorder, int slideKind, DWORD slideWindowBorder,
                           DWORD slideImageBorder);

// Gives a window the z-order and styles of the mode; a style is written
// only when it changes.
void ApplyModeToWindow(HWND window, OperationMode mode);

// Gives the window and its picture control the borders when they differ
// from those last applied (applied; all ones at first, so that the first
// call acts): the frame is recomputed and the picture control fills the
// client area again. Returns whether anything changed.
bool ApplyBordersToWindow(HWND window, HWND picture, const SlideBorders& borders, SlideBorders& applied);

// ---- The window fade ----

// The fade timer steps the fade.
constexpr UINT WindowFadePeriod = 30;

struct FadeStep
{
    BYTE alpha;
    bool finished; // the alpha reached 0 (hiding) or the target (showing)
};

// One step of max(1, target x 50 / 255) towards the target or towards 0.
FadeStep NextFadeAlpha(BYTE alpha, BYTE target, bool showing);

// ---- Hovering, Ctrl and dragging ----

// The hover timer watches for the cursor to leave.
constexpr UINT HoverWatchPeriod = 250;

// The fade state codes reported to the controller when a fade ends: the
// tray states of WM_TRAY_STATE.
constexpr DWORD FadeStateShown = TrayStateShown;
constexpr DWORD FadeStateHiddenUntilNextCycle = TrayStateHidden;
constexpr DWORD FadeStateHover = TrayStateWaiting;

// Whether the cursor over the window fades it out: modes 0 and 0x2000000
// with Ctrl up, 0x1000000 and 0x3000000 with Ctrl down, never otherwise.
bool HoverFadesOut(OperationMode mode, bool ctrlDown);

// Whether Ctrl pressed (keyDown) or released over the picture starts the
// hover fade-out: a key-down in 0x1000000 and 0x3000000, a key-up in 0 and
// 0x2000000, never in 0x4000000 and 0x5000000.
bool CtrlKeyStartsHoverFade(OperationMode mode, bool keyDown);

// Whether a left-button drag may start: never in 0 and 0x2000000, always in
// 0x4000000 and 0x5000000, in 0x1000000 and 0x3000000 only without Ctrl.
bool ModeAllowsDrag(OperationMode mode, bool ctrlDown);

// The window rectangle moved by the cursor's offset from the drag start.
RECT DraggedWindowRect(const RECT& window, POINT dragStart, POINT cursor);

// ---- The context menu of Shift + right click ----

// The point at which the menu opens beside the window: below it when the
// window's top edge lies in the upper half of the work area (upwards false),
// else above it (upwards true).
POINT ContextMenuPoint(const RECT& window, const RECT& workArea, bool& upwards);

// ---- The program's own dialogs ----

enum OwnDialogScope : int
{
    // The slide timer and the topmost watch: dialogs, viewers and the
    // slide-properties window.
    ScopeSlideTimer = 0,
    // The viewer openers and the right button: the same.
    ScopeViewerOpeners = 1,
    // Dialogs and the slide-properties window, not the viewers.
    ScopeDialogsOnly = 2,
};

// Whether one of the program's dialogs (or, for scopes 0 and 1, viewers) is
// open: its DialogMutex exists.
bool IsOwnDialogOpen(int scope);
// Whether the settings dialog is open.
bool IsSettingsDialogOpen();
