// The value grammar of the online filter: what a search line accepts while
// the user types, how a finished value is checked and written as text, and
// how a stored value text is read back into the editors' fields. Problems
// are thrown as SearchValueProblem with a string of the language module.
#pragma once

#include "foundation/Error.h"
#include "foundation/StringEx.h"

#include <windows.h>

// The value type of a server property (its data_type).
enum SearchPropertyType : DWORD
{
    Text = 0,
    Token = 1,
    Date = 2,
    Time = 3,
    DateTime = 4,
    YearWeek = 5,
    YearMonth = 6,
    YearEra = 7,
    RomanNumberEra = 8,
    NumberEra = 9,
    Duration = 10,
    Int64 = 11,
    UInt64 = 12,
    Real = 13,
    Decimal = 14,
};

// The most characters an edit of the type takes: 1000 for texts and
// tokens, 20 for the integers, 327 for reals, 31 for decimals; 4 for the
// year edits of the other types.
unsigned ValueEditLimit(DWORD type);
// No text longer than this reaches a regular expression: the longest edit
// limit (libstdc++'s std::regex recurses per character and overflows the
// stack on texts of a few thousand characters).
constexpr size_t RegexTextLimit = 1000;

// Era item data of the era combos.
constexpr DWORD EraNone = 0;
constexpr DWORD EraAD = 1;
constexpr DWORD EraBC = 2;

// A problem of a typed or stored value: the message's string id and its
// formatted text.
class SearchValueProblem : public QuilloryError
{
public:
    explicit SearchValueProblem(unsigned stringId);
    SearchValueProblem(unsigned stringId, const MStringEx<wchar_t>& text) : m_id(stringId), m_text(text) {}
    unsigned Code() const noexcept override { return m_id; }
    const char* what() const noexcept override { return "search value"; }
    const MStringEx<wchar_t>& Text() const { return m_text; }

private:
    unsigned m_id;
    MStringEx<wchar_t> m_text;
};

// Whole-text match of an ECMAScript pattern. A text longer than
// RegexTextLimit, or an error of the engine, is no match.
bool MatchesRegex(const MStringEx<wchar_t>& text, const wchar_t* pattern);
// Every run of white space replaced by the replacement.
MStringEx<wchar_t> CollapseWhitespace(const MStringEx<wchar_t>& text, const MStringEx<wchar_t>& replacement);

bool IsReal(const MStringEx<wchar_t>& text);
bool IsUInt64(const MStringEx<wchar_t>& text);
bool IsInt64(const MStringEx<wchar_t>& text);
// strict: canonical decimal only; otherwise wcstoul in radix 10, failing
// only on a range error.
bool IsUInt32(const MStringEx<wchar_t>& text, DWORD& value, bool strict);

MStringEx<wchar_t> ToRoman(unsigned number);
bool ParseRoman(const MStringEx<wchar_t>& text, unsigned& number, unsigned maximum);
bool IsValidIsoWeek(unsigned year, unsigned week);
// Gregorian leap years: every fourth year, but not the centuries other
// than every fourth.
bool IsLeapYear(unsigned year);
bool IsValidDay(unsigned year, unsigned month, unsigned day);

bool ParseDate(const MStringEx<wchar_t>& text, unsigned& year, unsigned& month, unsigned& day);
bool ParseTime(const MStringEx<wchar_t>& text, unsigned& hour, unsigned& minute, unsigned& second);
// era: EraAD for "AD", EraBC for "BC"; the number must be 1 to maximum.
bool ParseEraValue(const MStringEx<wchar_t>& text, bool roman, unsigned maximum, unsigned& number, unsigned& era);

// The trimmed text with white-space runs replaced; a message (string id
// and text) instead when it is empty, holds "<script" or is longer than
// 1000 characters afterwards.
struct NormalizedText
{
    MStringEx<wchar_t> text;
    unsigned messageId = 0;
    MStringEx<wchar_t> message;
};
NormalizedText NormalizeValueText(const MStringEx<wchar_t>& text, const MStringEx<wchar_t>& replacement,
                                  unsigned lengthMessageId);

// The typing check of a value edit: whether the edit's new text is kept
// (types 1, 2, 4 to 7, 10 to 14; yearsEdit tells the duration's years).
bool TypingAccepts(DWORD type, const MStringEx<wchar_t>& text);

// The value text of a type edited in the text edit (0, 1, 11 to 14), from
// the edit's text; throws the problem.
MStringEx<wchar_t> ComposeEditedValue(DWORD type, const MStringEx<wchar_t>& editText);
// The value texts of the editor groups, from their fields: a year edit's
// text and the item data of the combos (0, or -1 for the duration parts,
// when nothing is chosen); throw the problem.
MStringEx<wchar_t> ComposeDate(const MStringEx<wchar_t>& yearText, DWORD month, DWORD day);
MStringEx<wchar_t> ComposeDateTime(const MStringEx<wchar_t>& yearText, DWORD month, DWORD day, unsigned hour,
                                   unsigned minute, unsigned second);
MStringEx<wchar_t> ComposeTime(unsigned hour, unsigned minute, unsigned second);
MStringEx<wchar_t> ComposeYearWeek(const MStringEx<wchar_t>& yearText, DWORD week);
MStringEx<wchar_t> ComposeYearMonth(const MStringEx<wchar_t>& yearText, DWORD month);
MStringEx<wchar_t> ComposeYearEra(const MStringEx<wchar_t>& yearText, DWORD era);
MStringEx<wchar_t> ComposeRomanNumberEra(DWORD number, DWORD era);
MStringEx<wchar_t> ComposeNumberEra(DWORD number, DWORD era);
// parts: months, days, hours, minutes, seconds.
MStringEx<wchar_t> ComposeDuration(const MStringEx<wchar_t>& yearsText, const DWORD (&parts)[5]);

// A stored value text read back into the fields of its editors; any
// failure throws string 845.
struct StoredValueFields
{
    MStringEx<wchar_t> text; // types 0, 1, 11 to 14
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    unsigned week = 0;       // type 5
    unsigned number = 0;     // types 7 (the year), 8, 9
    unsigned era = EraNone;  // EraAD or EraBC
    unsigned duration[6] = {}; // years, months, days, hours, minutes, seconds
};
StoredValueFields ParseStoredValue(DWORD type, const MStringEx<wchar_t>& text);
