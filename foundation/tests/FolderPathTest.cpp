#include "foundation/FolderPath.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }
}

TEST(FolderPath, Normalisation)
{
    const struct
    {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"", L""},
        {L"C:", L"C:\\"},
        {L"C:\\", L"C:\\"},
        {L"C:\\Photos\\\\", L"C:\\Photos"},
        {L"C:/Photos/", L"C:\\Photos"},
        {L"C:/", L"C:"}, // the slash is replaced before trailing backslashes go
        {L"\\\\\\", L""},
        {L"D:\\Pics\\a.jpg", L"D:\\Pics\\a.jpg"},
        {L"x", L"x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(NormalizeFolderPath(c.in)), c.out) << c.in;
}

TEST(FolderPath, StrictSubPath)
{
    const struct
    {
        const wchar_t* folder;
        const wchar_t* path;
        bool below;
    } cases[] = {
        {L"C:\\A", L"C:\\AB\\x.jpg", false}, // no backslash after the prefix
        {L"C:\\A", L"c:\\a\\x.jpg", true},
        {L"C:\\", L"C:\\x.jpg", true},
        {L"C:\\A", L"C:\\A", false},
        {L"C:\\A", L"C:\\A\\", false}, // same number of levels
        {L"", L"C:\\x", false},
        {L"C:\\A", L"", false},
        {L"C:\\A\\B", L"C:\\A\\x.jpg", false},
        {L"C:\\Photos", L"C:\\Photos\\Summer\\a.jpg", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsStrictSubPath(c.folder, c.path), c.below) << c.folder << L" / " << c.path;
}

TEST(FolderPath, TrueTexts)
{
    for (const wchar_t* yes : {L"true", L"YES", L"On", L"ON", L"1"})
        EXPECT_TRUE(IsTrueText(yes)) << yes;
    for (const wchar_t* no : {L" yes", L"yes ", L"0", L"", L"truth", L"y"})
        EXPECT_FALSE(IsTrueText(no)) << no;
}

TEST(FolderPath, SplitAtSeparatorIgnoresCaseAndDropsEmptyPieces)
{
    const auto pieces = SplitAtSeparator(L"aXyXYbxy;xYc", L"xy");
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(Text(pieces[0]), L"a");
    EXPECT_EQ(Text(pieces[1]), L"b");
    EXPECT_EQ(Text(pieces[2]), L";");
    EXPECT_EQ(Text(pieces[3]), L"c");
    EXPECT_TRUE(SplitAtSeparator(L"", L";").empty());
}

TEST(FolderPath, NameParts)
{
    EXPECT_EQ(Text(FileNameOf(L"C:\\a\\b.c.jpg")), L"b.c.jpg");
    EXPECT_EQ(Text(FileNameOf(L"b.jpg")), L"b.jpg");
    EXPECT_EQ(Text(WithoutExtension(L"b.c.jpg")), L"b.c");
    EXPECT_EQ(Text(WithoutExtension(L"README")), L"README");
    // The extension is taken from the whole path.
    EXPECT_EQ(Text(ExtensionOf(L"C:\\Photos.old\\README")), L"old\\README");
    EXPECT_EQ(Text(ExtensionOf(L"C:\\Photos\\README")), L"");
}
