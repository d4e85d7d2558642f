#include "core/OwnerDrawMenu.h"

#include <objidl.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

namespace
{
const DWORD StateCheckIcon = 0x10;
const DWORD StateHeader = 0x20;
const DWORD StateStyled = 0x122;

// Column widths of an entry, shared by measuring and painting: the icon
// column is the icon plus IconColumnPadding, the label starts LabelIndent
// past the icon's left edge and the shortcut ShortcutGap past the widest label.
const int IconLeft = 5;
const int IconColumnPadding = 9;
const int LabelIndent = 16;
const int ShortcutGap = 30;
const int SeparatorIndent = 12;
const int HeaderIconRaise = 2;

int Clamp(int value) { return std::min(255, std::max(0, value)); }

// a moved toward b by 1/30, 1/31 and 1/32 of the difference per channel;
// with away set, moved away from b by as much.
COLORREF Blend(COLORREF a, COLORREF b, bool away)
{
    const int sign = away ? -1 : 1;
    const int r = GetRValue(a), g = GetGValue(a), bl = GetBValue(a);
    return RGB(Clamp(r + sign * (GetRValue(b) - r) / 30), Clamp(g + sign * (GetGValue(b) - g) / 31),
               Clamp(bl + sign * (GetBValue(b) - bl) / 32));
}

MStringEx<wchar_t> WithoutAmpersands(const MStringEx<wchar_t>& text)
{
    std::vector<wchar_t> kept;
    for (const wchar_t* c = text.GetText(); *c; ++c)
        if (*c != L'&')
            kept.push_back(*c);
    kept.push_back(0);
    return MStringEx<wchar_t>(kept.data());
}

unsigned MeasureText(HDC dc, const MStringEx<wchar_t>& text)
{
    RECT rect = {0, 0, 0, 0};
    DrawTextW(dc, text.GetText(), -1, &rect, DT_CALCRECT | DT_EXPANDTABS);
    return static_cast<unsigned>(std::max(0L, rect.right - rect.left));
}

void FrameWithSystemColour(HDC dc, const RECT& rect, int colour)
{
    FrameRect(dc, &rect, GetSysColorBrush(colour));
}

RECT Shifted(const RECT& rect) { return RECT{rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1}; }

// Selects a font into a context for the life of the object (nothing for none).
class SelectedFont
{
public:
    SelectedFont(HDC dc, HFONT font) : m_dc(dc), m_previous(font ? SelectObject(dc, font) : nullptr) {}
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;
    ~SelectedFont()
    {
        if (m_previous)
            SelectObject(m_dc, m_previous);
    }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

void DrawDottedFrame(HDC dc, const RECT& rect, COLORREF colour)
{
    const MPen pen(CreatePen(PS_DOT, 0, colour));
    const HGDIOBJ previousPen = SelectObject(dc, pen);
    const HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
}

// A grey copy of the icon with alpha * 3 / 2 (mod 256), drawn in its place:
// the look of a disabled entry. Needs GDI+ started.
void DrawDesaturatedIcon(HDC dc, HICON icon, int x, int y, int width, int height, HBRUSH background)
{
    using namespace Gdiplus;
    GpBitmap* bitmap = nullptr;
    if (DllExports::GdipCreateBitmapFromHICON(icon, &bitmap) != Ok || !bitmap)
        return;
    UINT w = 0, h = 0;
    DllExports::GdipGetImageWidth(bitmap, &w);
    DllExports::GdipGetImageHeight(bitmap, &h);
    for (UINT py = 0; py < h; ++py)
        for (UINT px = 0; px < w; ++px)
        {
            ARGB pixel = 0xFF000000;
            if (DllExports::GdipBitmapGetPixel(bitmap, px, py, &pixel) != Ok)
                pixel = 0xFF000000;
            WORD hue = 0, luminance = 0, saturation = 0;
            ColorRGBToHLS(RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF), &hue, &luminance,
                          &saturation);
            const COLORREF grey = ColorHLSToRGB(hue, luminance, 10);
            const ARGB alpha = ((3 * (pixel >> 24) / 2) % 256) << 24;
            DllExports::GdipBitmapSetPixel(bitmap, px, py,
                                           alpha | (GetRValue(grey) << 16) | (GetGValue(grey) << 8) | GetBValue(grey));
        }
    HICON greyIcon = nullptr;
    if (DllExports::GdipCreateHICONFromBitmap(bitmap, &greyIcon) == Ok && greyIcon)
    {
        DrawIconEx(dc, x, y, greyIcon, width, height, 0, background, DI_NORMAL);
        DestroyIcon(greyIcon);
    }
    DllExports::GdipDisposeImage(bitmap);
}

// Tints the inner pixels of the w x h context toward the highlight colour:
// c * 220 / 255 + highlight * 35 / 255 per channel.
void TintInterior(HDC dc, HBITMAP target, int w, int h, COLORREF highlight)
{
    if (w <= 2 || h <= 2)
        return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    // The bitmap may not stay selected while GetDIBits reads it.
    HBITMAP scratch = CreateCompatibleBitmap(dc, 1, 1);
    HGDIOBJ previous = SelectObject(dc, scratch);
    if (GetDIBits(dc, target, 0, h, pixels.data(), &info, DIB_RGB_COLORS) == h)
    {
        const int hr = GetRValue(highlight), hg = GetGValue(highlight), hb = GetBValue(highlight);
        for (int y = 1; y < h - 1; ++y)
            for (int x = 1; x < w - 1; ++x)
            {
                DWORD& p = pixels[static_cast<size_t>(y) * w + x];
                const int b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF;
                p = static_cast<DWORD>((r * 220 / 255 + hr * 35 / 255) << 16 | (g * 220 / 255 + hg * 35 / 255) << 8 |
                                       (b * 220 / 255 + hb * 35 / 255));
            }
        SetDIBits(dc, target, 0, h, pixels.data(), &info, DIB_RGB_COLORS);
    }
    SelectObject(dc, previous);
    DeleteObject(scratch);
}
}

bool OwnerDrawMenu::Create()
{
    if (menu)
        DestroyMenu(menu);
    menu = CreatePopupMenu();
    widestLabel = 0;
    widestShortcut = 0;
    return menu != nullptr;
}

OwnerDrawMenuItem::OwnerDrawMenuItem(OwnerDrawMenu& menu, HMODULE iconModule, int iconId, const wchar_t* label,
                                     const wchar_t* shortcut, UINT menuFlags)
    : m_menu(&menu), m_icon(iconId == -1 ? nullptr
                                         : static_cast<HICON>(LoadImageW(iconModule, MAKEINTRESOURCEW(iconId),
                                                                         IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                                         GetSystemMetrics(SM_CYSMICON), 0))),
      m_label(label ? label : L""), m_shortcut(shortcut ? shortcut : L""), m_menuFlags(menuFlags)
{
    ICONINFO info = {};
    if (m_icon.IsValid() && GetIconInfo(m_icon, &info))
    {
        BITMAP bitmap = {};
        if (GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap))
        {
            m_iconWidth = bitmap.bmWidth;
            m_iconHeight = bitmap.bmHeight;
        }
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        if (info.hbmMask)
            DeleteObject(info.hbmMask);
    }
}

OwnerDrawMenuItem* OwnerDrawMenuItem::Append(Storage& items, OwnerDrawMenuItem* entry, UINT flags, UINT_PTR id)
{
    items.Append(entry);
    AppendMenuW(entry->m_menu->menu, flags | MF_OWNERDRAW, id, reinterpret_cast<const wchar_t*>(entry));
    return entry;
}

OwnerDrawMenuItem* OwnerDrawMenuItem::CreateWithShortcut(Storage& items, OwnerDrawMenu& menu, UINT flags,
                                                         UINT_PTR id, HMODULE iconModule, int iconId, DWORD state,
                                                         const wchar_t* label, const wchar_t* shortcut)
{
    OwnerDrawMenuItem* entry = new OwnerDrawMenuItem(menu, iconModule, iconId, label, shortcut, flags);
    entry->m_checkIcon = (state & StateCheckIcon) != 0;
    entry->m_header = (state & StateHeader) != 0;
    entry->m_styled = (state & StateStyled) == StateStyled;
    return Append(items, entry, flags, id);
}

OwnerDrawMenuItem* OwnerDrawMenuItem::CreatePlain(Storage& items, OwnerDrawMenu& menu, UINT_PTR id,
                                                  HMODULE iconModule, int iconId, const wchar_t* label)
{
    return Append(items, new OwnerDrawMenuItem(menu, iconModule, iconId, label, nullptr, 0), 0, id);
}

OwnerDrawMenuItem* OwnerDrawMenuItem::CreateStyled(Storage& items, OwnerDrawMenu& menu, UINT flags, UINT_PTR id,
                                                   HMODULE iconModule, int iconId, const wchar_t* label, bool bold,
                                                   bool italic, bool underline, bool compact)
{
    OwnerDrawMenuItem* entry = new OwnerDrawMenuItem(menu, iconModule, iconId, label, nullptr, flags);
    entry->m_header = true;
    entry->m_styled = true;
    entry->m_weight = bold ? 700 : 400;
    entry->m_bold = bold;
    entry->m_italic = italic;
    entry->m_underline = underline;
    entry->m_compact = compact;
    return Append(items, entry, flags, id);
}

OwnerDrawMenuItem* OwnerDrawMenuItem::CreateSeparator(Storage& items, OwnerDrawMenu& menu)
{
    return Append(items, new OwnerDrawMenuItem(menu, nullptr, -1, nullptr, nullptr, MF_SEPARATOR), MF_SEPARATOR,
                  static_cast<UINT_PTR>(-1));
}

void OwnerDrawMenuItem::OnMeasureItem(OwnerDrawMenuItem* entry, MEASUREITEMSTRUCT& measure, HWND owner)
{
    if (!entry)
        return;
    if (entry->m_menuFlags == MF_SEPARATOR)
    {
        measure.itemHeight = 9;
        measure.itemWidth = 1;
        return;
    }
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return;
    metrics.lfMenuFont.lfWeight = entry->m_weight;
    HDC ownerDc = GetDC(owner);
    {
        MemoryDC<MBitmapShell, MHFont> dc(ownerDc, CreateFontIndirectW(&metrics.lfMenuFont));
        const UINT menuHeight = static_cast<UINT>(GetSystemMetrics(SM_CYMENU));
        if (entry->m_styled)
            measure.itemHeight = entry->m_compact ? menuHeight : menuHeight + 8;
        else
            measure.itemHeight = entry->m_header ? menuHeight + 8 : menuHeight;

        OwnerDrawMenu& menu = *entry->m_menu;
        menu.widestLabel = std::max(menu.widestLabel, MeasureText(dc, WithoutAmpersands(entry->m_label)));
        UINT width = menu.widestLabel + static_cast<UINT>(entry->m_iconWidth + LabelIndent);
        if (!entry->m_shortcut.IsEmpty())
        {
            menu.widestShortcut = std::max(menu.widestShortcut, MeasureText(dc, entry->m_shortcut));
            width += ShortcutGap;
        }
        width += menu.widestShortcut;
        if (entry->m_menuFlags & MF_POPUP)
            width += 12;
        measure.itemWidth = width;
    }
    ReleaseDC(owner, ownerDc);
}

// Where the parts of one entry go in its paint, which is drawn at (0, 0) in a
// memory context and copied to the item's rectangle at the end.
struct OwnerDrawMenuItem::Layout
{
    int width;
    int height;
    int iconWidth;
    int iconHeight;
    int iconTop;
    RECT whole;
    RECT iconColumn;
    RECT labelArea;   // everything right of the icon column
    RECT labelText;   // as wide as the menu's widest label
    RECT shortcutText;
};

OwnerDrawMenuItem::Layout OwnerDrawMenuItem::LayoutFor(const RECT& item) const
{
    Layout layout = {};
    layout.width = std::abs(static_cast<int>(item.right - item.left));
    layout.height = std::abs(static_cast<int>(item.bottom - item.top));
    layout.iconWidth = m_iconWidth;
    layout.iconHeight = m_iconHeight;
    // Header icons sit a little higher, toward the rule below the header.
    layout.iconTop = (m_header ? -HeaderIconRaise : 0) + 1 + (layout.height - layout.iconHeight) / 2;

    const int width = layout.width, height = layout.height;
    const int columnRight = m_iconWidth + IconColumnPadding;
    const int labelLeft = m_iconWidth + LabelIndent;
    const int labelRight = labelLeft + static_cast<int>(m_menu->widestLabel);
    layout.whole = RECT{0, 0, width, height};
    layout.iconColumn = RECT{0, 0, columnRight, height};
    layout.labelArea = RECT{columnRight, 0, width, height};
    layout.labelText = RECT{labelLeft, 0, labelRight, height};
    layout.shortcutText = RECT{labelRight + ShortcutGap, 0, width, height};
    return layout;
}

void OwnerDrawMenuItem::DrawIcon(HDC dc, const Layout& layout, bool disabled, HBRUSH background) const
{
    if (disabled && !m_header)
        DrawDesaturatedIcon(dc, m_icon, IconLeft, layout.iconTop, layout.iconWidth, layout.iconHeight, background);
    else
        DrawIconEx(dc, IconLeft, layout.iconTop, m_icon, layout.iconWidth, layout.iconHeight, 0, background,
                   DI_NORMAL);
}

void OwnerDrawMenuItem::DrawLabel(HDC dc, const Layout& layout, bool disabled, COLORREF textColour) const
{
    SetBkMode(dc, TRANSPARENT);
    const MFontShell currentFont(static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT)));
    // A font derived for this paint is selected only while the label is drawn.
    const MHFont derived(m_styled             ? currentFont.Derive(m_bold ? 700 : 400, m_italic, m_underline)
                         : m_weight != 400    ? currentFont.Derive(m_weight)
                                              : nullptr);
    const SelectedFont selection(dc, derived);

    const wchar_t* label = m_label.GetText();
    const wchar_t* shortcut = m_shortcut.IsEmpty() ? nullptr : m_shortcut.GetText();
    RECT labelText = layout.labelText;
    RECT shortcutText = layout.shortcutText;
    if (m_styled)
    {
        SetTextColor(dc, textColour);
        DrawTextW(dc, label, -1, &labelText, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    if (!disabled || m_header)
    {
        SetTextColor(dc, textColour);
        DrawTextW(dc, label, -1, &labelText, DT_VCENTER | DT_SINGLELINE);
    }
    else
    {
        // Engraved: a light copy one pixel down and right, the grey text over it.
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT engraved = Shifted(labelText);
        DrawTextW(dc, label, -1, &engraved, DT_VCENTER | DT_SINGLELINE);
        if (shortcut)
        {
            RECT engravedShortcut = Shifted(shortcutText);
            DrawTextW(dc, shortcut, -1, &engravedShortcut, DT_VCENTER | DT_SINGLELINE);
        }
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, label, -1, &labelText, DT_VCENTER | DT_SINGLELINE);
    }
    if (shortcut)
        DrawTextW(dc, shortcut, -1, &shortcutText, DT_VCENTER | DT_SINGLELINE);
}

void OwnerDrawMenuItem::DrawHighlight(HDC dc, HBITMAP paint, const Layout& layout, bool disabled, bool iconDrawn,
                                      COLORREF highlight) const
{
    if (disabled)
    {
        // A disabled entry shows only a dotted outline where the cursor is.
        if (!m_styled)
            DrawDottedFrame(dc, layout.whole, highlight);
        return;
    }
    MSolidBrush frame(highlight);
    FrameRect(dc, &layout.whole, frame);
    TintInterior(dc, paint, layout.width, layout.height, highlight);
    if (iconDrawn)
    {
        // The icon again, one pixel up and left on the tinted colour: it looks lifted.
        MSolidBrush behind(GetPixel(dc, 1, 1));
        DrawIconEx(dc, IconLeft - 1, layout.iconTop - 1, m_icon, layout.iconWidth, layout.iconHeight, 0, behind,
                   DI_NORMAL);
    }
}

void OwnerDrawMenuItem::OnDrawItem(OwnerDrawMenuItem* entry, const DRAWITEMSTRUCT& draw)
{
    if (!entry)
        return;
    const Layout layout = entry->LayoutFor(draw.rcItem);
    const bool disabled = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);

    MDC<MBitmap, MFontShell> dc(draw.hDC, layout.width, layout.height);
    MSolidBrush iconBrush(Blend(GetSysColor(COLOR_BTNFACE), window, false));
    MSolidBrush labelBrush(Blend(window, windowText, false));
    FillRect(dc, &layout.iconColumn, iconBrush);
    FillRect(dc, &layout.labelArea, labelBrush);

    if (entry->IsSeparator())
    {
        const int left = layout.iconWidth + SeparatorIndent;
        FrameWithSystemColour(dc, RECT{left, 3, layout.width, 4}, COLOR_GRAYTEXT);
        FrameWithSystemColour(dc, RECT{left, 4, layout.width, 5}, COLOR_BTNHIGHLIGHT);
    }
    else
    {
        // A check-icon entry shows its icon only while checked.
        const bool iconDrawn = entry->m_icon.IsValid() &&
                               !(entry->m_checkIcon && !entry->m_header && !(draw.itemState & ODS_CHECKED));
        if (iconDrawn)
            entry->DrawIcon(dc, layout, disabled, iconBrush);
        entry->DrawLabel(dc, layout, disabled, Blend(windowText, window, true));

        const bool selected =
            (draw.itemState & ODS_SELECTED) && (draw.itemAction & (ODA_DRAWENTIRE | ODA_SELECT));
        if (entry->m_header && !entry->m_styled)
            FrameWithSystemColour(dc, RECT{3, layout.height - 1, layout.width - 3, layout.height}, COLOR_GRAYTEXT);
        else if (selected)
            entry->DrawHighlight(dc, dc.GetBitmap(), layout, disabled, iconDrawn, GetSysColor(COLOR_HIGHLIGHT));
    }
    BitBlt(draw.hDC, draw.rcItem.left, draw.rcItem.top, layout.width, layout.height, dc, 0, 0, SRCCOPY);
}

bool OwnerDrawMenuItem::OnMenuChar(wchar_t typed, UINT menuFlags, HMENU menu, LRESULT& result)
{
    if (!(menuFlags & MF_POPUP))
        return false;
    const int count = GetMenuItemCount(menu);
    if (count <= 0)
        return false;
    for (int position = 0; position < count; ++position)
    {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STATE | MIIM_DATA;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info))
            continue;
        const OwnerDrawMenuItem* entry = reinterpret_cast<const OwnerDrawMenuItem*>(info.dwItemData);
        if (!entry || entry->m_label.IsEmpty())
            continue;
        const wchar_t* ampersand = wcschr(entry->m_label.GetText(), L'&');
        if (!ampersand || !ampersand[1])
            continue;
        const wchar_t marked = ampersand[1];
        if (typed != static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(marked)))) &&
            typed != static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(marked)))))
            continue;
        result = (info.fState & (MFS_GRAYED | MFS_DISABLED)) ? 0 : (MNC_EXECUTE << 16) | position;
        return true;
    }
    return false;
}

OwnerDrawMenu::~OwnerDrawMenu() { DestroyPopupMenu(*this); }

void DestroyPopupMenu(OwnerDrawMenu& menu)
{
    if (menu.menu)
        DestroyMenu(menu.menu);
    menu.menu = nullptr;
}

bool TrackPopupMenuAtCursor(const OwnerDrawMenu& menu, HWND owner, bool atPoint, int x, int y, UINT flags)
{
    if (!atPoint)
    {
        POINT cursor = {0, 0};
        GetCursorPos(&cursor);
        x = cursor.x;
        y = cursor.y;
    }
    return TrackPopupMenu(menu.menu, flags, x, y, 0, owner, nullptr) == 1;
}
