#include "filter/SearchValueSyntax.h"

#include "resources/languages/LanguageIds.h"

#include <cerrno>
#include <cmath>
#include <cwctype>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

namespace
{
constexpr size_t MaximumValueText = 1000;
constexpr unsigned HighestYear = 9999;
constexpr unsigned HighestEraNumber = 99;
constexpr unsigned HighestDurationPart = 99;
constexpr DWORD NoDurationPart = 0xFFFFFFFF;

std::wstring Std(const MStringEx<wchar_t>& text)
{
    return std::wstring(text.GetText(), static_cast<size_t>(text.GetLength()));
}

MStringEx<wchar_t> Ex(const std::wstring& text) { return MStringEx<wchar_t>(text.c_str()); }

MStringEx<wchar_t> Trimmed(const MStringEx<wchar_t>& text)
{
    MStringEx<wchar_t> copy(text);
    copy.Trim();
    return copy;
}

// ECMAScript's \s.
bool IsRegexSpace(wchar_t c)
{
    return (c >= 9 && c <= 13) || c == 32 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

// The pieces between separators, empty pieces dropped.
std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> pieces;
    size_t start = 0;
    while (start <= text.size())
    {
        size_t end = text.find(separator, start);
        if (end == std::wstring::npos)
            end = text.size();
        if (end > start)
            pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

bool UInt32InRange(const std::wstring& text, unsigned low, unsigned high, unsigned& value)
{
    DWORD read = 0;
    if (!IsUInt32(Ex(text), read, false) || read < low || read > high)
        return false;
    value = read;
    return true;
}

[[noreturn]] void Fail(unsigned stringId) { throw SearchValueProblem(stringId); }

[[noreturn]] void StoredInvalid() { Fail(IDS_VALUE_STORED_INVALID); }

MStringEx<wchar_t> Formatted(const wchar_t* format, ...)
{
    wchar_t buffer[128];
    va_list args;
    va_start(args, format);
    _vsnwprintf(buffer, sizeof(buffer) / sizeof(buffer[0]) - 1, format, args);
    va_end(args);
    buffer[sizeof(buffer) / sizeof(buffer[0]) - 1] = 0;
    return MStringEx<wchar_t>(buffer);
}

const wchar_t* EraText(DWORD era) { return era == EraAD ? L"AD" : L"BC"; }

// Year text and combo value of a year-and-combo editor.
void ReadYearAndCombo(const MStringEx<wchar_t>& yearText, DWORD value, unsigned messageId, DWORD maximum,
                      unsigned& year)
{
    const MStringEx<wchar_t> trimmed = Trimmed(yearText);
    if (trimmed.IsEmpty() && value == 0)
        Fail(IDS_VALUE_EMPTY);
    if (!UInt32InRange(Std(trimmed), 1, HighestYear, year) || value < 1 || value > maximum)
        Fail(messageId);
}

void ReadDateEditors(const MStringEx<wchar_t>& yearText, DWORD month, DWORD day, unsigned messageId,
                     unsigned& year)
{
    const MStringEx<wchar_t> trimmed = Trimmed(yearText);
    if (trimmed.IsEmpty() && month == 0 && day == 0)
        Fail(IDS_VALUE_EMPTY);
    if (!UInt32InRange(Std(trimmed), 1, HighestYear, year) || !IsValidDay(year, month, day))
        Fail(messageId);
}
} // namespace

SearchValueProblem::SearchValueProblem(unsigned stringId) : m_id(stringId), m_text(ResId(stringId)) {}

unsigned ValueEditLimit(DWORD type)
{
    switch (type)
    {
    case Text:
    case Token:
        return 1000;
    case Int64:
    case UInt64:
        return 20;
    case Real:
        return 327;
    case Decimal:
        return 31;
    default:
        return 4;
    }
}

bool MatchesRegex(const MStringEx<wchar_t>& text, const wchar_t* pattern)
{
    if (text.GetLength() > RegexTextLimit)
        return false;
    try
    {
        const std::wregex expression(pattern, std::regex_constants::ECMAScript);
        return std::regex_match(text.GetText(), text.GetText() + text.GetLength(), expression);
    }
    catch (const std::regex_error&)
    {
        return false;
    }
}

MStringEx<wchar_t> CollapseWhitespace(const MStringEx<wchar_t>& text, const MStringEx<wchar_t>& replacement)
{
    const std::wstring source = Std(text);
    const std::wstring with = Std(replacement);
    std::wstring result;
    result.reserve(source.size());
    for (size_t i = 0; i < source.size();)
    {
        if (!IsRegexSpace(source[i]))
        {
            result += source[i++];
            continue;
        }
        while (i < source.size() && IsRegexSpace(source[i]))
            ++i;
        result += with;
    }
    return Ex(result);
}

bool IsReal(const MStringEx<wchar_t>& text)
{
    if (!MatchesRegex(text, L"^[+-]?(0|[1-9][0-9]*)([.][0-9]+)?([eE][+-]?[0-9]{1,3})?$"))
        return false;
    errno = 0;
    const double value = std::wcstod(text.GetText(), nullptr);
    if (errno == ERANGE || std::isnan(value))
        return false;
    if (value != 0.0)
        return true;
    return !text.ContainsAnyOf(L"123456789eE");
}

bool IsUInt64(const MStringEx<wchar_t>& text)
{
    if (!MatchesRegex(text, L"^[+]?(0|[1-9][0-9]{0,19})$"))
        return false;
    errno = 0;
    const unsigned long long value = std::wcstoull(text.GetText(), nullptr, 10);
    if (errno == ERANGE)
        return false;
    return std::to_wstring(value) == Std(text);
}

bool IsInt64(const MStringEx<wchar_t>& text)
{
    if (!MatchesRegex(text, L"^[+-]?(0|[1-9][0-9]{0,18})$"))
        return false;
    errno = 0;
    const long long value = std::wcstoll(text.GetText(), nullptr, 10);
    if (errno == ERANGE)
        return false;
    return std::to_wstring(value) == Std(text);
}

bool IsUInt32(const MStringEx<wchar_t>& text, DWORD& value, bool strict)
{
    if (strict && !MatchesRegex(text, L"^[+]?(0|[1-9][0-9]{0,9})$"))
        return false;
    errno = 0;
    const unsigned long read = std::wcstoul(text.GetText(), nullptr, 10);
    if (errno == ERANGE)
        return false;
    if (strict && std::to_wstring(read) != Std(text))
        return false;
    value = static_cast<DWORD>(read);
    return true;
}

MStringEx<wchar_t> ToRoman(unsigned number)
{
    static const struct
    {
        unsigned value;
        const wchar_t* symbol;
    } numerals[] = {{1000, L"M"}, {900, L"CM"}, {500, L"D"}, {400, L"CD"}, {100, L"C"}, {90, L"XC"}, {50, L"L"},
                    {40, L"XL"},  {10, L"X"},   {9, L"IX"},  {5, L"V"},    {4, L"IV"},  {1, L"I"}};
    std::wstring text;
    for (const auto& numeral : numerals)
        while (number >= numeral.value)
        {
            text += numeral.symbol;
            number -= numeral.value;
        }
    return Ex(text);
}

bool ParseRoman(const MStringEx<wchar_t>& text, unsigned& number, unsigned maximum)
{
    std::wstring upper = Std(text);
    if (upper.empty())
        return false;
    std::vector<long long> values;
    for (wchar_t& c : upper)
    {
        c = static_cast<wchar_t>(std::towupper(c));
        switch (c)
        {
        case L'M': values.push_back(1000); break;
        case L'D': values.push_back(500); break;
        case L'C': values.push_back(100); break;
        case L'L': values.push_back(50); break;
        case L'X': values.push_back(10); break;
        case L'V': values.push_back(5); break;
        case L'I': values.push_back(1); break;
        default: return false;
        }
    }
    long long sum = 0;
    for (size_t i = 0; i < values.size(); ++i)
        sum += (i + 1 < values.size() && values[i] < values[i + 1]) ? -values[i] : values[i];
    if (sum < 1)
    {
        number = 1;
        return false;
    }
    // A long text of M's cannot pass any maximum; keep the number in range.
    number = sum > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<unsigned>(sum);
    return sum <= maximum;
}

bool IsValidIsoWeek(unsigned year, unsigned week)
{
    if (week < 1 || week > 53)
        return false;
    if (week < 53)
        return true;
    auto p = [](long long x) { return (x + x / 4 - x / 100 + x / 400) % 7; };
    return p(year) == 4 || p(static_cast<long long>(year) - 1) == 3;
}

bool IsLeapYear(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool IsValidDay(unsigned year, unsigned month, unsigned day)
{
    if (month < 1 || month > 12 || day < 1)
        return false;
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const unsigned last = month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
    return day <= last;
}

bool ParseDate(const MStringEx<wchar_t>& text, unsigned& year, unsigned& month, unsigned& day)
{
    const std::vector<std::wstring> pieces = Split(Std(text), L'-');
    return pieces.size() == 3 && UInt32InRange(pieces[0], 1, HighestYear, year) &&
           UInt32InRange(pieces[1], 1, 12, month) && UInt32InRange(pieces[2], 1, 31, day) &&
           IsValidDay(year, month, day);
}

bool ParseTime(const MStringEx<wchar_t>& text, unsigned& hour, unsigned& minute, unsigned& second)
{
    const std::vector<std::wstring> pieces = Split(Std(text), L':');
    return pieces.size() == 3 && UInt32InRange(pieces[0], 0, 23, hour) && UInt32InRange(pieces[1], 0, 59, minute) &&
           UInt32InRange(pieces[2], 0, 59, second);
}

bool ParseEraValue(const MStringEx<wchar_t>& text, bool roman, unsigned maximum, unsigned& number, unsigned& era)
{
    const std::vector<std::wstring> pieces = Split(Std(text), L' ');
    if (pieces.size() != 2)
        return false;
    unsigned read = 0;
    if (roman ? !ParseRoman(Ex(pieces[0]), read, maximum) : !UInt32InRange(pieces[0], 1, maximum, read))
        return false;
    if (read < 1 || read > maximum)
        return false;
    if (pieces[1] == L"AD")
        era = EraAD;
    else if (pieces[1] == L"BC")
        era = EraBC;
    else
        return false;
    number = read;
    return true;
}

NormalizedText NormalizeValueText(const MStringEx<wchar_t>& text, const MStringEx<wchar_t>& replacement,
                                  unsigned lengthMessageId)
{
    NormalizedText result;
    const MStringEx<wchar_t> trimmed = Trimmed(text);
    if (trimmed.IsEmpty())
    {
        result.messageId = IDS_VALUE_EMPTY;
        result.message = MStringEx<wchar_t>(ResId(IDS_VALUE_EMPTY));
        return result;
    }
    const size_t script = Std(trimmed).find(L"<script");
    if (script != std::wstring::npos)
    {
        result.messageId = IDS_VALUE_SCRIPT;
        result.message = MStringEx<wchar_t>(sX::Format(), IDS_VALUE_SCRIPT, static_cast<int>(script + 1));
        return result;
    }
    const MStringEx<wchar_t> collapsed = CollapseWhitespace(trimmed, replacement);
    if (collapsed.GetLength() > MaximumValueText)
    {
        result.messageId = lengthMessageId;
        result.message = MStringEx<wchar_t>(sX::Format(), lengthMessageId,
                                            MStringEx<wchar_t>(false, collapsed.GetLength()).GetText(),
                                            MStringEx<wchar_t>(false, MaximumValueText).GetText());
        return result;
    }
    result.text = collapsed;
    return result;
}

bool TypingAccepts(DWORD type, const MStringEx<wchar_t>& text)
{
    switch (type)
    {
    case Token:
        return MatchesRegex(text, L"^$|^[^<> ]+$");
    case Date:
    case DateTime:
    case YearWeek:
    case YearMonth:
    case YearEra:
    case Duration:
    {
        if (text.IsEmpty())
            return true;
        DWORD year = 0;
        const unsigned lowest = type == Duration ? 0 : 1;
        return MatchesRegex(text, L"^$|^0|[1-9][0-9]{0,9}$") && IsUInt32(text, year, false) && year >= lowest &&
               year <= HighestYear;
    }
    case Int64:
        return MatchesRegex(text, L"^$|^0|[-]|[-]?[1-9][0-9]{0,18}$");
    case UInt64:
        return MatchesRegex(text, L"^$|^0|[1-9][0-9]{0,19}$");
    case Real:
        return MatchesRegex(
            text, L"^$|^[-]?((0|[1-9][0-9]*)(([.]|[.][0-9]+)|(([.][0-9]+)?([eE]|[eE][+-]?[0-9]{0,3})))?)?$");
    case Decimal:
        return MatchesRegex(text, L"^$|^[-]?((0|[1-9][0-9]{0,24})([.]|[.][0-9]{0,4})?)?$");
    default:
        return true; // texts are never refused while typed; the other types have no edit
    }
}

MStringEx<wchar_t> ComposeEditedValue(DWORD type, const MStringEx<wchar_t>& editText)
{
    const MStringEx<wchar_t> trimmed = Trimmed(editText);
    if (trimmed.IsEmpty())
        Fail(IDS_VALUE_EMPTY);
    switch (type)
    {
    case Text:
    case Token:
    {
        if (type == Token && trimmed.ContainsAnyOf(L"< >"))
            Fail(IDS_VALUE_TOKEN_CHARACTERS);
        const NormalizedText normal = NormalizeValueText(
            trimmed, type == Text ? MStringEx<wchar_t>(L" ") : MStringEx<wchar_t>(),
            type == Text ? IDS_VALUE_TEXT_TOO_LONG : IDS_VALUE_TOKEN_TOO_LONG);
        if (normal.messageId)
            throw SearchValueProblem(normal.messageId, normal.message);
        return normal.text;
    }
    case Int64:
        if (!IsInt64(trimmed))
            Fail(IDS_VALUE_BAD_INT64);
        return trimmed;
    case UInt64:
        if (!IsUInt64(trimmed))
            Fail(IDS_VALUE_BAD_UINT64);
        return trimmed;
    case Real:
        if (MatchesRegex(trimmed, L"^([+-]?(0[.]0*)|(0([.]0*)?[eE][+-]?\\d*)?)$") || !IsReal(trimmed))
            Fail(IDS_VALUE_BAD_REAL);
        return trimmed;
    case Decimal:
        if (!MatchesRegex(trimmed, L"^(0|([-]?[1-9][0-9]{0,24}([.][0-9]{1,4})?)|([-]?0[.](([1-9][0-9]{0,3})|"
                                   L"([0-9][1-9][0-9]{0,2})|([0-9][0-9][1-9][0-9]?)|([0-9]{0,3}[1-9]))))$"))
            Fail(IDS_VALUE_BAD_DECIMAL);
        return trimmed;
    default:
        Fail(IDS_VALUE_STORED_INVALID);
    }
}

MStringEx<wchar_t> ComposeDate(const MStringEx<wchar_t>& yearText, DWORD month, DWORD day)
{
    unsigned year = 0;
    ReadDateEditors(yearText, month, day, IDS_VALUE_BAD_DATE, year);
    return Formatted(L"%04d-%02d-%02d", year, month, day);
}

MStringEx<wchar_t> ComposeDateTime(const MStringEx<wchar_t>& yearText, DWORD month, DWORD day, unsigned hour,
                                   unsigned minute, unsigned second)
{
    unsigned year = 0;
    ReadDateEditors(yearText, month, day, IDS_VALUE_BAD_DATE_TIME, year);
    return Formatted(L"%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
}

MStringEx<wchar_t> ComposeTime(unsigned hour, unsigned minute, unsigned second)
{
    return Formatted(L"%02d:%02d:%02d", hour, minute, second);
}

MStringEx<wchar_t> ComposeYearWeek(const MStringEx<wchar_t>& yearText, DWORD week)
{
    unsigned year = 0;
    ReadYearAndCombo(yearText, week, IDS_VALUE_BAD_YEAR_WEEK, 53, year);
    if (!IsValidIsoWeek(year, week))
        Fail(IDS_VALUE_NO_WEEK_53);
    return Formatted(L"%04d-W%02d", year, week);
}

MStringEx<wchar_t> ComposeYearMonth(const MStringEx<wchar_t>& yearText, DWORD month)
{
    unsigned year = 0;
    ReadYearAndCombo(yearText, month, IDS_VALUE_BAD_YEAR_MONTH, 12, year);
    return Formatted(L"%04d-%02d", year, month);
}

MStringEx<wchar_t> ComposeYearEra(const MStringEx<wchar_t>& yearText, DWORD era)
{
    const MStringEx<wchar_t> trimmed = Trimmed(yearText);
    if (trimmed.IsEmpty() && era == EraNone)
        Fail(IDS_VALUE_EMPTY);
    unsigned year = 0;
    if (!UInt32InRange(Std(trimmed), 1, HighestYear, year) || (era != EraAD && era != EraBC))
        Fail(IDS_VALUE_BAD_YEAR_ERA);
    return Formatted(L"%d %s", year, EraText(era));
}

MStringEx<wchar_t> ComposeRomanNumberEra(DWORD number, DWORD era)
{
    if (number == 0 && era == EraNone)
        Fail(IDS_VALUE_EMPTY);
    if (number < 1 || number > HighestEraNumber || (era != EraAD && era != EraBC))
        Fail(IDS_VALUE_BAD_ROMAN_ERA);
    return Formatted(L"%s %s", ToRoman(number).GetText(), EraText(era));
}

MStringEx<wchar_t> ComposeNumberEra(DWORD number, DWORD era)
{
    if (number == 0 && era == EraNone)
        Fail(IDS_VALUE_EMPTY);
    if (number < 1 || number > HighestEraNumber || (era != EraAD && era != EraBC))
        Fail(IDS_VALUE_BAD_NUMBER_ERA);
    return Formatted(L"%d %s", number, EraText(era));
}

MStringEx<wchar_t> ComposeDuration(const MStringEx<wchar_t>& yearsText, const DWORD (&parts)[5])
{
    const MStringEx<wchar_t> trimmed = Trimmed(yearsText);
    bool anyChosen = false, allChosen = true;
    for (DWORD part : parts)
    {
        anyChosen = anyChosen || part != NoDurationPart;
        allChosen = allChosen && part != NoDurationPart && part <= HighestDurationPart;
    }
    if (trimmed.IsEmpty())
        Fail(anyChosen ? IDS_VALUE_BAD_DURATION : IDS_VALUE_EMPTY);
    unsigned years = 0;
    if (!allChosen || !UInt32InRange(Std(trimmed), 0, HighestYear, years))
        Fail(IDS_VALUE_BAD_DURATION);
    return Formatted(L"%04d-%02d-%02d %02d:%02d:%02d", years, parts[0], parts[1], parts[2], parts[3], parts[4]);
}

StoredValueFields ParseStoredValue(DWORD type, const MStringEx<wchar_t>& text)
{
    StoredValueFields fields;
    const std::wstring value = Std(text);
    switch (type)
    {
    case Text:
    case Token:
    case Int64:
    case UInt64:
    case Real:
    case Decimal:
    {
        if (text.IsEmpty() || text.GetLength() > ValueEditLimit(type))
            StoredInvalid();
        try
        {
            if (ComposeEditedValue(type, text) != text)
                StoredInvalid();
        }
        catch (const SearchValueProblem&)
        {
            StoredInvalid();
        }
        fields.text = text;
        return fields;
    }
    case Date:
        if (!ParseDate(text, fields.year, fields.month, fields.day))
            StoredInvalid();
        return fields;
    case Time:
        if (!ParseTime(text, fields.hour, fields.minute, fields.second))
            StoredInvalid();
        return fields;
    case DateTime:
    {
        const std::vector<std::wstring> pieces = Split(value, L' ');
        if (pieces.size() != 2 || !ParseDate(Ex(pieces[0]), fields.year, fields.month, fields.day) ||
            !ParseTime(Ex(pieces[1]), fields.hour, fields.minute, fields.second))
            StoredInvalid();
        return fields;
    }
    case YearWeek:
    case YearMonth:
    {
        const std::vector<std::wstring> pieces = Split(value, L'-');
        if (pieces.size() != 2 || !UInt32InRange(pieces[0], 1, HighestYear, fields.year))
            StoredInvalid();
        if (type == YearWeek)
        {
            if (!UInt32InRange(pieces[1].substr(1), 1, 53, fields.week) || !IsValidIsoWeek(fields.year, fields.week))
                StoredInvalid();
        }
        else if (!UInt32InRange(pieces[1], 1, 12, fields.month))
            StoredInvalid();
        return fields;
    }
    case YearEra:
    case RomanNumberEra:
    case NumberEra:
    {
        const unsigned maximum = type == YearEra ? HighestYear : HighestEraNumber;
        if (!ParseEraValue(text, type == RomanNumberEra, maximum, fields.number, fields.era))
            StoredInvalid();
        return fields;
    }
    case Duration:
    {
        const std::vector<std::wstring> halves = Split(value, L' ');
        if (halves.size() != 2)
            StoredInvalid();
        const std::vector<std::wstring> date = Split(halves[0], L'-');
        const std::vector<std::wstring> time = Split(halves[1], L':');
        if (date.size() != 3 || time.size() != 3)
            StoredInvalid();
        const std::wstring* parts[6] = {&date[0], &date[1], &date[2], &time[0], &time[1], &time[2]};
        for (size_t i = 0; i < 6; ++i)
            if (!UInt32InRange(*parts[i], 0, i == 0 ? HighestYear : HighestDurationPart, fields.duration[i]))
                StoredInvalid();
        return fields;
    }
    default:
        StoredInvalid();
    }
}
