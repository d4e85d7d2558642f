// The owner-drawn entries as the tray menu uses them beyond the edit menu:
// the program's icons, greyed for disabled entries but not for the title
// line, submenu entries and styled header lines.
#include "ProgramResourceIds.h"
#include "core/OwnerDrawMenu.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
// Paints the entry into a 32-bit bitmap and reads one pixel back.
COLORREF PaintedPixel(OwnerDrawMenuItem* entry, UINT state, int x, int y)
{
    const int width = 200, height = 20;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    DWORD* pixels = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hDC = dc;
    draw.rcItem = RECT{0, 0, width, height};
    draw.itemData = reinterpret_cast<ULONG_PTR>(entry);
    OwnerDrawMenuItem::OnDrawItem(entry, draw);
    GdiFlush();
    const DWORD p = pixels[y * width + x];
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Spread(COLORREF c)
{
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    return std::max({r, g, b}) - std::min({r, g, b});
}

UINT MeasureWidth(OwnerDrawMenuItem* entry, UINT* height = nullptr)
{
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    OwnerDrawMenuItem::OnMeasureItem(entry, measure, GetDesktopWindow());
    if (height)
        *height = measure.itemHeight;
    return measure.itemWidth;
}
}

TEST(TrayMenuEntries, DisabledEntriesShowTheirIconGreyTheTitleLineInColour)
{
    OwnerDrawMenu menu;
    ASSERT_TRUE(menu.Create());
    OwnerDrawMenuItem::Storage items;
    HMODULE icons = GetModuleHandleW(nullptr);
    OwnerDrawMenuItem* entry =
        OwnerDrawMenuItem::CreateWithShortcut(items, menu, 0, 135, icons, IDI_MENU_HELP, 0x2, L"&Help", nullptr);
    OwnerDrawMenuItem* title =
        OwnerDrawMenuItem::CreateWithShortcut(items, menu, MF_DISABLED, 140, icons, IDI_MENU_HELP, 0x22, L"Title", nullptr);
    ASSERT_TRUE(entry->HasIcon());
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), entry->GetIconWidth());

    // A point of the icon's coloured tile, clear of its mark: the icon
    // stands at x 5 and, 16 high in a 20-pixel entry, at y 3 (1 higher for
    // the title line).
    const COLORREF enabled = PaintedPixel(entry, 0, 8, 8);
    const COLORREF disabled = PaintedPixel(entry, ODS_GRAYED | ODS_DISABLED, 8, 8);
    const COLORREF header = PaintedPixel(title, ODS_DISABLED, 8, 6);
    EXPECT_GT(Spread(enabled), 80);
    EXPECT_LT(Spread(disabled), 25);
    EXPECT_EQ(enabled, header);
}

TEST(TrayMenuEntries, SubmenuEntriesAreWiderAndStyledLinesTakeTheirHeight)
{
    OwnerDrawMenu menu, submenu;
    ASSERT_TRUE(menu.Create());
    ASSERT_TRUE(submenu.Create());
    OwnerDrawMenuItem::Storage items;
    OwnerDrawMenuItem* plain = OwnerDrawMenuItem::CreateWithShortcut(items, menu, 0, 1, nullptr, -1, 0x2, L"Same", nullptr);
    OwnerDrawMenuItem* popup = OwnerDrawMenuItem::CreateWithShortcut(
        items, menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.menu), nullptr, -1, 0x2, L"Same", nullptr);
    EXPECT_EQ(MeasureWidth(plain) + 12, MeasureWidth(popup));

    OwnerDrawMenuItem* compact =
        OwnerDrawMenuItem::CreateStyled(items, menu, MF_DISABLED, 0, nullptr, -1, L"Advert", true, false, false, true);
    OwnerDrawMenuItem* tall =
        OwnerDrawMenuItem::CreateStyled(items, menu, MF_DISABLED, 0, nullptr, -1, L"Advert", true, false, false, false);
    UINT compactHeight = 0, tallHeight = 0;
    MeasureWidth(compact, &compactHeight);
    MeasureWidth(tall, &tallHeight);
    EXPECT_EQ(static_cast<UINT>(GetSystemMetrics(SM_CYMENU)), compactHeight);
    EXPECT_EQ(compactHeight + 8, tallHeight);
    items.Clear();
    // The submenu was attached to the menu: it goes with it.
    DestroyPopupMenu(menu);
    submenu.menu = nullptr;
}
