// A search line read into its stored condition, and a stored condition put
// back into a line; every problem becomes a report of the line.
#include "filter/SearchLineWnd.h"

#include "filter/SearchLineControls.h"
#include "filter/SearchValueSyntax.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace
{
using namespace SearchLineControls;
using Property_Manager::Property_Class;
using Property_Manager::Value;

constexpr DWORD NoDurationPart = 0xFFFFFFFF;

[[noreturn]] void Problem(unsigned id) { throw SearchValueProblem(id); }

LPARAM ItemDataAt(HWND combo, LRESULT item) { return ::SendMessageW(combo, CB_GETITEMDATA, item, 0); }

// A combo item for a stored field, or string 845.
void SelectStored(HWND combo, LPARAM data)
{
    if (!SelectData(combo, data))
        Problem(IDS_VALUE_STORED_INVALID);
}

DWORD LanguageOf(const Property_Class& property) { return property.entry_type != 0 ? AnyLanguage : UiLanguage; }

MStringEx<wchar_t> Trimmed(HWND edit)
{
    MStringEx<wchar_t> text = GetWindowTextString(edit);
    return text.Trim();
}

MStringEx<wchar_t> Number(unsigned n) { return MStringEx<wchar_t>(sX::Format(), L"%u", n); }

} // namespace

bool CPropertySearchLineWnd::GetCondition(HWND conjunction, SearchLineList& conditions, FilterProblemList& reports)
{
    if (!::IsWindowVisible(m_hWnd))
    {
        conditions.clear();
        return false;
    }
    unsigned opened = 0, closed = 0;
    for (const auto& condition : conditions)
    {
        opened += condition.open_parenthesis ? 1 : 0;
        closed += condition.close_parenthesis ? 1 : 0;
    }
    Property_Manager::search_line_data record;
    record.value = Value(UInt64, MStringEx<wchar_t>(L"0"));
    if (!FormatValue(record, opened, closed, reports))
    {
        conditions.clear();
        return false;
    }
    LPARAM data = 0;
    if (conjunction && SelectedData(conjunction, data) && data != L'=')
    {
        if (data == L'&' || data == L'^' || data == L'|')
        {
            record.conjunction = static_cast<unsigned char>(data);
            conditions.push_back(record);
            return true;
        }
        conditions.clear();
        return false;
    }
    record.conjunction = '=';
    conditions.push_back(record);
    return false;
}

bool CPropertySearchLineWnd::FormatValue(Property_Manager::search_line_data& record, unsigned& opened,
                                         unsigned& closed, FilterProblemList& reports)
{
    reports.clear();
    try
    {
        record.open_parenthesis = SelectedOr(Item(IDC_SL_OPEN), 0) == L'(';
        record.close_parenthesis = SelectedOr(Item(IDC_SL_CLOSE), 0) == L')';
        opened += record.open_parenthesis ? 1 : 0;
        closed += record.close_parenthesis ? 1 : 0;

        const Property_Class* property = SelectedProperty();
        LPARAM mode = 0;
        if (!property || !SelectedData(Item(IDC_SL_MODE), mode))
            Problem(IDS_LINE_NO_PROPERTY);
        record.property_id = property->id;
        record.language = LanguageOf(*property);
        if (property->entry_type != 2 && property->values.IsEmpty())
        {
            ::SetDlgItemTextW(m_hWnd, IDC_SL_UNUSABLE,
                              MStringEx<wchar_t>(sX::Format(), IDS_PROPERTY_UNUSABLE, property->class_name.GetText())
                                  .GetText());
            ::ShowWindow(Item(IDC_SL_UNUSABLE), SW_SHOW);
            ::ShowWindow(Item(IDC_SL_VALUE_LIST), SW_HIDE);
            Problem(IDS_LINE_PROPERTY_UNUSABLE);
        }
        LPARAM code = 0;
        if (!SelectedData(Item(IDC_SL_OPERATOR), code))
            Problem(IDS_LINE_NO_OPERATOR);
        record.operator_code = static_cast<WORD>(code);
        if (mode == ValueFromList)
        {
            record.from_value_list = true;
            if (property->entry_type == 2)
                Problem(IDS_LINE_NO_MODE);
            LPARAM id = 0;
            const Value* value = SelectedData(Item(IDC_SL_VALUE_LIST), id) ? property->values.Find(static_cast<DWORD>(id))
                                                                       : nullptr;
            if (!value)
                Problem(IDS_LINE_NO_LIST_VALUE);
            record.value = *value;
        }
        else if (mode == ValueTyped)
        {
            record.from_value_list = false;
            record.value = ComposeTypedValue(*property);
        }
        else
            Problem(IDS_LINE_NO_MODE);
    }
    catch (const SearchValueProblem& problem)
    {
        reports.push_back({m_line, problem.Text()});
        return false;
    }
    catch (...)
    {
        reports.push_back({m_line, MStringEx<wchar_t>(ResId(IDS_LINE_READ_FAILED))});
        return false;
    }
    if (opened < closed)
        reports.push_back({m_line, MStringEx<wchar_t>(ResId(IDS_LINE_MORE_CLOSING))});
    if (record.open_parenthesis && record.close_parenthesis)
        reports.push_back({m_line, MStringEx<wchar_t>(ResId(IDS_LINE_BOTH_PARENTHESES))});
    return reports.empty();
}

Value CPropertySearchLineWnd::ComposeTypedValue(const Property_Class& property)
{
    const DWORD type = property.data_type;
    const auto year = [this](int id) { return Trimmed(Item(id)); };
    const auto data = [this](int id) { return SelectedOr(Item(id), 0); };
    switch (type)
    {
    case Date:
        return Value(type, ComposeDate(year(IDC_SL_DATE_YEAR), data(IDC_SL_DATE_MONTH), data(IDC_SL_DATE_DAY)));
    case Time:
    {
        const SYSTEMTIME time = PickerTime(Item(IDC_SL_TIME));
        return Value(type, ComposeTime(time.wHour, time.wMinute, time.wSecond));
    }
    case DateTime:
    {
        const SYSTEMTIME time = PickerTime(Item(IDC_SL_DT_TIME));
        return Value(type, ComposeDateTime(year(IDC_SL_DT_YEAR), data(IDC_SL_DT_MONTH), data(IDC_SL_DT_DAY),
                                           time.wHour, time.wMinute, time.wSecond));
    }
    case YearWeek:
        return Value(type, ComposeYearWeek(year(IDC_SL_YM_YEAR), data(IDC_SL_WEEK_MONTH)));
    case YearMonth:
        return Value(type, ComposeYearMonth(year(IDC_SL_YM_YEAR), data(IDC_SL_WEEK_MONTH)));
    case YearEra:
        return Value(type, ComposeYearEra(year(IDC_SL_YE_YEAR), data(IDC_SL_YE_ERA)));
    case RomanNumberEra:
        return Value(type, ComposeRomanNumberEra(data(IDC_SL_ROMAN), data(IDC_SL_ROMAN_ERA)));
    case NumberEra:
        return Value(type, ComposeNumberEra(data(IDC_SL_NUMBER), data(IDC_SL_NUMBER_ERA)));
    case Duration:
    {
        const int ids[5] = {IDC_SL_DURATION_MONTHS, IDC_SL_DURATION_DAYS, IDC_SL_DURATION_HOURS,
                            IDC_SL_DURATION_MINUTES, IDC_SL_DURATION_SECONDS};
        DWORD parts[5] = {};
        for (size_t i = 0; i < 5; ++i)
            parts[i] = SelectedOr(Item(ids[i]), NoDurationPart);
        return Value(type, ComposeDuration(year(IDC_SL_DURATION_YEARS), parts));
    }
    default:
        // The text edit: its limit (the type's edit limit) bounds the text.
        return Value(type, ComposeEditedValue(type, GetWindowTextString(Item(IDC_SL_TEXT))));
    }
}

bool CPropertySearchLineWnd::LoadCondition(const Property_Manager::PropertyList& properties,
                                           const Property_Manager::search_line_data& record, DWORD line,
                                           FilterProblemList& reports)
{
    try
    {
        SetPropertyList(properties);
        SendDlgItemMessage(IDC_SL_OPEN, CB_SETCURSEL, record.open_parenthesis ? 1 : 0);
        SendDlgItemMessage(IDC_SL_CLOSE, CB_SETCURSEL, record.close_parenthesis ? 1 : 0);

        HWND combo = Item(IDC_SL_PROPERTY);
        const Property_Class* property = nullptr;
        const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT item = 1; item < count && !property; ++item)
        {
            const auto* candidate = reinterpret_cast<const Property_Class*>(ItemDataAt(combo, item));
            if (candidate && candidate->id == record.property_id)
            {
                property = candidate;
                ::SendMessageW(combo, CB_SETCURSEL, item, 0);
            }
        }
        if (!property)
            Problem(IDS_LINE_STORED_PROPERTY);
        OnPropertyChange(true);

        if (property->data_type != record.value.type || (record.from_value_list && property->entry_type == 2))
            Problem(IDS_LINE_STORED_TYPE);
        if (!SelectData(Item(IDC_SL_MODE), record.from_value_list ? ValueFromList : ValueTyped))
            Problem(IDS_LINE_STORED_TYPE);
        OnPropertyChange(false);
        if (!SelectData(Item(IDC_SL_OPERATOR), record.operator_code))
            Problem(IDS_LINE_STORED_OPERATOR);
        if (record.value.type <= Token && record.language != LanguageOf(*property))
            Problem(IDS_LINE_STORED_LANGUAGE);

        if (record.from_value_list)
        {
            HWND list = Item(IDC_SL_VALUE_LIST);
            const LRESULT values = ::SendMessageW(list, CB_GETCOUNT, 0, 0);
            bool found = false;
            for (LRESULT item = 0; item < values && !found; ++item)
            {
                const Value* value = property->values.Find(static_cast<DWORD>(ItemDataAt(list, item)));
                if (value && value->type == record.value.type && value->text == record.value.text)
                {
                    ::SendMessageW(list, CB_SETCURSEL, item, 0);
                    found = true;
                }
            }
            if (!found)
                Problem(IDS_LINE_STORED_LIST_VALUE);
        }
        else
            LoadTypedValue(record.value);
        return true;
    }
    catch (const SearchValueProblem& problem)
    {
        reports.push_back({line, problem.Text()});
    }
    catch (...)
    {
        reports.push_back({line, MStringEx<wchar_t>(ResId(IDS_LINE_LOAD_FAILED))});
    }
    return false;
}

void CPropertySearchLineWnd::LoadTypedValue(const Value& value)
{
    const StoredValueFields fields = ParseStoredValue(value.type, value.text);
    switch (value.type)
    {
    case Date:
        SetEditText(Item(IDC_SL_DATE_YEAR), Number(fields.year));
        SelectStored(Item(IDC_SL_DATE_MONTH), fields.month);
        SelectStored(Item(IDC_SL_DATE_DAY), fields.day);
        break;
    case Time:
        SetPickerTime(Item(IDC_SL_TIME), fields.hour, fields.minute, fields.second);
        break;
    case DateTime:
        SetEditText(Item(IDC_SL_DT_YEAR), Number(fields.year));
        SelectStored(Item(IDC_SL_DT_MONTH), fields.month);
        SelectStored(Item(IDC_SL_DT_DAY), fields.day);
        SetPickerTime(Item(IDC_SL_DT_TIME), fields.hour, fields.minute, fields.second);
        break;
    case YearWeek:
    case YearMonth:
        SetEditText(Item(IDC_SL_YM_YEAR), Number(fields.year));
        SelectStored(Item(IDC_SL_WEEK_MONTH), value.type == YearWeek ? fields.week : fields.month);
        break;
    case YearEra:
        SetEditText(Item(IDC_SL_YE_YEAR), Number(fields.number));
        SelectStored(Item(IDC_SL_YE_ERA), fields.era);
        break;
    case RomanNumberEra:
        SelectStored(Item(IDC_SL_ROMAN), fields.number);
        SelectStored(Item(IDC_SL_ROMAN_ERA), fields.era);
        break;
    case NumberEra:
        SelectStored(Item(IDC_SL_NUMBER), fields.number);
        SelectStored(Item(IDC_SL_NUMBER_ERA), fields.era);
        break;
    case Duration:
    {
        SetEditText(Item(IDC_SL_DURATION_YEARS), Number(fields.duration[0]));
        const int ids[5] = {IDC_SL_DURATION_MONTHS, IDC_SL_DURATION_DAYS, IDC_SL_DURATION_HOURS,
                            IDC_SL_DURATION_MINUTES, IDC_SL_DURATION_SECONDS};
        for (size_t i = 0; i < 5; ++i)
            SelectStored(Item(ids[i]), fields.duration[i + 1]);
        break;
    }
    default:
        SetEditText(Item(IDC_SL_TEXT), fields.text);
        break;
    }
}

void CheckSearchLineParentheses(SearchLineList& lines, FilterProblemList& problems)
{
    std::wstring marks;
    for (const auto& line : lines)
    {
        if (line.open_parenthesis)
            marks += L'(';
        if (line.close_parenthesis)
            marks += L')';
    }
    while (!marks.empty())
    {
        const size_t close = marks.find(L')');
        const size_t open = close == std::wstring::npos ? std::wstring::npos : marks.rfind(L'(', close);
        if (open == std::wstring::npos)
        {
            problems.push_back({WholeFilterLine, MStringEx<wchar_t>(ResId(close == std::wstring::npos
                                                                              ? IDS_FILTER_UNCLOSED
                                                                              : IDS_FILTER_UNOPENED))});
            lines.clear();
            return;
        }
        marks.erase(close, 1);
        marks.erase(open, 1);
    }
}

SearchLineLists MakeSearchLineLists()
{
    SearchLineLists lists;
    lists.openItems = {{' ', MStringEx<wchar_t>(L"")}, {'(', MStringEx<wchar_t>(L"(")}};
    lists.closeItems = {{' ', MStringEx<wchar_t>(L"")}, {')', MStringEx<wchar_t>(L")")}};
    const std::wstring months(MStringEx<wchar_t>(ResId(IDS_MONTH_NAMES)).GetText());
    size_t at = 0;
    while (at <= months.size())
    {
        const size_t comma = std::min(months.find(L',', at), months.size());
        lists.months.emplace_back(months.substr(at, comma - at).c_str());
        at = comma + 1;
    }
    lists.weeks.emplace_back(ResId(IDS_WEEK_CHOOSE));
    for (int week = 1; week <= 53; ++week)
        lists.weeks.emplace_back(sX::Format(), IDS_WEEK_NUMBER, week);
    return lists;
}
