#include "foundation/StringEx.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace
{
const unsigned __int64 npos = MString::npos;

std::wstring Text(const MString& s) { return std::wstring(s.GetText(), s.GetLength()); }
std::string Text(const MStringEx<char>& s) { return std::string(s.GetText(), s.GetLength()); }

template <class T> std::vector<std::basic_string<T>> Texts(const MList<MStringEx<T>>& list)
{
    std::vector<std::basic_string<T>> texts;
    for (unsigned __int64 i = 0; i < list.GetCount(); ++i)
        texts.emplace_back(list.GetAt(i)->GetText(), list.GetAt(i)->GetLength());
    return texts;
}
}

TEST(StringOperations, Find)
{
    struct Case
    {
        const wchar_t* text;
        const wchar_t* part;
        unsigned __int64 start;
        bool matchCase;
        unsigned __int64 expected;
    };
    const Case cases[] = {
        {L"hello", L"lo", 0, true, 3},   {L"hello", L"lo", 4, true, npos}, {L"hello", L"LO", 0, false, 3},
        {L"hello", L"LO", 0, true, npos}, {L"hello", L"", 2, true, 2},      {L"hello", L"", 5, true, npos},
        {L"hello", L"hello!", 0, true, npos}, {L"abab", L"ab", 1, true, 2}, {L"", L"", 0, true, npos},
        {L"hello", L"h", 9, true, npos},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MString(c.text).Find(c.part, c.start, c.matchCase), c.expected) << c.text << " / " << c.part;
    EXPECT_EQ(MStringEx<char>("Content-Type").Find("TYPE", 0, false), 8u);

    // The sources are never changed by a comparison that ignores case.
    MString text(L"HeLLo");
    text.Find(L"ll", 0, false);
    EXPECT_EQ(Text(text), L"HeLLo");
}

TEST(StringOperations, FindCharAndStartsWith)
{
    EXPECT_EQ(MString(L"hEllo").FindChar(L'e', 0, false), 1u);
    EXPECT_EQ(MString(L"hEllo").FindChar(L'e', 0, true), npos);
    EXPECT_EQ(MString(L"hello").FindChar(L'l', 3, true), 3u);
    EXPECT_EQ(MString(L"hello").FindChar(L'h', 1, true), npos);

    struct Case
    {
        const wchar_t* text;
        const wchar_t* prefix;
        bool matchCase;
        bool expected;
    };
    const Case cases[] = {
        {L"/RegServer", L"/regserver", false, true}, {L"/RegServer", L"/regserver", true, false},
        {L"abc", L"", true, false},                  {L"", L"", false, false},
        {L"ab", L"abc", true, false},                {L"abc", L"abc", true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MString(c.text).StartsWith(c.prefix, c.matchCase), c.expected) << c.text << " / " << c.prefix;
}

TEST(StringOperations, EqualsNoCaseAndContainsAnyOf)
{
    EXPECT_TRUE(MString(L"Quillory").EqualsNoCase(L"QUILLORY"));
    EXPECT_FALSE(MString(L"Quillory").EqualsNoCase(L"Quillor"));
    EXPECT_TRUE(MString(L"").EqualsNoCase(L""));
    EXPECT_TRUE(MStringEx<char>("Gzip").EqualsNoCase("GZIP"));
    EXPECT_FALSE(MStringEx<char>("gzip").EqualsNoCase("gzap"));

    EXPECT_TRUE(MString(L"a*b").ContainsAnyOf(L"?*"));
    EXPECT_FALSE(MString(L"ab").ContainsAnyOf(L"?*"));
    EXPECT_FALSE(MString(L"").ContainsAnyOf(L"?*"));
    EXPECT_FALSE(MString(L"ab").ContainsAnyOf(L""));
}

TEST(StringOperations, Pieces)
{
    const MString text(L"C:\\dir\\file.txt");
    struct Case
    {
        MString result;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {text.Mid(3, 3), L"dir"},
        {text.Mid(12, 99), L"txt"},
        {text.Mid(15, 1), L""},
        {text.Mid(2, 0), L""},
        {text.Mid(11), L".txt"},
        {text.Mid(99), L""},
        {text.Left(2), L"C:"},
        {text.Left(99), L"C:\\dir\\file.txt"},
        {text.AfterLast(L'.', false), L"txt"},
        {text.BeforeLast(L'\\', false), L"C:\\dir"},
        {MString(L"file.txt").BeforeLast(L'\\', false), L""},
        {MString(L"file.txt").BeforeLast(L'\\', true), L"file.txt"},
        {MString(L"file").AfterLast(L'.', false), L""},
        {MString(L"file").AfterLast(L'.', true), L"file"},
        {MString(L"file.").AfterLast(L'.', true), L""},
        {MString(L"").AfterLast(L'.', true), L""},
        {MString(L"a/b/c").AfterNth(L'/', 1, false), L"b/c"},
        {MString(L"a/b/c").AfterNth(L'/', 2, false), L"c"},
        {MString(L"a/b/c").AfterNth(L'/', 3, false), L""},
        {MString(L"a/b/c").AfterNth(L'/', 3, true), L"a/b/c"},
        {MString(L"a/b/c").AfterNth(L'/', 0, false), L""},
        {MString(L"a/b/c").AfterNth(L'/', 0, true), L"a/b/c"},
        {MString(L"").AfterNth(L'/', 1, true), L""},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Text(c.result), c.expected);
        EXPECT_EQ(c.result.GetCount(), c.result.GetLength() + 1);
        EXPECT_EQ(c.result.GetData()[c.result.GetLength()], 0);
    }
    EXPECT_EQ(Text(MStringEx<char>("abcdef").Mid(1, 2)), "bc");
}

TEST(StringOperations, Remove)
{
    MString text(L"a-b--c-");
    text.Remove(L'-');
    EXPECT_EQ(Text(text), L"abc");
    EXPECT_EQ(text.GetCount(), 4u);
    MString all(L"---");
    all.Remove(L'-');
    EXPECT_TRUE(all.IsEmpty());
}

TEST(StringOperations, SplitDropsEmptyPieces)
{
    struct Case
    {
        const wchar_t* text;
        const wchar_t* separator;
        bool matchCase;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {L"a,,b,", L",", true, {L"a", L"b"}},
        {L",a,", L",", true, {L"a"}},
        {L",", L",", true, {}},
        {L"", L",", true, {}},
        {L"abc", L",", true, {L"abc"}},
        {L"a,,b,", L"", true, {L"a", L",", L",", L"b", L","}},
        {L"", L"", true, {}},
        {L"*.htm;*.html;*.mht", L";*", true, {L"*.htm", L".html", L".mht"}},
        {L"oneANDtwoandthree", L"and", false, {L"one", L"two", L"three"}},
        {L"oneANDtwoandthree", L"and", true, {L"oneANDtwo", L"three"}},
        {L"a::b", L"::", true, {L"a", L"b"}},
    };
    for (const Case& c : cases)
    {
        MList<MString> pieces = MString(c.text).Split(c.separator, c.matchCase);
        EXPECT_EQ(Texts(pieces), c.expected) << c.text;
        for (unsigned __int64 i = 0; i < pieces.GetCount(); ++i)
            EXPECT_EQ(pieces.GetAt(i)->radix, 10u);
    }
    MList<MString>* onHeap = MString(L"x y").SplitOnHeap(L" ", true);
    EXPECT_EQ(Texts(*onHeap), (std::vector<std::wstring>{L"x", L"y"}));
    delete onHeap;
}

TEST(StringOperations, Replace)
{
    struct Case
    {
        const wchar_t* text;
        const wchar_t* what;
        const wchar_t* replacement;
        bool matchCase;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"aaaa", L"aa", L"a", true, L"aa"},
        {L"a.b.c", L".", L"\\.", true, L"a\\.b\\.c"},
        {L"Hello hello", L"HELLO", L"bye", false, L"bye bye"},
        {L"Hello hello", L"HELLO", L"bye", true, L"Hello hello"},
        {L"abc", L"abc", L"", true, L""},
        {L"abc", L"", L"x", true, L"abc"},
        {L"xax", L"x", L"xx", true, L"xxaxx"},
    };
    for (const Case& c : cases)
    {
        MString text(c.text);
        text.radix = 16;
        text.Replace(c.what, c.replacement, c.matchCase);
        EXPECT_EQ(Text(text), c.expected) << c.text;
        EXPECT_EQ(text.radix, 16u);
    }
}

TEST(StringOperations, TrimEveryWhiteSpaceClass)
{
    const wchar_t spaces[] = {9,      10,     11,     12,     13,     32,     0x85,   0xA0,   0x1680, 0x180E,
                              0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008, 0x2009,
                              0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
    for (wchar_t space : spaces)
    {
        const wchar_t raw[] = {space, space, L'x', space, L'y', space, 0};
        MString both(raw), left(raw), right(raw);
        both.Trim();
        left.TrimLeft();
        right.TrimRight();
        EXPECT_EQ(Text(both), (std::wstring{L'x', space, L'y'})) << std::hex << static_cast<int>(space);
        EXPECT_EQ(Text(left), (std::wstring{L'x', space, L'y', space}));
        EXPECT_EQ(Text(right), (std::wstring{space, space, L'x', space, L'y'}));
    }
    // Characters next to the classes are no white space.
    for (wchar_t other : {wchar_t(8), wchar_t(14), wchar_t(0x1FFF), wchar_t(0x200B), wchar_t(0xFEFF)})
    {
        const wchar_t raw[] = {other, L'x', other, 0};
        MString text(raw);
        text.Trim();
        EXPECT_EQ(text.GetLength(), 3u) << std::hex << static_cast<int>(other);
    }

    MString ideographic(L"\x3000\x00A0");
    ideographic.Trim();
    EXPECT_TRUE(ideographic.IsEmpty());

    // Narrow text: only the ASCII spaces; bytes above 0x7F are kept.
    MStringEx<char> narrow("\xA0x\xA0");
    narrow.Trim();
    EXPECT_EQ(Text(narrow), "\xA0x\xA0");
    MStringEx<char> ascii(" \t\r\nx \x0B\x0C");
    ascii.Trim();
    EXPECT_EQ(Text(ascii), "x");
}

TEST(StringOperations, TrimCharacter)
{
    struct Case
    {
        const wchar_t* text;
        wchar_t c;
        const wchar_t *left, *right, *both;
    };
    const Case cases[] = {
        {L"\"C:\\a b\\prog.exe\"", L'"', L"C:\\a b\\prog.exe\"", L"\"C:\\a b\\prog.exe", L"C:\\a b\\prog.exe"},
        {L"C:\\dir\\\\", L'\\', L"C:\\dir\\\\", L"C:\\dir", L"C:\\dir"},
        {L"***", L'*', L"", L"", L""},
        {L"", L'*', L"", L"", L""},
    };
    for (const Case& c : cases)
    {
        MString left(c.text), right(c.text), both(c.text);
        EXPECT_EQ(Text(left.TrimLeft(c.c)), c.left);
        EXPECT_EQ(Text(right.TrimRight(c.c)), c.right);
        EXPECT_EQ(Text(both.Trim(c.c)), c.both);
    }
    MStringEx<char> path("/a/b/");
    EXPECT_EQ(Text(path.Trim('/')), "a/b");
}

TEST(StringOperations, NumberTextAndElementViews)
{
    EXPECT_EQ(Text(MString::FromInt64(LLONG_MIN)), L"-9223372036854775808");
    EXPECT_EQ(Text(MString::FromInt64(0)), L"0");
    EXPECT_EQ(Text(MString::FromInt64(-42)), L"-42");
    EXPECT_EQ(MString::FromInt64(7).radix, 10u);

    MemoryPH<wchar_t> filled(ElementCount(3), L'0');
    ASSERT_EQ(filled.GetCount(), 3u);
    EXPECT_EQ(std::wstring(filled.GetData(), 3), L"000");

    // The offset counts bytes, not elements.
    MemoryPH<unsigned int> records(4);
    unsigned char* bytes = reinterpret_cast<unsigned char*>(records.GetData());
    for (unsigned i = 0; i < 16; ++i)
        bytes[i] = static_cast<unsigned char>(i);
    ShellMemory<unsigned int> view = records.SubRange(6, 2);
    EXPECT_EQ(view.GetCount(), 2u);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(view.GetData()), bytes + 6);
    EXPECT_EQ(view.StorageKind(), 2u);
    MemoryPH<unsigned long> longs(2);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(longs.SubRange(4, 1).GetData()),
              reinterpret_cast<unsigned char*>(longs.GetData()) + 4);
}
