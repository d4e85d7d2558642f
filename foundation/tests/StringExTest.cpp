#include "foundation/StringEx.h"

#include "foundation/Handle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), s.GetLength()); }
std::string Text(const MStringEx<char>& s) { return std::string(s.GetText(), s.GetLength()); }

struct TempFolder
{
    wchar_t path[MAX_PATH] = {};
    TempFolder()
    {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        GetTempFileNameW(base, L"qs", 0, path);
        DeleteFileW(path);
        CreateDirectoryW(path, nullptr);
    }
    ~TempFolder()
    {
        WIN32_FIND_DATAW found;
        std::wstring pattern = std::wstring(path) + L"\\*";
        HANDLE search = FindFirstFileW(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE)
        {
            do
                DeleteFileW((std::wstring(path) + L"\\" + found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path);
    }
    std::wstring File(const wchar_t* name) const { return std::wstring(path) + L"\\" + name; }
};

std::string FileBytes(const std::wstring& path)
{
    MemoryPH<char> bytes;
    bytes.ReadWholeFile(path.c_str());
    return std::string(bytes.GetData(), bytes.GetCount());
}
}

TEST(StringEx, EmptyAndClear)
{
    MString empty;
    EXPECT_EQ(empty.GetCount(), 1u);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(MString(static_cast<const wchar_t*>(nullptr)).GetCount(), 1u);

    MString hex(L"ff");
    hex.radix = 16;
    hex.Clear();
    EXPECT_EQ(hex.GetCount(), 1u);
    EXPECT_EQ(hex.radix, 10u);

    MString copy(L"abc");
    copy.radix = 8;
    MString other(copy);
    EXPECT_EQ(other.radix, 8u);
    EXPECT_EQ(other.GetCount(), 4u);
    EXPECT_TRUE(other == copy);
}

TEST(StringEx, ConcatenationBuildsNewStrings)
{
    MString a(L"Quill");
    MString b = a + L"ory";
    EXPECT_EQ(Text(b), L"Quillory");
    EXPECT_EQ(Text(a), L"Quill");
    EXPECT_EQ(Text(L"<" + a), L"<Quill");
    EXPECT_EQ(Text(a + static_cast<const wchar_t*>(nullptr)), L"Quill");
    a += MString(L"!");
    EXPECT_EQ(a.GetCount(), 7u);
    EXPECT_EQ(a[6], L'\0');
    a = L"x";
    EXPECT_EQ(Text(a), L"x");
}

TEST(StringEx, FormatsWithTheMicrosoftRules)
{
    EXPECT_EQ(Text(MString(sX::Format(), L"%s=%d", L"wide", 5)), L"wide=5");
    EXPECT_EQ(Text(MString(sX::Format(), L"%I64u", 18446744073709551615ull)), L"18446744073709551615");
    EXPECT_EQ(Text(MString(sX::Format(), L"%I64d", -5ll)), L"-5");
    EXPECT_EQ(Text(MStringEx<char>(sX::Format(), "%s|%I64u", "narrow", 1ull << 40)), "narrow|1099511627776");
    EXPECT_TRUE(MString(sX::Format(), nullptr).IsEmpty());
    MString s(L"old");
    s.Format(L"%05.1f", 2.25);
    EXPECT_EQ(Text(s), L"002.3");
    s.Format(nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(StringEx, GroupsNumbersByThrees)
{
    struct Case
    {
        unsigned __int64 value;
        const wchar_t* grouped;
    } cases[] = {{0, L"0"},
                 {999, L"999"},
                 {1000, L"1,000"},
                 {1234567, L"1,234,567"},
                 {100000, L"100,000"},
                 {18446744073709551615ull, L"18,446,744,073,709,551,615"}};
    for (const Case& c : cases)
        EXPECT_EQ(Text(MString(true, c.value)), c.grouped) << c.value;
    EXPECT_EQ(Text(MString(false, 1234567)), L"1234567");
    MString dots(L"12345");
    dots.InsertGroupSeparators(L". ");
    EXPECT_EQ(Text(dots), L"12. 345");
}

TEST(StringEx, ParsesUnsignedNumbers)
{
    struct Case
    {
        const wchar_t* text;
        unsigned radix;
        bool ok;
        unsigned __int64 value;
    } cases[] = {
        {L"", 10, true, 0},
        {L"18446744073709551615", 10, true, 18446744073709551615ull},
        {L"18446744073709551616", 10, false, ~0ull},
        {L"99999999999999999999", 10, false, ~0ull},
        {L"00000000000000000000000042", 10, true, 42},
        {L"12a", 10, false, 0},
        {L"-1", 10, false, 0},
        {L"ff", 16, true, 255},
        {L"FFFFFFFFFFFFFFFF", 16, true, ~0ull},
        {L"1FFFFFFFFFFFFFFFF", 16, false, ~0ull},
        {L"101", 2, true, 5},
        {L"102", 2, false, 0},
        {L"777", 8, true, 511},
        {L"8", 8, false, 0},
        {L"1", 7, false, 0},
    };
    for (const Case& c : cases)
    {
        MString s(c.text);
        s.radix = c.radix;
        unsigned __int64 value = 1234;
        EXPECT_EQ(s.ToUInt64(value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(StringEx, DigitValueReportsItsFailures)
{
    MString s;
    s.radix = 16;
    EXPECT_EQ(s.DigitValue(L'c'), 12u);
    try
    {
        s.DigitValue(L'g');
        FAIL();
    }
    catch (const MStringException& e)
    {
        EXPECT_EQ(e.code, 10006u);
    }
    s.radix = 3;
    try
    {
        s.DigitValue(L'1');
        FAIL();
    }
    catch (const MStringException& e)
    {
        EXPECT_EQ(e.code, 10007u);
    }
}

TEST(StringEx, Utf8RoundTrips)
{
    const MString text(L"\u0421\u043B\u0430\u0439\u0434 caf\u00E9 \U0001F600");
    const MStringEx<char> utf8 = text.ToUtf8();
    const std::string expected = "\xD0\xA1\xD0\xBB\xD0\xB0\xD0\xB9\xD0\xB4 caf\xC3\xA9 \xF0\x9F\x98\x80";
    EXPECT_EQ(Text(utf8), expected);
    EXPECT_EQ(utf8.GetCount(), expected.size() + 1);

    // With its NUL the result is terminated; without it, it is not.
    const MString back = utf8.Utf8ToWide();
    EXPECT_TRUE(back == text);
    const MString bare = utf8.TextView().Utf8ToWide();
    EXPECT_EQ(bare.GetCount(), text.GetCount() - 1);
    EXPECT_NE(bare[bare.GetCount() - 1], L'\0');

    MStringEx<char> inner("ab");
    inner.Append(MStringEx<char>("cd"));
    inner[1] = 0;
    EXPECT_EQ(Text(Utf8ToWideString(inner)), L"a");
    EXPECT_EQ(Text(WideToUtf8String(MString(L"x\u00E9"))), "x\xC3\xA9");
}

TEST(StringEx, AtomConstructorStopsAtNulOnlyWhenAsked)
{
    const wchar_t units[] = {L'a', L'b', 0, L'c', L'd'};
    ShellMemory<wchar_t> view(const_cast<wchar_t*>(units), 5);
    EXPECT_EQ(Text(MString(view, true)), L"ab");
    MString all(view, false);
    ASSERT_EQ(all.GetCount(), 6u);
    EXPECT_EQ(all[2], L'\0');
    EXPECT_EQ(all[4], L'd');
    EXPECT_EQ(all[5], L'\0');
}

TEST(StringEx, RoomAndNarrowOnlyConstructors)
{
    MString room{ElementCount(3)};
    EXPECT_EQ(room.GetCount(), 4u);
    EXPECT_EQ(room[0], 0);
    EXPECT_EQ(room[3], 0);
    EXPECT_EQ(Text(MStringEx<char>('q')), "q");
    EXPECT_TRUE(MStringEx<char>('\0').IsEmpty());
    const GUID guid = {0x97095852, 0x4142, 0x479B, {0x9D, 0xF3, 0xA8, 0x1B, 0x80, 0xB1, 0x92, 0x29}};
    EXPECT_EQ(Text(MStringEx<char>(guid)), "{97095852-4142-479B-9DF3-A81B80B19229}");
    const MString fresh = NewGuidString();
    EXPECT_EQ(fresh.GetLength(), 38u);
    EXPECT_FALSE(fresh == NewGuidString());
}

TEST(StringEx, TextWritersWriteWithOrWithoutTheNul)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"text.bin");
    MStringEx<char> text("abc");
    EXPECT_TRUE(text.WriteTextFile(path.c_str(), false, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(FileBytes(path), "abc");
    EXPECT_TRUE(text.AppendTextToFile(path.c_str(), true));
    EXPECT_EQ(FileBytes(path), std::string("abcabc\0", 7));

    DWORD error = 99;
    EXPECT_TRUE(text.WriteTextFile(path.c_str(), true, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, &error));
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(FileBytes(path), std::string("abc\0", 4));
}

TEST(StringEx, TextWritersReportFailure)
{
    TempFolder folder;
    const std::wstring missing = folder.File(L"no such folder\\x.txt");
    MString text(L"abc");
    DWORD error = 0;
    EXPECT_FALSE(text.WriteTextFile(missing.c_str(), false, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(text.WriteTextFile(missing.c_str(), true, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(text.AppendTextToFile(missing.c_str(), false));
    EXPECT_FALSE(text.WriteTextToHandle(INVALID_HANDLE_VALUE, true));
    EXPECT_FALSE(text.WriteTextToHandle(nullptr, true));

    // A handle opened for reading only refuses the write.
    const std::wstring path = folder.File(L"read-only.txt");
    ASSERT_TRUE(text.WriteTextFile(path.c_str(), false, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    HANDLE reading = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reading, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(text.WriteTextToHandle(reading, false));
    CloseHandle(reading);
}

TEST(StringEx, WindowTextAndAWindowThatDoesNotAnswer)
{
    HWND edit = CreateWindowExW(0, L"EDIT", L"window text", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(Text(GetWindowTextString(edit)), L"window text");
    DestroyWindow(edit);

    // A window whose thread is busy (here: waiting for the test to let it
    // go) does not answer within 100 ms.
    std::atomic<HWND> hung{nullptr};
    MHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    MHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread owner([&] {
        hung = CreateWindowExW(0, L"STATIC", L"busy", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetEvent(created);
        WaitForSingleObject(release, INFINITE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        DestroyWindow(hung.load());
    });
    const bool up = WaitForSingleObject(created, 30000) == WAIT_OBJECT_0;
    EXPECT_TRUE(up);
    EXPECT_NE(hung.load(), nullptr);
    if (up && hung.load())
    {
        EXPECT_TRUE(GetWindowTextString(hung.load()).IsEmpty());
    }
    SetEvent(release);
    owner.join();
}
