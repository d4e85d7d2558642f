#include "slideshow/PathMatching.h"

#include <gtest/gtest.h>

TEST(PathMatching, FolderPathHashOfKnownText)
{
    EXPECT_EQ(FolderPathHash(L"abc"), 3629u);
    EXPECT_EQ(FolderPathHash(L"ABC"), 3629u);
}

TEST(PathMatching, MatchesAndLiesUnder)
{
    const struct
    {
        const wchar_t* reference;
        const wchar_t* candidate;
        bool matches;
        bool liesUnder;
    } cases[] = {
        {L"d:\\pics", L"D:\\Pics\\", true, false},
        {L"C:\\Photos\\a.jpg", L"c:/photos/A.JPG", true, false},
        {L"C:\\Photos\\a.jpg", L"C:\\Photos", false, true},
        {L"C:\\Photos\\a.jpg", L"C:\\Photos\\", false, true},
        {L"C:\\PhotosX\\a.jpg", L"C:\\Photos", false, false},
        {L"C:\\x.jpg", L"C:", false, true},
        {L"C:\\", L"C:", true, false},
        {L"C:\\Photos", L"C:\\Photo", false, false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(PathMatches(c.reference, c.candidate), c.matches) << c.reference << L" / " << c.candidate;
        EXPECT_EQ(PathLiesUnder(c.reference, c.candidate), c.liesUnder) << c.reference << L" / " << c.candidate;
    }
}
