// Where dialogs appear on a desktop of one or more monitors, and the fonts
// that dialogs give their controls.
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"

#include <windows.h>

// Four signed 32-bit coordinates, right and bottom exclusive as in RECT.
struct CRect : RECT
{
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(LONG left_, LONG top_, LONG right_, LONG bottom_) : RECT{left_, top_, right_, bottom_} {}
    CRect(const RECT& rect) : RECT(rect) {}

    CRect& SetRect(LONG left_, LONG top_, LONG right_, LONG bottom_)
    {
        left = left_;
        top = top_;
        right = right_;
        bottom = bottom_;
        return *this;
    }
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    bool operator==(const CRect& other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// The monitor questions that placement asks. The system's answers are the
// default; tests put a table of monitors in place, since a test desktop has
// one monitor only.
class MonitorLookup
{
public:
    virtual ~MonitorLookup() = default;
    virtual HMONITOR FromPoint(POINT point, DWORD flags) const = 0;
    virtual HMONITOR FromRect(const RECT& rect, DWORD flags) const = 0;
    // The monitor's work area (rcWork); false when it cannot be read.
    virtual bool GetWorkArea(HMONITOR monitor, RECT& workArea) const = 0;
};

// MonitorFromPoint, MonitorFromRect and GetMonitorInfoW.
const MonitorLookup& SystemMonitorLookup();
// The lookup that placement uses now.
const MonitorLookup& PlacementMonitors();
// Puts a lookup in place (null: the system's again); answers the previous one.
const MonitorLookup* SetPlacementMonitors(const MonitorLookup* lookup);

// True when each corner (right and bottom as they are) and the centre lie on
// some monitor.
bool IsRectOnMonitors(const RECT& rect);
// Pulls a rectangle that is not on the monitors into the work area of the
// nearest monitor, keeping its size; a rectangle too wide (too tall) goes to
// the work area's left (top) edge when the flag says so, else to its right
// (bottom) edge.
void FitRectToMonitor(RECT& rect, bool alignLeft, bool alignTop);
// Centres the rectangle of size width x height on reference.
CRect CenterRectOn(const RECT& reference, LONG width, LONG height);
// Centres the window on its parent (the desktop when it has none), then
// fits it to a monitor as FitRectToMonitor with both flags set.
void CenterWindowOnParent(HWND window);
// The same centring on other (the desktop when other is no window), placing
// the window directly behind other in the Z order.
void CenterWindowOnWindow(HWND window, HWND other);
// Centres the rectangle in the work area of the primary monitor.
void CenterRectOnPrimaryMonitor(RECT& rect);

// One font from the desktop's font, a weight and the first face name of the
// candidates that can be created, applied to controls and later taken back.
class DialogFont
{
public:
    using Candidates = MList<Pair<MStringEx<wchar_t>, long>>;

    DialogFont(const Candidates& candidates, LONG weight);
    DialogFont(const DialogFont&) = delete;
    DialogFont& operator=(const DialogFont&) = delete;
    // Deletes the font without giving the controls their fonts back.
    ~DialogFont();

    // Records the control's font, then gives it this font (without redraw).
    void Apply(HWND control);
    // Gives every recorded control its previous font and deletes this font;
    // nothing when there is no font.
    void Restore();

    HFONT GetFont() const { return m_font; }
    const MList<Pair<HWND, HFONT>>& GetControls() const { return m_controls; }

private:
    HFONT m_font = nullptr;
    MList<Pair<HWND, HFONT>> m_controls;
};

// A bold, italic or underlined variant of a control's own font.
struct DerivedWindowFont
{
    HFONT previous = nullptr;
    HFONT font = nullptr;
    HWND control = nullptr;

    DerivedWindowFont() = default;
    DerivedWindowFont(const DerivedWindowFont&) = delete;
    DerivedWindowFont& operator=(const DerivedWindowFont&) = delete;
    ~DerivedWindowFont();

    // Gives the control its previous font back and deletes the derived one.
    void Restore();
};

// Stores the control and its font in record, then gives the control that
// font made n units taller with the given weight, italic and underline (the
// control keeps its font when the new one cannot be created).
void ApplyDerivedWindowFont(DerivedWindowFont& record, HWND control, LONG n, LONG weight, bool italic,
                            bool underline);
