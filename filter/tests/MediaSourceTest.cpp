// "Media Source" and "Selected Online Gallery" as the registry holds them.
#include "filter/MediaSource.h"
#include "core/Language.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::wstring Text(const MStringEx<wchar_t>& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

class MediaSourceTest : public ::testing::Test
{
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean()
    {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), MediaSourceValueName);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), SelectedOnlineGalleryValueName);
    }
    static void Write(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), name, type, data, size), ERROR_SUCCESS);
    }
    static bool Exists(const wchar_t* name)
    {
        return RegGetValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), name, RRF_RT_ANY, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS;
    }
};
}

TEST_F(MediaSourceTest, Bit31OfAFourByteBinaryMeansLocal)
{
    EXPECT_FALSE(ReadMediaSource()) << "missing: online";
    const struct
    {
        DWORD word;
        bool local;
    } words[] = {{0x7FFFFFFF, false}, {0x80000000, true}, {0xFFFFFFFF, true}, {0, false}};
    for (const auto& c : words)
    {
        Write(MediaSourceValueName, REG_BINARY, &c.word, 4);
        EXPECT_EQ(ReadMediaSource(), c.local) << std::hex << c.word;
        EXPECT_TRUE(Exists(MediaSourceValueName));
    }

    // Another size or type is deleted and reads as online.
    const BYTE bytes[8] = {0, 0, 0, 0x80, 0, 0, 0, 0x80};
    for (DWORD size : {3u, 8u})
    {
        Write(MediaSourceValueName, REG_BINARY, bytes, size);
        EXPECT_FALSE(ReadMediaSource()) << size;
        EXPECT_FALSE(Exists(MediaSourceValueName)) << size;
    }
    const DWORD local = 0x80000000;
    Write(MediaSourceValueName, REG_DWORD, &local, 4);
    EXPECT_FALSE(ReadMediaSource());
    EXPECT_FALSE(Exists(MediaSourceValueName));

    WriteMediaSource(true);
    EXPECT_TRUE(ReadMediaSource());
    WriteMediaSource(false);
    EXPECT_FALSE(ReadMediaSource());
}

TEST_F(MediaSourceTest, SelectedOnlineGalleryIsLanguageBarPath)
{
    SelectedOnlineGallery none = ReadSelectedOnlineGallery();
    EXPECT_EQ(Text(none.name), L"");
    EXPECT_EQ(none.language, 1033u);

    const struct
    {
        std::wstring stored;
        DWORD language;
        std::wstring path;
    } cases[] = {
        {L"1026|Painters/Bulgarian", 1026, L"Painters/Bulgarian"},
        {L"0|Photographs", 1033, L"Photographs"},
        {L"|Photographs", 1033, L"Photographs"},
        {L"abc|Photographs", 1033, L"Photographs"},
        {L"1026|Left|Right", 1026, L"Left|Right"},
        {L"No language at all", 1033, L"No language at all"},
        {L"1026|", 1026, L""},
    };
    for (const auto& c : cases)
    {
        Write(SelectedOnlineGalleryValueName, REG_SZ, c.stored.c_str(),
              static_cast<DWORD>((c.stored.size() + 1) * sizeof(wchar_t)));
        const SelectedOnlineGallery gallery = ReadSelectedOnlineGallery();
        EXPECT_EQ(gallery.language, c.language) << c.stored;
        EXPECT_EQ(Text(gallery.name), c.path) << c.stored;
    }
}

TEST_F(MediaSourceTest, AnUnusableGalleryChoiceIsDeleted)
{
    // Another type, and a text that does not fit the 40000-byte buffer.
    const DWORD number = 5;
    Write(SelectedOnlineGalleryValueName, REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(ReadSelectedOnlineGallery().language, 1033u);
    EXPECT_FALSE(Exists(SelectedOnlineGalleryValueName));

    const std::wstring longText = L"1026|" + std::wstring(20000, L'x');
    Write(SelectedOnlineGalleryValueName, REG_SZ, longText.c_str(),
          static_cast<DWORD>((longText.size() + 1) * sizeof(wchar_t)));
    const SelectedOnlineGallery gallery = ReadSelectedOnlineGallery();
    EXPECT_EQ(gallery.language, 1033u);
    EXPECT_TRUE(gallery.name.IsEmpty());
    EXPECT_FALSE(Exists(SelectedOnlineGalleryValueName));
}
