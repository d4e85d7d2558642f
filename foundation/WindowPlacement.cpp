#include "foundation/WindowPlacement.h"

#include <algorithm>

namespace
{
class SystemMonitors : public MonitorLookup
{
public:
    HMONITOR FromPoint(POINT point, DWORD flags) const override { return MonitorFromPoint(point, flags); }
    HMONITOR FromRect(const RECT& rect, DWORD flags) const override { return MonitorFromRect(&rect, flags); }
    bool GetWorkArea(HMONITOR monitor, RECT& workArea) const override
    {
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        if (!GetMonitorInfoW(monitor, &info))
            return false;
        workArea = info.rcWork;
        return true;
    }
};

const MonitorLookup* volatile g_lookup = nullptr;

CRect WindowRectOrZero(HWND window)
{
    CRect rect;
    if (!GetWindowRect(window, &rect))
        rect.SetRect(0, 0, 0, 0);
    return rect;
}

// The window centred on reference, pulled onto a monitor when it is off.
CRect CenteredWindowRect(HWND window, HWND reference)
{
    const CRect own = WindowRectOrZero(window);
    CRect placed = CenterRectOn(WindowRectOrZero(reference), own.Width(), own.Height());
    if (!IsRectOnMonitors(placed))
        FitRectToMonitor(placed, true, true);
    return placed;
}
}

const MonitorLookup& SystemMonitorLookup()
{
    static const SystemMonitors monitors;
    return monitors;
}

const MonitorLookup& PlacementMonitors()
{
    const MonitorLookup* lookup = g_lookup;
    return lookup ? *lookup : SystemMonitorLookup();
}

const MonitorLookup* SetPlacementMonitors(const MonitorLookup* lookup)
{
    const MonitorLookup* previous = g_lookup;
    g_lookup = lookup;
    return previous;
}

bool IsRectOnMonitors(const RECT& rect)
{
    const MonitorLookup& monitors = PlacementMonitors();
    const POINT points[] = {{rect.left, rect.top},
                            {rect.right, rect.top},
                            {rect.right, rect.bottom},
                            {rect.left, rect.bottom},
                            {rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2}};
    for (const POINT& point : points)
        if (!monitors.FromPoint(point, MONITOR_DEFAULTTONULL))
            return false;
    return true;
}

void FitRectToMonitor(RECT& rect, bool alignLeft, bool alignTop)
{
    if (IsRectOnMonitors(rect))
        return;
    const MonitorLookup& monitors = PlacementMonitors();
    RECT work = {0, 0, 0, 0};
    monitors.GetWorkArea(monitors.FromRect(rect, MONITOR_DEFAULTTONEAREST), work);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    LONG left;
    if (width <= work.right - work.left)
        left = std::min(std::max(rect.left, work.left), work.right - width);
    else
        left = alignLeft ? work.left : work.right - width;
    LONG top;
    if (height <= work.bottom - work.top)
        top = std::min(std::max(rect.top, work.top), work.bottom - height);
    else
        top = alignTop ? work.top : work.bottom - height;
    rect = RECT{left, top, left + width, top + height};
}

CRect CenterRectOn(const RECT& reference, LONG width, LONG height)
{
    const LONG left = (reference.left + reference.right) / 2 - width / 2;
    const LONG top = (reference.top + reference.bottom) / 2 - height / 2;
    return CRect(left, top, left + width, top + height);
}

void CenterWindowOnParent(HWND window)
{
    HWND parent = GetParent(window);
    if (!IsWindow(parent))
        parent = GetDesktopWindow();
    const CRect placed = CenteredWindowRect(window, parent);
    MoveWindow(window, placed.left, placed.top, placed.Width(), placed.Height(), TRUE);
}

void CenterWindowOnWindow(HWND window, HWND other)
{
    const CRect placed = CenteredWindowRect(window, IsWindow(other) ? other : GetDesktopWindow());
    SetWindowPos(window, other, placed.left, placed.top, placed.Width(), placed.Height(), 0);
}

void CenterRectOnPrimaryMonitor(RECT& rect)
{
    const MonitorLookup& monitors = PlacementMonitors();
    RECT work = {0, 0, 0, 0};
    monitors.GetWorkArea(monitors.FromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), work);
    rect = CenterRectOn(work, rect.right - rect.left, rect.bottom - rect.top);
}

DialogFont::DialogFont(const Candidates& candidates, LONG weight)
{
    LOGFONTW font;
    ZeroMemory(&font, sizeof(font));
    const HFONT desktopFont = reinterpret_cast<HFONT>(SendMessageW(GetDesktopWindow(), WM_GETFONT, 0, 0));
    if (desktopFont)
        GetObjectW(desktopFont, sizeof(font), &font);
    font.lfWeight = weight;
    font.lfItalic = 0;
    font.lfUnderline = 0;
    for (unsigned __int64 i = 0; i < candidates.GetCount() && !m_font; ++i)
    {
        const Pair<MStringEx<wchar_t>, long>& candidate = *candidates.GetAt(i);
        font.lfHeight = candidate.second;
        ZeroMemory(font.lfFaceName, sizeof(font.lfFaceName));
        const unsigned __int64 length = std::min<unsigned __int64>(candidate.first.GetLength(), LF_FACESIZE - 1);
        CopyMemory(font.lfFaceName, candidate.first.GetText(), length * sizeof(wchar_t));
        m_font = CreateFontIndirectW(&font);
    }
}

DialogFont::~DialogFont()
{
    if (m_font)
        DeleteObject(m_font);
}

void DialogFont::Apply(HWND control)
{
    const HFONT previous = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    m_controls.Append(new Pair<HWND, HFONT>(control, previous));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
}

void DialogFont::Restore()
{
    if (!m_font)
        return;
    for (unsigned __int64 i = 0; i < m_controls.GetCount(); ++i)
    {
        const Pair<HWND, HFONT>& entry = *m_controls.GetAt(i);
        SendMessageW(entry.first, WM_SETFONT, reinterpret_cast<WPARAM>(entry.second), FALSE);
    }
    DeleteObject(m_font);
    m_font = nullptr;
}

DerivedWindowFont::~DerivedWindowFont()
{
    if (font)
        DeleteObject(font);
}

void DerivedWindowFont::Restore()
{
    if (!font)
        return;
    if (IsWindow(control))
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(previous), FALSE);
    DeleteObject(font);
    font = nullptr;
}

void ApplyDerivedWindowFont(DerivedWindowFont& record, HWND control, LONG n, LONG weight, bool italic,
                            bool underline)
{
    record.Restore();
    record.control = control;
    record.previous = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW font;
    ZeroMemory(&font, sizeof(font));
    // A control without a font of its own shows the system font.
    HGDIOBJ source = record.previous ? static_cast<HGDIOBJ>(record.previous) : GetStockObject(SYSTEM_FONT);
    if (GetObjectW(source, sizeof(font), &font) != sizeof(font))
        return;
    font.lfHeight -= n;
    font.lfWeight = weight;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfUnderline = underline ? TRUE : FALSE;
    record.font = CreateFontIndirectW(&font);
    if (record.font)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(record.font), TRUE);
}
