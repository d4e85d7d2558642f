#include "foundation/GdiOwners.h"

#include <gtest/gtest.h>

namespace
{
// GetObjectType answers 0 for a handle that no longer names a GDI object.
bool Exists(HGDIOBJ object) { return GetObjectType(object) != 0; }

HBITMAP NewBitmap()
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

HFONT NewFont(LONG height, LONG weight)
{
    LOGFONTW font = {};
    font.lfHeight = height;
    font.lfWeight = weight;
    lstrcpyW(font.lfFaceName, L"Tahoma");
    return CreateFontIndirectW(&font);
}

LOGFONTW Read(HFONT font)
{
    LOGFONTW data = {};
    GetObjectW(font, sizeof(data), &data);
    return data;
}
}

TEST(GdiOwners, OwnersDeleteTheirObjects)
{
    HGDIOBJ brush, solid, bitmap, font;
    {
        MBrush b(CreateSolidBrush(RGB(1, 2, 3)));
        MSolidBrush s(RGB(4, 5, 6));
        MBitmap m(NewBitmap());
        MHFont f(NewFont(-12, 400));
        brush = b.GetGdiObject();
        solid = s.GetGdiObject();
        bitmap = m.GetGdiObject();
        font = f.GetGdiObject();
        for (const MGDI* owner : {static_cast<const MGDI*>(&b), static_cast<const MGDI*>(&s),
                                  static_cast<const MGDI*>(&m), static_cast<const MGDI*>(&f)})
        {
            EXPECT_TRUE(owner->IsValid());
            EXPECT_TRUE(Exists(owner->GetGdiObject()));
            EXPECT_EQ(owner->GetHandle(), owner->GetGdiObject());
        }
        EXPECT_EQ(GetObjectType(s.Get()), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_FALSE(Exists(brush));
    EXPECT_FALSE(Exists(solid));
    EXPECT_FALSE(Exists(bitmap));
    EXPECT_FALSE(Exists(font));
}

TEST(GdiOwners, ShellsFreeNothing)
{
    HBITMAP bitmap = NewBitmap();
    HFONT font = NewFont(-12, 400);
    {
        MBitmapShell b(bitmap);
        MFontShell f(font);
        EXPECT_TRUE(b.IsValid());
        EXPECT_EQ(static_cast<HFONT>(f), font);
    }
    EXPECT_TRUE(Exists(bitmap));
    EXPECT_TRUE(Exists(font));
    DeleteObject(bitmap);
    DeleteObject(font);
}

TEST(GdiOwners, BitmapReuse)
{
    MBitmap empty;
    EXPECT_FALSE(empty.IsValid());
    *empty.GetHandleAddress() = NewBitmap();
    EXPECT_TRUE(empty.IsValid());

    HBITMAP old = empty.Get();
    HBITMAP* slot = empty.ReleaseForReuse();
    EXPECT_FALSE(Exists(old));
    EXPECT_FALSE(empty.IsValid());
    *slot = NewBitmap();
    EXPECT_TRUE(empty.IsValid());
    EXPECT_TRUE(Exists(empty.Get()));

    HBITMAP detached = empty.Detach();
    EXPECT_FALSE(empty.IsValid());
    EXPECT_TRUE(Exists(detached));
    DeleteObject(detached);
}

TEST(GdiOwners, IconsLoadAtTheSmallSize)
{
    MIcon missing(GetModuleHandleW(nullptr), 4242);
    EXPECT_FALSE(missing.IsValid());
    EXPECT_EQ(missing.Get(), nullptr);

    // user32 carries the standard application icon under 32512.
    HICON loaded;
    {
        MIcon icon(GetModuleHandleW(L"user32.dll"), 32512);
        ASSERT_TRUE(icon.IsValid());
        loaded = icon.Get();
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP mask = {};
        GetObjectW(info.hbmMask, sizeof(mask), &mask);
        EXPECT_EQ(mask.bmWidth, GetSystemMetrics(SM_CXSMICON));
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    ICONINFO gone = {};
    EXPECT_FALSE(GetIconInfo(loaded, &gone));

    MIcon filled;
    *filled.GetHandleAddress() = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
    EXPECT_TRUE(filled.IsValid());
}

TEST(GdiOwners, FontShellDerivesFontsForTheCaller)
{
    HFONT base = NewFont(-12, 400);
    MFontShell shell(base);
    struct Case
    {
        HFONT derived;
        LONG height, weight;
        BYTE italic, underline;
    };
    const Case cases[] = {
        {shell.Derive(700, true, false), -12, 700, TRUE, FALSE},
        {shell.Derive(5000, false, true), -12, 1000, FALSE, TRUE},
        {shell.Derive(0, false, false), -12, 400, FALSE, FALSE},
        {shell.Derive(-3), -12, 0, FALSE, FALSE},
        {shell.DeriveSmaller(2), -10, 400, FALSE, FALSE},
    };
    for (const Case& c : cases)
    {
        ASSERT_NE(c.derived, nullptr);
        EXPECT_NE(c.derived, base);
        const LOGFONTW font = Read(c.derived);
        EXPECT_EQ(font.lfHeight, c.height);
        EXPECT_EQ(font.lfWeight, c.weight);
        EXPECT_EQ(font.lfItalic, c.italic);
        EXPECT_EQ(font.lfUnderline, c.underline);
        DeleteObject(c.derived);
    }
    EXPECT_EQ(Read(base).lfWeight, 400);
    EXPECT_EQ(MFontShell().Derive(700), nullptr);
    DeleteObject(base);
}

TEST(GdiOwners, DeviceContextsRestoreAndFree)
{
    HDC screen = GetDC(nullptr);
    HFONT screenFont = NewFont(-14, 400);
    HGDIOBJ previousFont = SelectObject(screen, screenFont);
    HGDIOBJ bitmap, context;
    {
        MDC<MBitmap, MFontShell> memory(screen, 20, 10);
        ASSERT_TRUE(memory.IsValid());
        context = memory.GetGdiObject();
        bitmap = GetCurrentObject(memory, OBJ_BITMAP);
        EXPECT_EQ(bitmap, memory.GetBitmap().GetGdiObject());
        BITMAP size = {};
        GetObjectW(bitmap, sizeof(size), &size);
        EXPECT_EQ(size.bmWidth, 20);
        EXPECT_EQ(size.bmHeight, 10);
        EXPECT_EQ(GetCurrentObject(memory, OBJ_FONT), screenFont);
    }
    EXPECT_FALSE(Exists(bitmap));
    EXPECT_FALSE(Exists(context));
    EXPECT_TRUE(Exists(screenFont));

    HBITMAP borrowed = NewBitmap();
    HFONT owned = NewFont(-9, 700);
    {
        MemoryDC<MBitmapShell, MHFont> memory(screen, owned, borrowed);
        ASSERT_TRUE(memory.IsValid());
        EXPECT_EQ(GetCurrentObject(memory, OBJ_FONT), owned);
        EXPECT_EQ(GetCurrentObject(memory, OBJ_BITMAP), borrowed);
    }
    EXPECT_FALSE(Exists(owned));
    EXPECT_TRUE(Exists(borrowed));
    // No longer selected anywhere: the bitmap can be deleted.
    EXPECT_TRUE(DeleteObject(borrowed));

    SelectObject(screen, previousFont);
    DeleteObject(screenFont);
    ReleaseDC(nullptr, screen);
}
