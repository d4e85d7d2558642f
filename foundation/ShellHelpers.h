// Small helpers over the shell, the registry, terminal services, monitors and
// GDI+ that several windows share. None keeps state between calls; each
// reports failure through its result.
#pragma once

#include "foundation/StringEx.h"

#include <objidl.h>

#include <gdiplus.h>

// A balloon tooltip (TTS_BALLOON, TTS_ALWAYSTIP) owned by owner, with one tool
// for the control showing text. The window is not checked: a failed creation
// leaves toolTip null.
void CreateToolTip(HWND owner, HWND control, HWND& toolTip, const MStringEx<wchar_t>& text);

// True when Explorer is set to show hidden files ("Hidden" is 1).
bool ExplorerShowsHiddenFiles();

// The shell verbs the program hands files to ShellExecuteEx with.
enum class ShellVerbCode : int
{
    Open = 0,
    Play = 1,
    Edit = 2,
    Print = 3,
    Explore = 4,
    Properties = 5,
};
// The verb's name as ShellExecuteEx takes it ("open", "play", ...).
const wchar_t* ShellVerbName(ShellVerbCode verb);

// The kind of file QueryShellVerbs is asked about.
enum ShellVerbFileKind : int
{
    VerbsForPicture = 0,
    VerbsForMedia = 1,
    VerbsForDocument = 2,
    VerbsForOther = 3,
};

// The shell verbs that files of the extension (without its dot) support.
// Pictures and documents are opened, edited and printed by the program's own
// rules; media is played; any other kind asks the registry by the
// extension's perceived type.
void QueryShellVerbs(const MStringEx<wchar_t>& extension, int kind, bool& open, bool& play, bool& edit,
                     bool& explore, bool& print);

// Fills a rectangle with rounded corners of radius r; the first failing
// status stays as the graphics object's last status.
void FillRoundedRect(Gdiplus::Graphics& graphics, const Gdiplus::Brush& brush, const Gdiplus::Rect& rect, int r);

// Replaces bitmap and graphics (deleting the previous ones) with a new 32-bit
// ARGB bitmap of the rectangle's size at the resolution, transparent, with a
// soft-edged rounded panel in the colour. Throws MSmartPtrError when GDI+
// cannot make the bitmap or its graphics.
void CreateFilledBitmap(const Gdiplus::Rect& rect, float dpiX, float dpiY, Gdiplus::ARGB colour,
                        Gdiplus::Bitmap*& bitmap, Gdiplus::Graphics*& graphics);

// 0 when the user's session is locked, 1 when unlocked, 2 when unknown.
int QuerySessionLockState();
// The same answer from a WTSSessionInfoEx record of size bytes as the system
// returns it: level 1 with session flags 0 gives 0, with flags 1 gives 1;
// any other level or flags, and a record too short to hold the flags, give 2.
int DecodeSessionFlags(const void* data, DWORD size);

// The "ProductVersion" of the program's own version resource.
MStringEx<wchar_t> GetProductVersion();

// The user's Desktop folder without trailing backslashes, created when
// missing; empty when it cannot be found.
MStringEx<wchar_t> GetDesktopFolderPath();

// Places r 25 pixels beside first (right of it, or left when toLeft) with its
// top at first's height, or else beside second with its bottom at second's
// height, kept inside that monitor's work area vertically. False when
// neither point gives a place on a monitor (r may have moved).
bool PlaceRectNearPoint(POINT first, POINT second, bool toLeft, RECT& r);

// A text property of an image: byte items (the "XP" tags) as UTF-16, ASCII
// items as UTF-8, both trimmed; empty for anything else or a missing item.
MStringEx<wchar_t> GetImagePropertyItem(Gdiplus::Image& image, PROPID id);

// Fills the placeholders "library=%s", "language=%s" and "culture=%s" of a
// link's query with the product name and the user-interface language.
MStringEx<wchar_t> BuildLinkQuery(const MStringEx<wchar_t>& link);
