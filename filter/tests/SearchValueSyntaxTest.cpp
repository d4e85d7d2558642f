// The value grammar of the search lines, as tables per type: the typing
// check, the composed value and its message, and a stored value read back.
#include "filter/SearchValueSyntax.h"
#include "resources/languages/LanguageIds.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// The message id a composition throws, or 0 with the text.
template <class Compose> unsigned Problem(Compose compose, MStringEx<wchar_t>* text = nullptr)
{
    try
    {
        const MStringEx<wchar_t> value = compose();
        if (text)
            *text = value;
        return 0;
    }
    catch (const SearchValueProblem& problem)
    {
        return problem.Code();
    }
}

unsigned Edited(DWORD type, const wchar_t* text, MStringEx<wchar_t>* value = nullptr)
{
    return Problem([&] { return ComposeEditedValue(type, text); }, value);
}

std::wstring W(const MStringEx<wchar_t>& text) { return std::wstring(text.GetText(), static_cast<size_t>(text.GetLength())); }
} // namespace

TEST(SearchValueSyntax, NumbersAsTyped)
{
    const struct
    {
        DWORD type;
        const wchar_t* text;
        unsigned problem;
    } cases[] = {
        {Int64, L"-9223372036854775808", 0},
        {Int64, L"9223372036854775807", 0},
        {Int64, L"9223372036854775808", IDS_VALUE_BAD_INT64},
        {Int64, L"+1", IDS_VALUE_BAD_INT64},
        {Int64, L"-0", IDS_VALUE_BAD_INT64},
        {Int64, L"007", IDS_VALUE_BAD_INT64},
        {UInt64, L"18446744073709551615", 0},
        {UInt64, L"18446744073709551616", IDS_VALUE_BAD_UINT64},
        {UInt64, L"0", 0},
        {UInt64, L"-1", IDS_VALUE_BAD_UINT64},
        {Real, L"0", 0},
        {Real, L"-0", 0},
        {Real, L"0.0", IDS_VALUE_BAD_REAL},
        {Real, L"0e5", IDS_VALUE_BAD_REAL},
        {Real, L"+0.0", IDS_VALUE_BAD_REAL},
        {Real, L"1e400", IDS_VALUE_BAD_REAL},
        {Real, L"1.5E-3", 0},
        {Real, L"1.", IDS_VALUE_BAD_REAL},
        {Decimal, L"0.5", 0},
        {Decimal, L"-12.0001", 0},
        {Decimal, L"1.0", 0},
        {Decimal, L"0.0", IDS_VALUE_BAD_DECIMAL},
        {Decimal, L"-0", IDS_VALUE_BAD_DECIMAL},
        {Decimal, L"1.00001", IDS_VALUE_BAD_DECIMAL},
        {Decimal, L"1234567890123456789012345.1234", 0},
        {Decimal, L"12345678901234567890123456", IDS_VALUE_BAD_DECIMAL},
        {Int64, L"   ", IDS_VALUE_EMPTY},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Edited(c.type, c.text), c.problem) << c.type << " " << std::string(c.text, c.text + wcslen(c.text));
    MStringEx<wchar_t> value;
    EXPECT_EQ(Edited(UInt64, L"  42 ", &value), 0u);
    EXPECT_EQ(W(value), L"42");
}

TEST(SearchValueSyntax, TextsAndTokens)
{
    MStringEx<wchar_t> value;
    EXPECT_EQ(Edited(Text, L"  a   b  ", &value), 0u);
    EXPECT_EQ(W(value), L"a b");
    EXPECT_EQ(Edited(Text, L"x\t\u3000\r\ny", &value), 0u);
    EXPECT_EQ(W(value), L"x y");
    EXPECT_EQ(Edited(Text, L"a <script>"), static_cast<unsigned>(IDS_VALUE_SCRIPT));
    EXPECT_EQ(Edited(Token, L"a b"), static_cast<unsigned>(IDS_VALUE_TOKEN_CHARACTERS));
    EXPECT_EQ(Edited(Token, L"a>"), static_cast<unsigned>(IDS_VALUE_TOKEN_CHARACTERS));
    EXPECT_EQ(Edited(Token, L"word\tnext", &value), 0u);
    EXPECT_EQ(W(value), L"wordnext") << "other white space goes";

    const NormalizedText script = NormalizeValueText(L"ab<script", L" ", IDS_VALUE_TEXT_TOO_LONG);
    EXPECT_EQ(script.messageId, static_cast<unsigned>(IDS_VALUE_SCRIPT));
    EXPECT_EQ(script.message, MStringEx<wchar_t>(sX::Format(), IDS_VALUE_SCRIPT, 3));

    // 1001 characters after collapsing: the length message with 1001 and 1000.
    const std::wstring long_text = std::wstring(999, L'a') + L"   " + L"b";
    const NormalizedText tooLong = NormalizeValueText(long_text.c_str(), L" ", IDS_VALUE_TEXT_TOO_LONG);
    EXPECT_EQ(tooLong.messageId, static_cast<unsigned>(IDS_VALUE_TEXT_TOO_LONG));
    EXPECT_EQ(tooLong.message, MStringEx<wchar_t>(sX::Format(), IDS_VALUE_TEXT_TOO_LONG, L"1001", L"1000"));
    EXPECT_TRUE(tooLong.text.IsEmpty());
}

TEST(SearchValueSyntax, DatesFollowTheGregorianCalendar)
{
    const struct
    {
        const wchar_t* year;
        DWORD month, day;
        unsigned problem;
    } cases[] = {
        {L"2024", 2, 29, 0},
        {L"2000", 2, 29, 0},
        {L"1900", 2, 29, IDS_VALUE_BAD_DATE},
        {L"2100", 2, 29, IDS_VALUE_BAD_DATE},
        {L"2023", 2, 29, IDS_VALUE_BAD_DATE},
        {L"2023", 4, 31, IDS_VALUE_BAD_DATE},
        {L"2023", 12, 31, 0},
        {L"0", 1, 1, IDS_VALUE_BAD_DATE},
        {L"10000", 1, 1, IDS_VALUE_BAD_DATE},
        {L"", 0, 0, IDS_VALUE_EMPTY},
        {L"", 3, 0, IDS_VALUE_BAD_DATE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Problem([&] { return ComposeDate(c.year, c.month, c.day); }), c.problem)
            << std::string(c.year, c.year + wcslen(c.year)) << "-" << c.month << "-" << c.day;
    MStringEx<wchar_t> value;
    EXPECT_EQ(Problem([] { return ComposeDate(L" 5 ", 3, 7); }, &value), 0u);
    EXPECT_EQ(W(value), L"0005-03-07");
    EXPECT_EQ(Problem([] { return ComposeDateTime(L"2000", 2, 29, 23, 5, 9); }, &value), 0u);
    EXPECT_EQ(W(value), L"2000-02-29 23:05:09");
    EXPECT_EQ(Problem([] { return ComposeDateTime(L"1900", 2, 29, 0, 0, 0); }),
              static_cast<unsigned>(IDS_VALUE_BAD_DATE_TIME));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
}

TEST(SearchValueSyntax, WeeksMonthsErasAndDurations)
{
    MStringEx<wchar_t> value;
    EXPECT_EQ(Problem([] { return ComposeYearWeek(L"2020", 53); }, &value), 0u);
    EXPECT_EQ(W(value), L"2020-W53");
    EXPECT_EQ(Problem([] { return ComposeYearWeek(L"2021", 53); }), static_cast<unsigned>(IDS_VALUE_NO_WEEK_53));
    EXPECT_EQ(Problem([] { return ComposeYearWeek(L"2021", 0); }), static_cast<unsigned>(IDS_VALUE_BAD_YEAR_WEEK));
    EXPECT_EQ(Problem([] { return ComposeYearMonth(L"2021", 13); }), static_cast<unsigned>(IDS_VALUE_BAD_YEAR_MONTH));
    EXPECT_EQ(Problem([] { return ComposeYearMonth(L"", 0); }), static_cast<unsigned>(IDS_VALUE_EMPTY));

    EXPECT_EQ(Problem([] { return ComposeRomanNumberEra(21, EraAD); }, &value), 0u);
    EXPECT_EQ(W(value), L"XXI AD");
    EXPECT_EQ(Problem([] { return ComposeNumberEra(21, EraBC); }, &value), 0u);
    EXPECT_EQ(W(value), L"21 BC");
    EXPECT_EQ(Problem([] { return ComposeYearEra(L"0005", EraAD); }, &value), 0u);
    EXPECT_EQ(W(value), L"5 AD");
    EXPECT_EQ(Problem([] { return ComposeYearEra(L"5", EraNone); }), static_cast<unsigned>(IDS_VALUE_BAD_YEAR_ERA));
    EXPECT_EQ(Problem([] { return ComposeRomanNumberEra(100, EraAD); }), static_cast<unsigned>(IDS_VALUE_BAD_ROMAN_ERA));
    EXPECT_EQ(Problem([] { return ComposeNumberEra(0, EraNone); }), static_cast<unsigned>(IDS_VALUE_EMPTY));

    const DWORD parts[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(Problem([&] { return ComposeDuration(L"0", parts); }, &value), 0u);
    EXPECT_EQ(W(value), L"0000-01-02 03:04:05");
    const DWORD none[5] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_EQ(Problem([&] { return ComposeDuration(L"", none); }), static_cast<unsigned>(IDS_VALUE_EMPTY));
    EXPECT_EQ(Problem([&] { return ComposeDuration(L"", parts); }), static_cast<unsigned>(IDS_VALUE_BAD_DURATION));
    const DWORD some[5] = {1, 0xFFFFFFFF, 3, 4, 5};
    EXPECT_EQ(Problem([&] { return ComposeDuration(L"1", some); }), static_cast<unsigned>(IDS_VALUE_BAD_DURATION));

    unsigned n = 0;
    EXPECT_EQ(W(ToRoman(99)), L"XCIX");
    EXPECT_TRUE(ParseRoman(L"XCIX", n, 99));
    EXPECT_EQ(n, 99u);
    EXPECT_TRUE(ParseRoman(L"iiii", n, 99));
    EXPECT_EQ(n, 4u);
    EXPECT_FALSE(ParseRoman(L"C", n, 99));
    EXPECT_FALSE(ParseRoman(L"IIX2", n, 99));
    EXPECT_FALSE(ParseRoman(L"", n, 99));
}

TEST(SearchValueSyntax, TypingKeepsOnlyPossibleBeginnings)
{
    const struct
    {
        DWORD type;
        const wchar_t* text;
        bool kept;
    } cases[] = {
        {Date, L"0", false},     {Duration, L"0", true},  {Date, L"", true},       {Date, L"9999", true},
        {YearWeek, L"10000", false}, {Int64, L"-", true}, {Int64, L"--", false},   {Int64, L"01", false},
        {UInt64, L"-", false},   {Real, L"-", true},      {Real, L"1.", true},     {Real, L"1e", true},
        {Real, L"1e+", true},    {Real, L"1e+1234", false}, {Real, L"1x", false},  {Decimal, L"1.12345", false},
        {Decimal, L"-0.", true}, {Token, L"a<", false},   {Token, L"abc", true},   {Text, L"<>  ", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TypingAccepts(c.type, c.text), c.kept)
            << c.type << " " << std::string(c.text, c.text + wcslen(c.text));
}

TEST(SearchValueSyntax, LongTextsNeverReachTheRegularExpressions)
{
    // Far beyond any edit's limit: refused at once, no stack exhausted.
    const std::wstring huge(20000, L'7');
    EXPECT_FALSE(MatchesRegex(huge.c_str(), L"^[0-9]+$"));
    EXPECT_FALSE(TypingAccepts(Token, huge.c_str()));
    EXPECT_NE(Edited(UInt64, huge.c_str()), 0u);
    EXPECT_THROW(ParseStoredValue(Real, huge.c_str()), SearchValueProblem);
    // At the longest edit limit the expressions still run.
    const std::wstring limit(RegexTextLimit, L'a');
    EXPECT_TRUE(MatchesRegex(limit.c_str(), L"^$|^[^<> ]+$"));
    MStringEx<wchar_t> value;
    EXPECT_EQ(Edited(Token, limit.c_str(), &value), 0u);
    const std::wstring spaces = L"a" + std::wstring(20000, L' ') + L"b";
    EXPECT_EQ(Edited(Text, spaces.c_str(), &value), 0u);
    EXPECT_EQ(W(value), L"a b");
}

TEST(SearchValueSyntax, StoredValuesReadBackIntoTheirFields)
{
    const StoredValueFields date = ParseStoredValue(Date, L"2000-02-29");
    EXPECT_EQ(date.year * 10000 + date.month * 100 + date.day, 20000229u);
    const StoredValueFields dateTime = ParseStoredValue(DateTime, L"1985-03-01 23:59:58");
    EXPECT_EQ(dateTime.hour * 10000 + dateTime.minute * 100 + dateTime.second, 235958u);
    const StoredValueFields week = ParseStoredValue(YearWeek, L"2020-W53");
    EXPECT_EQ(week.week, 53u);
    const StoredValueFields roman = ParseStoredValue(RomanNumberEra, L"XXI AD");
    EXPECT_EQ(roman.number, 21u);
    EXPECT_EQ(roman.era, EraAD);
    const StoredValueFields era = ParseStoredValue(NumberEra, L"21 BC");
    EXPECT_EQ(era.era, EraBC);
    const StoredValueFields duration = ParseStoredValue(Duration, L"9999-99-00 01:02:03");
    EXPECT_EQ(duration.duration[0], 9999u);
    EXPECT_EQ(duration.duration[1], 99u);
    EXPECT_EQ(W(ParseStoredValue(Text, L"a b").text), L"a b");

    const struct
    {
        DWORD type;
        const wchar_t* text;
    } refused[] = {
        {Date, L"1900-02-29"}, {Date, L"2000-02"},       {Time, L"24:00:00"},   {DateTime, L"2000-01-01"},
        {YearWeek, L"2021-W53"}, {YearMonth, L"2021-13"}, {YearEra, L"0 AD"},    {RomanNumberEra, L"C AD"},
        {NumberEra, L"5 ad"},  {Duration, L"0000-100-00 00:00:00"}, {Text, L"a  b"}, {Text, L" a"},
        {Token, L"a b"},       {Int64, L"+5"},           {Real, L"0.0"},        {UInt64, L""},
        {Time, L"1:2"},        {17, L"x"},
    };
    for (const auto& c : refused)
    {
        try
        {
            ParseStoredValue(c.type, c.text);
            ADD_FAILURE() << c.type << " " << std::string(c.text, c.text + wcslen(c.text));
        }
        catch (const SearchValueProblem& problem)
        {
            EXPECT_EQ(problem.Code(), static_cast<unsigned>(IDS_VALUE_STORED_INVALID));
        }
    }
}
