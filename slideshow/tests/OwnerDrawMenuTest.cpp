#include "core/OwnerDrawMenu.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// A 32-bit top-down bitmap to paint entries into and read back.
class Canvas
{
public:
    Canvas(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pixels), nullptr, 0);
        m_previous = SelectObject(m_dc, m_bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas()
    {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC Get() const { return m_dc; }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const DWORD p = m_pixels[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int m_width;
    int m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
    DWORD* m_pixels = nullptr;
};

DRAWITEMSTRUCT DrawRecord(HDC dc, OwnerDrawMenuItem* entry, UINT state, int width, int height)
{
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hDC = dc;
    draw.rcItem = RECT{0, 0, width, height};
    draw.itemData = reinterpret_cast<ULONG_PTR>(entry);
    return draw;
}

COLORREF Toward(COLORREF a, COLORREF b)
{
    return RGB(GetRValue(a) + (GetRValue(b) - GetRValue(a)) / 30, GetGValue(a) + (GetGValue(b) - GetGValue(a)) / 31,
               GetBValue(a) + (GetBValue(b) - GetBValue(a)) / 32);
}

UINT Measure(OwnerDrawMenuItem* entry, UINT& height)
{
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    OwnerDrawMenuItem::OnMeasureItem(entry, measure, GetDesktopWindow());
    height = measure.itemHeight;
    return measure.itemWidth;
}
}

TEST(OwnerDrawMenu, EntriesShareTheWidestLabelColumn)
{
    OwnerDrawMenu menu;
    ASSERT_TRUE(menu.Create());
    OwnerDrawMenuItem::Storage items;
    OwnerDrawMenuItem* shortEntry = OwnerDrawMenuItem::CreateWithShortcut(items, menu, 0, 1, nullptr, -1, 2, L"&Cut",
                                                                          L"Ctrl+X");
    OwnerDrawMenuItem* longEntry = OwnerDrawMenuItem::CreateWithShortcut(
        items, menu, 0, 2, nullptr, -1, 2, L"A much longer label &here", L"Ctrl+H");
    OwnerDrawMenuItem* separator = OwnerDrawMenuItem::CreateSeparator(items, menu);
    OwnerDrawMenuItem* popup = OwnerDrawMenuItem::CreateWithShortcut(items, menu, MF_POPUP,
                                                                     reinterpret_cast<UINT_PTR>(CreatePopupMenu()),
                                                                     nullptr, -1, 2, L"&Cut", L"Ctrl+X");
    EXPECT_EQ(4, GetMenuItemCount(menu.menu));
    EXPECT_EQ(static_cast<UINT>(MF_OWNERDRAW | MF_SEPARATOR),
              GetMenuState(menu.menu, 2, MF_BYPOSITION) & (MF_OWNERDRAW | MF_SEPARATOR));

    UINT height = 0;
    const UINT shortFirst = Measure(shortEntry, height);
    EXPECT_EQ(static_cast<UINT>(GetSystemMetrics(SM_CYMENU)), height);
    const UINT longWidth = Measure(longEntry, height);
    const UINT shortAgain = Measure(shortEntry, height);
    // Measured early, the short entry was narrower; afterwards it shares the
    // long label's column.
    EXPECT_LT(shortFirst, longWidth);
    EXPECT_EQ(longWidth, shortAgain);
    EXPECT_EQ(longWidth + 12, Measure(popup, height));
    EXPECT_EQ(1u, Measure(separator, height));
    EXPECT_EQ(9u, height);
    // No icon: the default 16 x 16 column.
    EXPECT_EQ(16, shortEntry->GetIconWidth());
    DestroyPopupMenu(menu);
    EXPECT_EQ(nullptr, menu.menu);
}

TEST(OwnerDrawMenu, MarkedCharacterChoosesTheEntry)
{
    OwnerDrawMenu menu;
    menu.Create();
    OwnerDrawMenuItem::Storage items;
    OwnerDrawMenuItem::CreateWithShortcut(items, menu, 0, 1, nullptr, -1, 2, L"&Undo", L"Ctrl+Z");
    OwnerDrawMenuItem::CreateSeparator(items, menu);
    OwnerDrawMenuItem::CreateWithShortcut(items, menu, 0, 2, nullptr, -1, 2, L"&Paste", L"Ctrl+V");
    OwnerDrawMenuItem::CreateWithShortcut(items, menu, MF_GRAYED, 3, nullptr, -1, 2, L"&Delete", L"Del");
    LRESULT result = -1;
    EXPECT_TRUE(OwnerDrawMenuItem::OnMenuChar(L'p', MF_POPUP, menu.menu, result));
    EXPECT_EQ((MNC_EXECUTE << 16) | 2, result);
    EXPECT_TRUE(OwnerDrawMenuItem::OnMenuChar(L'P', MF_POPUP, menu.menu, result));
    EXPECT_EQ((MNC_EXECUTE << 16) | 2, result);
    // A disabled entry makes the menu ignore the key.
    EXPECT_TRUE(OwnerDrawMenuItem::OnMenuChar(L'd', MF_POPUP, menu.menu, result));
    EXPECT_EQ(0, result);
    // Unmarked keys and menu bars are left to the owner.
    EXPECT_FALSE(OwnerDrawMenuItem::OnMenuChar(L'x', MF_POPUP, menu.menu, result));
    EXPECT_FALSE(OwnerDrawMenuItem::OnMenuChar(L'p', 0, menu.menu, result));
    DestroyPopupMenu(menu);
}

TEST(OwnerDrawMenu, PaintsColumnsSeparatorAndSelection)
{
    OwnerDrawMenu menu;
    menu.Create();
    OwnerDrawMenuItem::Storage items;
    OwnerDrawMenuItem* entry = OwnerDrawMenuItem::CreateWithShortcut(items, menu, 0, 1, nullptr, -1, 2, L"&Copy",
                                                                     L"Ctrl+C");
    OwnerDrawMenuItem* separator = OwnerDrawMenuItem::CreateSeparator(items, menu);
    const int w = 200, h = 20;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF label = Toward(window, GetSysColor(COLOR_WINDOWTEXT));

    Canvas canvas(w, h);
    const DRAWITEMSTRUCT plain = DrawRecord(canvas.Get(), entry, 0, w, h);
    OwnerDrawMenuItem::OnDrawItem(entry, plain);
    // Icon column (16 + 9 pixels wide) and label area.
    EXPECT_EQ(Toward(face, window), canvas.At(2, 2));
    EXPECT_EQ(label, canvas.At(w - 2, 2));

    const DRAWITEMSTRUCT line = DrawRecord(canvas.Get(), separator, 0, w, 9);
    OwnerDrawMenuItem::OnDrawItem(separator, line);
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), canvas.At(16 + 12, 3));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), canvas.At(w - 1, 4));

    const DRAWITEMSTRUCT selected = DrawRecord(canvas.Get(), entry, ODS_SELECTED, w, h);
    OwnerDrawMenuItem::OnDrawItem(entry, selected);
    EXPECT_EQ(highlight, canvas.At(0, 0));
    EXPECT_EQ(highlight, canvas.At(w - 1, h - 1));
    const COLORREF tinted =
        RGB(GetRValue(label) * 220 / 255 + GetRValue(highlight) * 35 / 255,
            GetGValue(label) * 220 / 255 + GetGValue(highlight) * 35 / 255,
            GetBValue(label) * 220 / 255 + GetBValue(highlight) * 35 / 255);
    EXPECT_EQ(tinted, canvas.At(w - 3, h - 3));
    DestroyPopupMenu(menu);
}
