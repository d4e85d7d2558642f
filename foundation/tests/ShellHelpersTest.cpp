#include "foundation/ShellHelpers.h"

#include "foundation/SystemUtilities.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

// Keys written for one test and removed after it. File classes are written
// through HKEY_CLASSES_ROOT itself: Wine does not merge the user's classes
// into it.
struct ScratchKeys
{
    HKEY root = HKEY_CLASSES_ROOT;
    std::vector<std::wstring> keys;
    void Add(const std::wstring& key, const wchar_t* valueName = nullptr, const wchar_t* text = nullptr)
    {
        HKEY handle;
        ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                                  nullptr),
                  ERROR_SUCCESS);
        if (valueName)
            RegSetValueExW(handle, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
        keys.push_back(key);
    }
    ~ScratchKeys()
    {
        for (const std::wstring& key : keys)
            RegDeleteTreeW(root, key.c_str());
    }
};

class GdiPlus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&m_token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

// A 1 x 1 grey TIFF whose first directory carries the given extra entries
// (tag, type, count, bytes), sorted by tag.
struct TiffEntry
{
    WORD tag, type;
    std::vector<unsigned char> bytes;
};

std::vector<unsigned char> MakeTiff(std::vector<TiffEntry> extra)
{
    auto word = [](std::vector<unsigned char>& b, unsigned v) {
        b.push_back(static_cast<unsigned char>(v));
        b.push_back(static_cast<unsigned char>(v >> 8));
    };
    auto dword = [&](std::vector<unsigned char>& b, unsigned v) {
        word(b, v & 0xFFFF);
        word(b, v >> 16);
    };
    std::vector<TiffEntry> entries = {
        {256, 3, {1, 0}}, {257, 3, {1, 0}}, {258, 3, {8, 0}}, {259, 3, {1, 0}}, {262, 3, {1, 0}},
        {273, 4, {0, 0, 0, 0}}, {277, 3, {1, 0}}, {278, 3, {1, 0}}, {279, 4, {1, 0, 0, 0}},
    };
    for (auto& e : extra)
        entries.push_back(e);
    std::sort(entries.begin(), entries.end(), [](const TiffEntry& a, const TiffEntry& b) { return a.tag < b.tag; });

    const unsigned ifdSize = 2 + 12 * static_cast<unsigned>(entries.size()) + 4;
    unsigned dataOffset = 8 + ifdSize;
    std::vector<unsigned char> file = {'I', 'I', 42, 0};
    dword(file, 8);
    std::vector<unsigned char> data;
    word(file, static_cast<unsigned>(entries.size()));
    for (auto& e : entries)
    {
        const unsigned typeSize = e.type == 3 ? 2 : e.type == 4 ? 4 : 1;
        if (e.tag == 273)
            e.bytes = {0, 0, 0, 0}; // patched below
        word(file, e.tag);
        word(file, e.type);
        dword(file, static_cast<unsigned>(e.bytes.size()) / typeSize);
        if (e.tag == 273)
        {
            dword(file, 0xFFFFFFFF);
            continue;
        }
        if (e.bytes.size() <= 4)
        {
            std::vector<unsigned char> inline_(e.bytes);
            inline_.resize(4, 0);
            file.insert(file.end(), inline_.begin(), inline_.end());
        }
        else
        {
            dword(file, dataOffset + static_cast<unsigned>(data.size()));
            data.insert(data.end(), e.bytes.begin(), e.bytes.end());
            if (data.size() % 2)
                data.push_back(0);
        }
    }
    dword(file, 0);
    file.insert(file.end(), data.begin(), data.end());
    const unsigned pixelOffset = static_cast<unsigned>(file.size());
    file.push_back(0x80);
    // Patch the strip offset.
    for (size_t at = 10; at + 12 <= 8 + ifdSize; at += 12)
        if (file[at] == (273 & 0xFF) && file[at + 1] == (273 >> 8))
            for (int k = 0; k < 4; ++k)
                file[at + 8 + k] = static_cast<unsigned char>(pixelOffset >> (8 * k));
    return file;
}

std::vector<unsigned char> Ascii(const std::string& s)
{
    std::vector<unsigned char> b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

std::vector<unsigned char> Utf16(const std::wstring& s, bool nul)
{
    std::vector<unsigned char> b;
    for (wchar_t c : s)
    {
        b.push_back(static_cast<unsigned char>(c));
        b.push_back(static_cast<unsigned char>(c >> 8));
    }
    if (nul)
        b.insert(b.end(), {0, 0});
    return b;
}
}

TEST(ShellHelpers, ShellVerbsByKind)
{
    bool open, play, edit, explore, print;
    for (int kind : {0, 2})
    {
        QueryShellVerbs(L"anything", kind, open, play, edit, explore, print);
        EXPECT_TRUE(open && edit && print && !play && !explore) << kind;
    }
    QueryShellVerbs(L"", 1, open, play, edit, explore, print);
    EXPECT_TRUE(play && !open && !edit && !explore && !print);
    QueryShellVerbs(L"", 5, open, play, edit, explore, print);
    EXPECT_FALSE(open || play || edit || explore || print);
}

TEST(ShellHelpers, ShellVerbsByPerceivedType)
{
    ScratchKeys keys;
    keys.Add(L".qltest", L"PerceivedType", L"qlperceived");
    keys.Add(L".qlbare");
    keys.Add(L"SystemFileAssociations\\qlperceived\\shell\\Open");
    keys.Add(L"SystemFileAssociations\\qlperceived\\shell\\Print");
    keys.keys.push_back(L"SystemFileAssociations\\qlperceived");

    bool open, play, edit, explore, print;
    QueryShellVerbs(L"qltest", 3, open, play, edit, explore, print);
    EXPECT_TRUE(open);
    EXPECT_TRUE(print);
    EXPECT_FALSE(play || edit || explore);

    for (const wchar_t* extension : {L"qlbare", L"qlmissing"})
    {
        open = play = edit = explore = print = true;
        QueryShellVerbs(extension, 3, open, play, edit, explore, print);
        EXPECT_FALSE(open || play || edit || explore || print) << extension;
    }
}

TEST(ShellHelpers, ExplorerHiddenFilesSetting)
{
    const wchar_t* const key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    DWORD saved = 0, size = sizeof(saved);
    const bool had = RegGetValueW(HKEY_CURRENT_USER, key, L"Hidden", RRF_RT_ANY, nullptr, &saved, &size) ==
                     ERROR_SUCCESS;
    for (DWORD value : {1u, 2u, 0u})
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Hidden", REG_DWORD, &value, sizeof(value));
        EXPECT_EQ(ExplorerShowsHiddenFiles(), value == 1) << value;
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Hidden", REG_SZ, L"1", 4);
    EXPECT_FALSE(ExplorerShowsHiddenFiles());
    if (had)
        RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Hidden", REG_DWORD, &saved, sizeof(saved));
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"Hidden");
}

TEST(ShellHelpers, LinkQueryPlaceholders)
{
    const LANGID saved = UiLanguage;
    const std::wstring library = L"library=5100750069006C006C006F0072007900";
    const struct
    {
        LANGID language;
        std::wstring link, expected;
    } cases[] = {
        {1033, L"http://x/a.aspx?language=%s&culture=%s", L"http://x/a.aspx?language=en&culture=en"},
        {1026, L"http://x/a.aspx?language=%s&culture=%s&language=%s",
         L"http://x/a.aspx?language=bg&culture=bg&language=bg"},
        {1026, L"http://x/a.aspx?" + std::wstring(L"library=%s"), L"http://x/a.aspx?" + library},
        {1026, L"http://x/language=%s/page", L"http://x/language=%s/page"},
        {1026, L"http://x/language=%s/?culture=%s", L"http://x/language=%s/?culture=bg"},
        {1026, L"http://x/language=%s/?language=%s", L"http://x/language=bg/?language=bg"},
        {1033, L"http://x/?Language=%s", L"http://x/?Language=%s"},
        {1033, L"", L""},
    };
    for (const auto& c : cases)
    {
        UiLanguage = c.language;
        EXPECT_EQ(Text(BuildLinkQuery(c.link.c_str())), c.expected) << c.link;
    }
    UiLanguage = saved;
}

TEST(ShellHelpers, PlaceRectNearPoint)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    const RECT work = info.rcWork;
    const POINT off = {-30000, -30000};

    RECT r = {0, 0, 200, 100};
    EXPECT_TRUE(PlaceRectNearPoint({500, 300}, off, true, r));
    EXPECT_EQ(r.right, 475);
    EXPECT_EQ(r.top, 300);
    EXPECT_EQ(r.bottom - r.top, 100);

    r = {0, 0, 200, 100};
    EXPECT_TRUE(PlaceRectNearPoint({500, work.bottom - 40}, off, false, r));
    EXPECT_EQ(r.left, 525);
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_EQ(r.top, work.bottom - 100);

    // The first point off the monitors: beside the second, bottom at its height.
    r = {0, 0, 200, 100};
    EXPECT_TRUE(PlaceRectNearPoint(off, {500, 400}, false, r));
    EXPECT_EQ(r.left, 525);
    EXPECT_EQ(r.bottom, 400);
    r = {0, 0, 200, 100};
    EXPECT_TRUE(PlaceRectNearPoint(off, {500, work.top + 30}, false, r));
    EXPECT_EQ(r.top, work.top);

    r = {0, 0, 200, 100};
    EXPECT_FALSE(PlaceRectNearPoint(off, off, false, r));
    // No room to the left of a point at the monitor's left edge.
    r = {0, 0, 200, 100};
    EXPECT_FALSE(PlaceRectNearPoint({work.left + 10, 300}, off, true, r));
}

TEST(ShellHelpers, DesktopFolder)
{
    const MString desktop = GetDesktopFolderPath();
    ASSERT_FALSE(desktop.IsEmpty());
    EXPECT_NE(desktop[desktop.GetLength() - 1], L'\\');
    EXPECT_TRUE(PathIsDirectoryW(desktop.GetText()));
}

TEST(ShellHelpers, ToolTipForAControl)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND control = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, owner, nullptr, nullptr, nullptr);
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    HWND toolTip = nullptr;
    CreateToolTip(owner, control, toolTip, L"Hint");
    ASSERT_NE(toolTip, nullptr);
    EXPECT_EQ(SendMessageW(toolTip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(GetWindow(toolTip, GW_OWNER), owner);
    EXPECT_TRUE(GetWindowLongW(toolTip, GWL_STYLE) & TTS_BALLOON);
    DestroyWindow(toolTip);
    DestroyWindow(owner);
}

TEST(ShellHelpers, SessionFlagsDecoding)
{
    // WTSINFOEXW as the system lays it out: the level word at 0, the level-1
    // record at 8 (its union holds 64-bit times), its session flags at 16.
    const DWORD flagsEnd = 20, wholeRecord = 232;
    struct Case
    {
        DWORD level;
        LONG flags;
        DWORD size;
        int state;
    } cases[] = {
        {1, 0, wholeRecord, 0},
        {1, 1, wholeRecord, 1},
        {1, 0, flagsEnd, 0},
        {1, 1, flagsEnd, 1},
        {1, -1, wholeRecord, 2},  // WTS_SESSIONSTATE_UNKNOWN
        {1, 2, wholeRecord, 2},
        {2, 0, wholeRecord, 2},
        {0, 1, wholeRecord, 2},
        {1, 0, flagsEnd - 1, 2},  // the flags cut short
        {1, 1, 4, 2},
        {1, 1, 0, 2},
    };
    for (const Case& c : cases)
    {
        // One byte in, so that the record is not aligned either.
        std::vector<unsigned char> buffer(1 + wholeRecord, 0xCC);
        std::memcpy(&buffer[1], &c.level, sizeof(c.level));
        std::memcpy(&buffer[1 + 16], &c.flags, sizeof(c.flags));
        EXPECT_EQ(DecodeSessionFlags(&buffer[1], c.size), c.state)
            << "level " << c.level << ", flags " << c.flags << ", " << c.size << " bytes";
    }
    EXPECT_EQ(DecodeSessionFlags(nullptr, wholeRecord), 2);
}

TEST_F(GdiPlus, FilledBitmapHasASoftOpaqueCentre)
{
    Gdiplus::Bitmap* bitmap = nullptr;
    Gdiplus::Graphics* graphics = nullptr;
    CreateFilledBitmap(Gdiplus::Rect(0, 0, 60, 40), 96.0f, 120.0f, 0xFF336699, bitmap, graphics);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(graphics, nullptr);
    EXPECT_EQ(bitmap->GetWidth(), 60u);
    EXPECT_EQ(bitmap->GetHeight(), 40u);
    EXPECT_FLOAT_EQ(bitmap->GetVerticalResolution(), 120.0f);
    graphics->Flush(Gdiplus::FlushIntentionSync);

    Gdiplus::Color centre, corner;
    bitmap->GetPixel(30, 20, &centre);
    EXPECT_EQ(centre.GetValue(), 0xFF336699u);
    bitmap->GetPixel(0, 0, &corner);
    EXPECT_EQ(corner.GetAlpha(), 0);
    // The edge fades in: the alpha grows from the border towards the inside.
    BYTE previous = 0;
    for (int y = 0; y <= 7; ++y)
    {
        Gdiplus::Color c;
        bitmap->GetPixel(30, y, &c);
        EXPECT_GE(c.GetAlpha(), previous) << y;
        previous = c.GetAlpha();
    }
    Gdiplus::Color edge;
    bitmap->GetPixel(30, 1, &edge);
    EXPECT_GT(edge.GetAlpha(), 0);
    EXPECT_LT(edge.GetAlpha(), 255);

    // A second call replaces both objects.
    CreateFilledBitmap(Gdiplus::Rect(0, 0, 10, 10), 96.0f, 96.0f, 0x80000000, bitmap, graphics);
    EXPECT_EQ(bitmap->GetWidth(), 10u);
    delete graphics;
    delete bitmap;

    bitmap = nullptr;
    graphics = nullptr;
    EXPECT_THROW(CreateFilledBitmap(Gdiplus::Rect(0, 0, 0, 0), 96.0f, 96.0f, 0xFF000000, bitmap, graphics),
                 MSmartPtrError);
}

TEST_F(GdiPlus, ImageTextProperties)
{
    const std::vector<unsigned char> tiff = MakeTiff({
        {270, 2, Ascii("  A caf\xC3\xA9 view \n")},
        {0x9C9B, 1, Utf16(L" Title \x0411", true)},
        {0x9C9C, 1, {0x41, 0x00, 0x42}},
        {0x9C9D, 1, Utf16(L"Ann", false)},
    });
    IStream* stream = SHCreateMemStream(tiff.data(), static_cast<UINT>(tiff.size()));
    ASSERT_NE(stream, nullptr);
    {
        Gdiplus::Bitmap image(stream);
        ASSERT_EQ(image.GetLastStatus(), Gdiplus::Ok);
        EXPECT_EQ(Text(GetImagePropertyItem(image, 270)), L"A caf\u00E9 view");
        EXPECT_EQ(Text(GetImagePropertyItem(image, 0x9C9B)), L"Title \x0411");
        EXPECT_EQ(Text(GetImagePropertyItem(image, 0x9C9D)), L"Ann");
        // An odd byte count is no UTF-16 text; a missing item and a number are
        // no text at all.
        EXPECT_TRUE(GetImagePropertyItem(image, 0x9C9C).IsEmpty());
        EXPECT_TRUE(GetImagePropertyItem(image, 0x9C9E).IsEmpty());
        EXPECT_TRUE(GetImagePropertyItem(image, 256).IsEmpty());
    }
    stream->Release();
}
