#include "shell/core/OwnerDrawMenu.h"

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
        UINT width = menu.widestLabel + static_cast<UINT>(entry->m_iconWidth) + 16;
        if (!entry->m_shortcut.IsEmpty())
        {
            menu.widestShortcut = std::max(menu.widestShortcut, MeasureText(dc, entry->m_shortcut));
            width += 30;
        }
        width += menu.widestShortcut;
        if (entry->m_menuFlags & MF_POPUP)
            width += 12;
        measure.itemWidth = width;
    }
    ReleaseDC(owner, ownerDc);
}

void OwnerDrawMenuItem::OnDrawItem(OwnerDrawMenuItem* entry, const DRAWITEMSTRUCT& draw)
{
    if (!entry)
        return;
    const int w = std::abs(static_cast<int>(draw.rcItem.right - draw.rcItem.left));
    const int h = std::abs(static_cast<int>(draw.rcItem.bottom - draw.rcItem.top));
    const int I = entry->m_iconWidth;
    const int J = entry->m_iconHeight;
    const int L = static_cast<int>(entry->m_menu->widestLabel);
    const int d = entry->m_header ? -2 : 0;
    const bool disabled = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;

    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF labelColour = Blend(window, windowText, false);
    const COLORREF iconColour = Blend(face, window, false);
    const COLORREF textColour = Blend(windowText, window, true);

    MDC<MBitmap, MFontShell> dc(draw.hDC, w, h);
    const RECT iconColumn = {0, 0, I + 9, h};
    const RECT labelArea = {I + 9, 0, w, h};
    const RECT whole = {0, 0, w, h};
    RECT labelRect = {I + 16, 0, I + 16 + L, h};
    RECT shortcutRect = {I + 46 + L, 0, w, h};

    MSolidBrush iconBrush(iconColour);
    MSolidBrush labelBrush(labelColour);
    FillRect(dc, &iconColumn, iconBrush);
    FillRect(dc, &labelArea, labelBrush);

    if (entry->IsSeparator())
    {
        FrameWithSystemColour(dc, RECT{I + 12, 3, w, 4}, COLOR_GRAYTEXT);
        FrameWithSystemColour(dc, RECT{I + 12, 4, w, 5}, COLOR_BTNHIGHLIGHT);
        BitBlt(draw.hDC, draw.rcItem.left, draw.rcItem.top, w, h, dc, 0, 0, SRCCOPY);
        return;
    }

    const bool drawIcon = entry->m_icon.IsValid() &&
                          !(entry->m_checkIcon && !entry->m_header && !(draw.itemState & ODS_CHECKED));
    if (drawIcon)
    {
        const int y = d + 1 + (h - J) / 2;
        if (disabled && !entry->m_header)
            DrawDesaturatedIcon(dc, entry->m_icon, 5, y, I, J, iconBrush);
        else
            DrawIconEx(dc, 5, y, entry->m_icon, I, J, 0, iconBrush, DI_NORMAL);
    }

    SetBkMode(dc, TRANSPARENT);
    const MFontShell currentFont(static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT)));
    // A font derived for this paint goes when the paint ends.
    HFONT derived = nullptr;
    HGDIOBJ previousFont = nullptr;
    if (entry->m_styled)
    {
        derived = currentFont.Derive(entry->m_bold ? 700 : 400, entry->m_italic, entry->m_underline);
        if (derived)
            previousFont = SelectObject(dc, derived);
        SetTextColor(dc, textColour);
        DrawTextW(dc, entry->m_label.GetText(), -1, &labelRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    else
    {
        if (entry->m_weight != 400)
        {
            derived = currentFont.Derive(entry->m_weight);
            if (derived)
                previousFont = SelectObject(dc, derived);
        }
        if (!disabled || entry->m_header)
        {
            SetTextColor(dc, textColour);
            DrawTextW(dc, entry->m_label.GetText(), -1, &labelRect, DT_VCENTER | DT_SINGLELINE);
        }
        else
        {
            SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
            RECT shifted = {labelRect.left + 1, labelRect.top + 1, labelRect.right + 1, labelRect.bottom + 1};
            DrawTextW(dc, entry->m_label.GetText(), -1, &shifted, DT_VCENTER | DT_SINGLELINE);
            if (!entry->m_shortcut.IsEmpty())
            {
                RECT shiftedShortcut = {shortcutRect.left + 1, shortcutRect.top + 1, shortcutRect.right + 1,
                                        shortcutRect.bottom + 1};
                DrawTextW(dc, entry->m_shortcut.GetText(), -1, &shiftedShortcut, DT_VCENTER | DT_SINGLELINE);
            }
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            DrawTextW(dc, entry->m_label.GetText(), -1, &labelRect, DT_VCENTER | DT_SINGLELINE);
        }
        if (!entry->m_shortcut.IsEmpty())
            DrawTextW(dc, entry->m_shortcut.GetText(), -1, &shortcutRect, DT_VCENTER | DT_SINGLELINE);
    }
    if (previousFont)
        SelectObject(dc, previousFont);
    if (derived)
        DeleteObject(derived);

    const bool selected =
        (draw.itemState & ODS_SELECTED) && (draw.itemAction & (ODA_DRAWENTIRE | ODA_SELECT));
    if (entry->m_header && !entry->m_styled)
        FrameWithSystemColour(dc, RECT{3, h - 1, w - 3, h}, COLOR_GRAYTEXT);
    else if (selected && disabled)
    {
        if (!entry->m_styled)
        {
            HPEN pen = CreatePen(PS_DOT, 0, highlight);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
            Rectangle(dc, 0, 0, w, h);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
    }
    else if (selected)
    {
        MSolidBrush frame(highlight);
        FrameRect(dc, &whole, frame);
        TintInterior(dc, dc.GetBitmap(), w, h, highlight);
        if (drawIcon)
        {
            MSolidBrush behind(GetPixel(dc, 1, 1));
            DrawIconEx(dc, 4, d + (h - J) / 2, entry->m_icon, I, J, 0, behind, DI_NORMAL);
        }
    }
    BitBlt(draw.hDC, draw.rcItem.left, draw.rcItem.top, w, h, dc, 0, 0, SRCCOPY);
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
