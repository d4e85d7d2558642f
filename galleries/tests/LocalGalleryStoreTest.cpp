// The gallery in use and the removal of one entry from a gallery.
#include "galleries/LocalGalleryStore.h"
#include "shell/core/Language.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring Text(const MStringEx<wchar_t>& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

std::wstring GalleriesKey() { return std::wstring(ProgramSettingsKeyPath()) + L"\\Local Galleries"; }

void WriteText(const std::wstring& key, const wchar_t* name, const std::wstring& text)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

bool Exists(const std::wstring& key, const wchar_t* name)
{
    return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

class LocalGalleryStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, GalleriesKey().c_str()); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, GalleriesKey().c_str()); }
};
}

TEST_F(LocalGalleryStoreTest, SelectedGalleryIsATextOrNothing)
{
    EXPECT_TRUE(ReadSelectedLocalGallery().IsEmpty());
    WriteText(GalleriesKey(), L"Selected Local Gallery", L"Summer 2024");
    EXPECT_EQ(Text(ReadSelectedLocalGallery()), L"Summer 2024");

    const DWORD number = 7;
    RegSetKeyValueW(HKEY_CURRENT_USER, GalleriesKey().c_str(), L"Selected Local Gallery", REG_DWORD, &number,
                    sizeof(number));
    EXPECT_TRUE(ReadSelectedLocalGallery().IsEmpty());
    EXPECT_FALSE(Exists(GalleriesKey(), L"Selected Local Gallery"));
}

TEST_F(LocalGalleryStoreTest, RemovesTheFirstEntryEqualIgnoringCase)
{
    const std::wstring gallery = GalleriesKey() + L"\\Summer";
    WriteText(gallery, L"{00000000-0000-0000-0000-000000000001}", L"C:\\Pictures\\Sea.jpg");
    WriteText(gallery, L"{00000000-0000-0000-0000-000000000002}", L"C:\\Pictures\\Sea.jpg.bak");
    WriteText(gallery, L"{00000000-0000-0000-0000-000000000003}", L"C:\\Pictures\\Hills.png");

    EXPECT_TRUE(RemoveFileFromLocalGallery(L"Summer", L"c:\\pictures\\SEA.JPG"));
    EXPECT_FALSE(Exists(gallery, L"{00000000-0000-0000-0000-000000000001}"));
    EXPECT_TRUE(Exists(gallery, L"{00000000-0000-0000-0000-000000000002}"));
    EXPECT_TRUE(Exists(gallery, L"{00000000-0000-0000-0000-000000000003}"));
    // Gone already, or never there: false.
    EXPECT_FALSE(RemoveFileFromLocalGallery(L"Summer", L"C:\\Pictures\\Sea.jpg"));
    EXPECT_FALSE(RemoveFileFromLocalGallery(L"Winter", L"C:\\Pictures\\Hills.png"));
}
