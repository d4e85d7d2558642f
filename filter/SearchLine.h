// One search line of the online filter, one typed value, and the problems
// that reading or loading lines report. The stored and sent byte form of
// the lines is in filter/OnlineFilter.h.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <vector>

namespace Property_Manager
{
// A typed value: its SearchPropertyType (0 to 14) and its text.
struct Value
{
    DWORD type = 0;
    MStringEx<wchar_t> text;

    Value() = default;
    Value(DWORD type_, const MStringEx<wchar_t>& text_) : type(type_), text(text_) {}
};

// One condition of the filter on one server property.
struct search_line_data
{
    unsigned __int64 property_id = 0;
    // The UTF-16 code of the comparison ("=", U+2260, ...).
    WORD operator_code = L'=';
    bool from_value_list = false;
    Value value;
    // The LANGID of the value text, or AnyLanguage.
    DWORD language = 0xFFFFFFFF;
    bool open_parenthesis = false;
    bool close_parenthesis = false;
    // '&', '^' or '|' towards the next line; '=' on the last line.
    unsigned char conjunction = '=';
};
} // namespace Property_Manager

using SearchLineList = std::vector<Property_Manager::search_line_data>;

// The language of a value whose property does not depend on the language.
constexpr DWORD AnyLanguage = 0xFFFFFFFF;
// The line number of a problem of the whole filter.
constexpr DWORD WholeFilterLine = 0xFFFFFFFF;

// A problem of one line (1 to 5) or of the whole filter (WholeFilterLine).
struct ConditionReport
{
    DWORD line = WholeFilterLine;
    MStringEx<wchar_t> message;
};
using FilterProblemList = std::vector<ConditionReport>;

// True when the two filters differ in any line or in their number of lines.
bool SearchLinesDiffer(const SearchLineList& a, const SearchLineList& b);
