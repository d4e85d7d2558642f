// The search line window: its controls, the editor groups, the property and
// value mode choice, and the typing filter of the value edits.
#include "filter/SearchLineWnd.h"

#include "filter/SearchLineControls.h"
#include "filter/SearchValueSyntax.h"
#include "foundation/Containers.h"
#include "foundation/ShellHelpers.h"
#include "foundation/StringResources.h"
#include "foundation/Sync.h"
#include "core/EditContextMenu.h"
#include "core/HelpContexts.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>

namespace
{
using namespace SearchLineControls;
using Property_Manager::Property_Class;

constexpr LPARAM ToolTipWidth = 310;
constexpr DWORD NoDurationPart = 0xFFFFFFFF;
const int ValueEdits[] = {IDC_SL_TEXT, IDC_SL_YM_YEAR, IDC_SL_YE_YEAR, IDC_SL_DATE_YEAR, IDC_SL_DT_YEAR,
                          IDC_SL_DURATION_YEARS};
const int DurationCombos[] = {IDC_SL_DURATION_MONTHS, IDC_SL_DURATION_DAYS, IDC_SL_DURATION_HOURS,
                              IDC_SL_DURATION_MINUTES, IDC_SL_DURATION_SECONDS};

MStringEx<wchar_t> Res(UINT id) { return MStringEx<wchar_t>(ResId(id)); }

int ItemCount(HWND combo) { return static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0)); }

RECT ClientRectOf(HWND parent, HWND control)
{
    RECT r = {};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void AddToolTip(HWND owner, HWND control, const MStringEx<wchar_t>& text, std::vector<HWND>& tips, HWND* kept = nullptr)
{
    HWND tip = nullptr;
    CreateToolTip(owner, control, tip, text);
    if (!tip)
        return;
    ::SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, ToolTipWidth);
    tips.push_back(tip);
    if (kept)
        *kept = tip;
}

void UpdateToolTip(HWND tip, HWND owner, HWND control, const MStringEx<wchar_t>& text)
{
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text.GetText());
    ::SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The operators of a property and the tooltip that explains them.
struct OperatorSet
{
    std::vector<wchar_t> codes;
    UINT tip;
};

OperatorSet OperatorsOf(const Property_Class& property)
{
    const std::vector<wchar_t> ordered = {L'=', L'\x2260', L'\x2264', L'<', L'>', L'\x2265'};
    if (property.is_enum)
        return {{L'=', L'\x2260'}, IDS_TIP_OPERATORS_ENUM};
    if (property.data_type <= Token)
        return {{L'=', L'\x2260', L'\x2261', L'\x2262', L'\x2282', L'\x2284', L'\x2286', L'\x2288'},
                IDS_TIP_OPERATORS_TEXT};
    if (property.data_type <= Duration)
        return {ordered, IDS_TIP_OPERATORS_ORDERED};
    return {ordered, IDS_TIP_OPERATORS_NUMBER};
}

// The Roman numerals of 1 to 99 with the number beside them.
MStringEx<wchar_t> RomanItem(unsigned n)
{
    return MStringEx<wchar_t>(sX::Format(), L"%s  (%d)", ToRoman(n).GetText(), static_cast<int>(n));
}
} // namespace

// ---- ControlGroup -----------------------------------------------------------

void ControlGroup::Build(HWND owner, const std::vector<int>& ids, const MStringEx<wchar_t>& tip, HWND reference,
                         HWND anchor, bool centreAnchorOnly)
{
    m_owner = owner;
    const RECT target = ClientRectOf(owner, reference);
    for (int id : ids)
    {
        HWND control = ::GetDlgItem(owner, id);
        if (!control)
            continue;
        if (m_toolTips.count(control))
            throw DictionaryException{2};
        m_controls.push_back(control);
        HWND toolTip = nullptr;
        CreateToolTip(owner, control, toolTip, tip);
        if (toolTip)
            ::SendMessageW(toolTip, TTM_SETMAXTIPWIDTH, 0, ToolTipWidth);
        m_toolTips[control] = toolTip;
        if (centreAnchorOnly && control != anchor)
            continue;
        // Centred vertically on the reference control.
        const RECT r = ClientRectOf(owner, control);
        const int height = r.bottom - r.top;
        const int top = target.top + (target.bottom - target.top - height) / 2;
        ::MoveWindow(control, r.left, top, r.right - r.left, height, FALSE);
    }
}

void ControlGroup::ShowWithText(const MStringEx<wchar_t>& text)
{
    for (HWND control : m_controls)
        if (HWND tip = m_toolTips[control])
            UpdateToolTip(tip, m_owner, control, text);
    Show(true);
}

void ControlGroup::Show(bool show)
{
    for (HWND control : m_controls)
        ::ShowWindow(control, show ? SW_SHOW : SW_HIDE);
}

// ---- EditSubclass -------------------------------------------------------------

void EditSubclass::Attach(HWND edit)
{
    if (m_previous.count(edit))
        throw DictionaryException{2};
    ::SetWindowLongPtrW(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_previous[edit] = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditSubclass::WindowProc)));
}

void EditSubclass::DetachAll()
{
    for (const auto& entry : m_previous)
        if (::IsWindow(entry.first))
        {
            ::SetWindowLongPtrW(entry.first, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.second));
            ::SetWindowLongPtrW(entry.first, GWLP_USERDATA, 0);
        }
    m_previous.clear();
}

void EditSubclass::RememberText(HWND edit)
{
    text = GetWindowTextString(edit);
    DWORD start = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    caret = start;
}

LRESULT CALLBACK EditSubclass::WindowProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<EditSubclass*>(::GetWindowLongPtrW(edit, GWLP_USERDATA));
    if (!self || !self->m_previous.count(edit))
        return ::DefWindowProcW(edit, message, wParam, lParam);
    const WNDPROC previous = self->m_previous[edit];
    LRESULT result = 0;
    if (HandleEditContextMenu(edit, message, wParam, lParam, result))
        return result;
    const bool typed = message == WM_CHAR && (::GetKeyState(VK_CONTROL) & 0x8000) == 0;
    if (typed || message == WM_PASTE)
        self->RememberText(edit);
    if (message == WM_CHAR)
    {
        const wchar_t c = static_cast<wchar_t>(wParam);
        if (c == L' ' && ::GetWindowTextLengthW(edit) == 0)
            return 0;
        if (self->type >= Date && c != 8 && (c < L'0' || c > L'9'))
        {
            const bool allowed = (self->type == Int64 && c == L'-') ||
                                 (self->type == Real && c != 0 && wcschr(L"+-.Ee", c) != nullptr) ||
                                 (self->type == Decimal && (c == L'-' || c == L'.'));
            if (!allowed)
                return 0;
        }
    }
    return ::CallWindowProcW(previous, edit, message, wParam, lParam);
}

// ---- The window ---------------------------------------------------------------

CPropertySearchLineWnd::CPropertySearchLineWnd(DWORD line, const SearchLineLists* lists, DialogFont* font,
                                               DropDownTracking* dropDowns)
    : m_line(line), m_lists(lists), m_font(font), m_dropDowns(dropDowns)
{
}

CPropertySearchLineWnd::~CPropertySearchLineWnd() = default;

const ATL::MessageMap<CPropertySearchLineWnd>& CPropertySearchLineWnd::GetMessageMap()
{
    using T = CPropertySearchLineWnd;
    static const ATL::MessageMap<T> map = ATL::MessageMap<T>()
        .Message(WM_INITDIALOG, &T::OnInitDialog)
        .Message(WM_DESTROY, &T::OnDestroy)
        .Command(IDC_SL_PROPERTY, CBN_SELCHANGE, &T::OnPropertyCommand)
        .Command(IDC_SL_MODE, CBN_SELCHANGE, &T::OnModeCommand)
        .Command(IDC_SL_TEXT, EN_CHANGE, &T::OnValueEditCommand)
        .Command(IDC_SL_YM_YEAR, EN_CHANGE, &T::OnValueEditCommand)
        .Command(IDC_SL_YE_YEAR, EN_CHANGE, &T::OnValueEditCommand)
        .Command(IDC_SL_DATE_YEAR, EN_CHANGE, &T::OnValueEditCommand)
        .Command(IDC_SL_DT_YEAR, EN_CHANGE, &T::OnValueEditCommand)
        .Command(IDC_SL_DURATION_YEARS, EN_CHANGE, &T::OnValueEditCommand)
        .Command(IDC_SL_CLOSE, ATL::MessageMap<T>::AnyCode, &T::OnCloseCommand);
    return map;
}

LRESULT CPropertySearchLineWnd::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    ::SetWindowContextHelpId(m_hWnd, DialogHelpContext(IDD));
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SetWindowContextHelpId(child, DialogHelpContext(static_cast<DWORD>(::GetDlgCtrlID(child))));
    if (m_font)
        m_font->Apply(Item(IDC_SL_OPERATOR));
    for (int id : ValueEdits)
        m_edits.Attach(Item(id));

    HWND reference = Item(IDC_SL_VALUE_LIST);
    const MStringEx<wchar_t> placeholder(L"*");
    m_groups[ListGroup].Build(m_hWnd, {IDC_SL_UNUSABLE, IDC_SL_VALUE_LIST}, Res(IDS_TIP_VALUE_LIST), reference,
                              Item(IDC_SL_UNUSABLE), true);
    const struct
    {
        Group group;
        std::vector<int> ids;
    } groups[] = {
        {TextGroup, {IDC_SL_TEXT}},
        {YearWeekMonthGroup, {IDC_SL_WEEK_MONTH, IDC_SL_YM_LABEL, IDC_SL_YM_YEAR, IDC_SL_YM_YEAR_SPIN}},
        {YearEraGroup, {IDC_SL_YE_LABEL, IDC_SL_YE_YEAR, IDC_SL_YE_YEAR_SPIN, IDC_SL_YE_ERA}},
        {RomanEraGroup, {IDC_SL_ROMAN, IDC_SL_ROMAN_ERA}},
        {NumberEraGroup, {IDC_SL_NUMBER, IDC_SL_NUMBER_ERA}},
        {DateGroup, {IDC_SL_DATE_LABEL, IDC_SL_DATE_YEAR, IDC_SL_DATE_YEAR_SPIN, IDC_SL_DATE_MONTH, IDC_SL_DATE_DAY}},
        {DateTimeGroup,
         {IDC_SL_DT_LABEL, IDC_SL_DT_YEAR, IDC_SL_DT_YEAR_SPIN, IDC_SL_DT_MONTH, IDC_SL_DT_DAY, IDC_SL_DT_TIME}},
        {DurationGroup,
         {IDC_SL_DURATION_LABEL, IDC_SL_DURATION_YEARS, IDC_SL_DURATION_YEARS_SPIN, IDC_SL_DURATION_MONTHS,
          IDC_SL_DURATION_DAYS, IDC_SL_DURATION_HOURS, IDC_SL_DURATION_MINUTES, IDC_SL_DURATION_SECONDS}},
        {TimeGroup, {IDC_SL_TIME}},
    };
    for (const auto& group : groups)
        m_groups[group.group].Build(m_hWnd, group.ids, placeholder, reference, nullptr, false);

    const RECT value = ClientRectOf(m_hWnd, reference);
    RECT window = {};
    GetWindowRect(&window);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, value.bottom + 2, SWP_NOZORDER | SWP_NOACTIVATE);

    const struct
    {
        int spin, edit, lowest;
    } spins[] = {{IDC_SL_YM_YEAR_SPIN, IDC_SL_YM_YEAR, 1},
                 {IDC_SL_YE_YEAR_SPIN, IDC_SL_YE_YEAR, 1},
                 {IDC_SL_DATE_YEAR_SPIN, IDC_SL_DATE_YEAR, 1},
                 {IDC_SL_DT_YEAR_SPIN, IDC_SL_DT_YEAR, 1},
                 {IDC_SL_DURATION_YEARS_SPIN, IDC_SL_DURATION_YEARS, 0}};
    for (const auto& spin : spins)
    {
        SendDlgItemMessage(spin.spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(spin.edit)));
        SendDlgItemMessage(spin.edit, EM_LIMITTEXT, ValueEditLimit(Date));
        SendDlgItemMessage(spin.spin, UDM_SETRANGE32, spin.lowest, 9999);
    }
    if (m_lists)
    {
        for (const auto& item : m_lists->openItems)
            AddItem(Item(IDC_SL_OPEN), item.second, item.first);
        for (const auto& item : m_lists->closeItems)
            AddItem(Item(IDC_SL_CLOSE), item.second, item.first);
    }
    AddToolTip(m_hWnd, Item(IDC_SL_OPEN), Res(IDS_TIP_OPEN_PARENTHESIS), m_toolTips);
    AddToolTip(m_hWnd, Item(IDC_SL_PROPERTY), Res(IDS_TIP_PROPERTY), m_toolTips);
    AddToolTip(m_hWnd, Item(IDC_SL_OPERATOR), MStringEx<wchar_t>(L""), m_toolTips, &m_operatorTip);
    AddToolTip(m_hWnd, Item(IDC_SL_MODE), Res(IDS_TIP_VALUE_MODE), m_toolTips);
    AddToolTip(m_hWnd, Item(IDC_SL_CLOSE), Res(IDS_TIP_CLOSE_PARENTHESIS), m_toolTips);
    return TRUE;
}

LRESULT CPropertySearchLineWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    m_edits.DetachAll();
    handled = FALSE;
    return 0;
}

LRESULT CPropertySearchLineWnd::OnPropertyCommand(WORD, WORD, HWND, BOOL&)
{
    OnPropertyChange(true);
    return 0;
}

LRESULT CPropertySearchLineWnd::OnModeCommand(WORD, WORD, HWND, BOOL&)
{
    OnPropertyChange(false);
    return 0;
}

LRESULT CPropertySearchLineWnd::OnValueEditCommand(WORD, WORD, HWND edit, BOOL&)
{
    OnValueEdit(edit);
    return 0;
}

LRESULT CPropertySearchLineWnd::OnCloseCommand(WORD code, WORD, HWND control, BOOL&)
{
    if (!m_dropDowns)
        return 0;
    if (code == CBN_DROPDOWN)
    {
        m_dropDowns->open = control;
        m_dropDowns->closedTick = 0;
    }
    else if (code == CBN_CLOSEUP)
    {
        m_dropDowns->open = nullptr;
        m_dropDowns->closedTick = GetTickCount();
    }
    return 0;
}

void CPropertySearchLineWnd::SetEditText(HWND edit, const MStringEx<wchar_t>& text)
{
    SemaphoreGuard guard(m_lineGuard, SemaphoreGuard::Take::Wait);
    ::SetWindowTextW(edit, text.GetText());
}

int CPropertySearchLineWnd::GetTop() const { return ClientRectOf(m_hWnd, ::GetDlgItem(m_hWnd, IDC_SL_VALUE_LIST)).top; }

void CPropertySearchLineWnd::SetPropertyList(const Property_Manager::PropertyList& properties)
{
    m_properties = properties;
    SendDlgItemMessage(IDC_SL_PROPERTY, CB_RESETCONTENT);
    SendDlgItemMessage(IDC_SL_OPERATOR, CB_RESETCONTENT);
    ::ShowWindow(Item(IDC_SL_OPERATOR), SW_HIDE);
    SendDlgItemMessage(IDC_SL_MODE, CB_RESETCONTENT);
    ::ShowWindow(Item(IDC_SL_MODE), SW_HIDE);
    for (ControlGroup& group : m_groups)
        group.Show(false);
    SendDlgItemMessage(IDC_SL_VALUE_LIST, CB_RESETCONTENT);
    SetEditText(Item(IDC_SL_TEXT), MStringEx<wchar_t>(L""));
    SendDlgItemMessage(IDC_SL_OPEN, CB_SETCURSEL, 0);
    SendDlgItemMessage(IDC_SL_CLOSE, CB_SETCURSEL, 0);

    HWND combo = Item(IDC_SL_PROPERTY);
    AddItem(combo, Res(IDS_PROPERTY_CHOOSE), 0);
    // Container properties first, by id; then the others as the server sent them.
    std::vector<const Property_Class*> order;
    for (const Property_Class& property : m_properties)
        if (property.is_container_property)
            order.push_back(&property);
    std::stable_sort(order.begin(), order.end(),
                     [](const Property_Class* a, const Property_Class* b) { return a->id < b->id; });
    for (const Property_Class& property : m_properties)
        if (!property.is_container_property)
            order.push_back(&property);
    for (const Property_Class* property : order)
        AddItem(combo, property->class_name, reinterpret_cast<LPARAM>(property));
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
    ResetValueArea();
}

void CPropertySearchLineWnd::ResetValueArea()
{
    ::ShowWindow(Item(IDC_SL_OPERATOR), SW_HIDE);
    ::ShowWindow(Item(IDC_SL_MODE), SW_HIDE);
    for (ControlGroup& group : m_groups)
        group.Show(false);
    SendDlgItemMessage(IDC_SL_OPERATOR, CB_RESETCONTENT);
    SendDlgItemMessage(IDC_SL_VALUE_LIST, CB_RESETCONTENT);
    SetEditText(Item(IDC_SL_TEXT), MStringEx<wchar_t>(L""));
}

const Property_Class* CPropertySearchLineWnd::SelectedProperty() const
{
    LPARAM data = 0;
    if (!SelectedData(::GetDlgItem(m_hWnd, IDC_SL_PROPERTY), data))
        return nullptr;
    return reinterpret_cast<const Property_Class*>(data);
}

void CPropertySearchLineWnd::OnPropertyChange(bool propertyChanged)
{
    const Property_Class* property = SelectedProperty();
    if (!property)
    {
        SendDlgItemMessage(IDC_SL_PROPERTY, CB_SETCURSEL, 0);
        ResetValueArea();
        return;
    }
    ResetValueArea();
    if (property->entry_type != 2 && property->values.IsEmpty())
    {
        ::SetDlgItemTextW(m_hWnd, IDC_SL_UNUSABLE,
                          MStringEx<wchar_t>(sX::Format(), IDS_PROPERTY_UNUSABLE, property->class_name.GetText()).GetText());
        ::ShowWindow(Item(IDC_SL_UNUSABLE), SW_SHOW);
        return;
    }

    // The value modes the property offers; the combo is rebuilt only when
    // they differ, so a mode change keeps the user's choice.
    HWND modes = Item(IDC_SL_MODE);
    ::ShowWindow(modes, SW_SHOW);
    std::vector<DWORD> wanted;
    if (property->entry_type == 2)
        wanted = {ValueTyped};
    else if (property->is_enum)
        wanted = {ValueFromList};
    else
        wanted = {ValueFromList, ValueTyped};
    const int count = ItemCount(modes);
    const bool differs = wanted.size() == 1
                             ? count != 1 || static_cast<DWORD>(::SendMessageW(modes, CB_GETITEMDATA, 0, 0)) != wanted[0]
                             : count != 2;
    if (differs)
    {
        ::SendMessageW(modes, CB_RESETCONTENT, 0, 0);
        for (DWORD mode : wanted)
            AddItem(modes, Res(mode == ValueFromList ? IDS_MODE_FROM_LIST : IDS_MODE_TYPED), mode);
    }
    if (propertyChanged || ::SendMessageW(modes, CB_GETCURSEL, 0, 0) == CB_ERR)
        ::SendMessageW(modes, CB_SETCURSEL, 0, 0);

    const DWORD mode = SelectedOr(modes, 0);
    if (mode == ValueFromList)
    {
        m_groups[ListGroup].Show(true);
        ::ShowWindow(Item(IDC_SL_UNUSABLE), SW_HIDE);
        HWND list = Item(IDC_SL_VALUE_LIST);
        // The placeholder's data is no value id of the property.
        DWORD placeholder = 0xFFFFFFFF;
        while (property->values.Find(placeholder))
            --placeholder;
        AddItem(list, Res(IDS_VALUE_CHOOSE), static_cast<LPARAM>(placeholder));
        for (const auto& entry : property->values.Entries())
            AddItem(list, entry.second.text, static_cast<LPARAM>(entry.first));
        ::SendMessageW(list, CB_SETCURSEL, 0, 0);
    }
    else if (mode == ValueTyped)
        ShowTypedEditor(property->data_type);
    else
    {
        SendDlgItemMessage(IDC_SL_PROPERTY, CB_SETCURSEL, 0);
        ResetValueArea();
        return;
    }

    const OperatorSet operators = OperatorsOf(*property);
    HWND combo = Item(IDC_SL_OPERATOR);
    for (wchar_t code : operators.codes)
        AddItem(combo, MStringEx<wchar_t>(std::wstring(1, code).c_str()), code);
    if (m_operatorTip)
        UpdateToolTip(m_operatorTip, m_hWnd, combo, Res(operators.tip));
    ::ShowWindow(combo, SW_SHOW);
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

void CPropertySearchLineWnd::FillEditorLists(DWORD type)
{
    const auto fillOnce = [this](int id, const std::function<void(HWND)>& fill) {
        HWND combo = Item(id);
        if (ItemCount(combo) == 0)
            fill(combo);
        ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
    };
    const auto months = [this](HWND combo) {
        AddItem(combo, Res(IDS_MONTH_CHOOSE), 0);
        for (size_t m = 1; m <= 12 && m_lists && m < m_lists->months.size(); ++m)
            AddItem(combo, m_lists->months[m], static_cast<LPARAM>(m));
    };
    const auto days = [](HWND combo) {
        AddItem(combo, Res(IDS_DAY_CHOOSE), 0);
        for (int d = 1; d <= 31; ++d)
            AddItem(combo, MStringEx<wchar_t>(sX::Format(), L"%02d", d), d);
    };
    const auto eras = [](HWND combo) {
        AddItem(combo, Res(IDS_ERA_CHOOSE), EraNone);
        AddItem(combo, Res(IDS_ERA_AD), EraAD);
        AddItem(combo, Res(IDS_ERA_BC), EraBC);
    };
    switch (type)
    {
    case Date:
        fillOnce(IDC_SL_DATE_MONTH, months);
        fillOnce(IDC_SL_DATE_DAY, days);
        break;
    case DateTime:
        fillOnce(IDC_SL_DT_MONTH, months);
        fillOnce(IDC_SL_DT_DAY, days);
        break;
    case YearWeek:
    case YearMonth:
        fillOnce(IDC_SL_WEEK_MONTH, [this, type](HWND combo) {
            if (!m_lists)
                return;
            const auto& entries = type == YearWeek ? m_lists->weeks : m_lists->months;
            for (size_t i = 0; i < entries.size(); ++i)
                AddItem(combo, entries[i], static_cast<LPARAM>(i));
        });
        break;
    case YearEra:
        fillOnce(IDC_SL_YE_ERA, eras);
        break;
    case RomanNumberEra:
        fillOnce(IDC_SL_ROMAN, [](HWND combo) {
            AddItem(combo, Res(IDS_ROMAN_CHOOSE), 0);
            for (unsigned n = 1; n <= 99; ++n)
                AddItem(combo, RomanItem(n), n);
        });
        fillOnce(IDC_SL_ROMAN_ERA, eras);
        break;
    case NumberEra:
        fillOnce(IDC_SL_NUMBER, [](HWND combo) {
            AddItem(combo, Res(IDS_NUMBER_CHOOSE), 0);
            for (int n = 1; n <= 99; ++n)
                AddItem(combo, MStringEx<wchar_t>(sX::Format(), L"%d", n), n);
        });
        fillOnce(IDC_SL_NUMBER_ERA, eras);
        break;
    case Duration:
    {
        const UINT placeholders[] = {IDS_CHOOSE_MONTHS, IDS_CHOOSE_DAYS, IDS_CHOOSE_HOURS, IDS_CHOOSE_MINUTES,
                                     IDS_CHOOSE_SECONDS};
        for (size_t i = 0; i < 5; ++i)
            fillOnce(DurationCombos[i], [&placeholders, i](HWND combo) {
                AddItem(combo, Res(placeholders[i]), static_cast<LPARAM>(NoDurationPart));
                for (int n = 0; n <= 99; ++n)
                    AddItem(combo, MStringEx<wchar_t>(sX::Format(), L"%d", n), n);
            });
        break;
    }
    default:
        break;
    }
}

void CPropertySearchLineWnd::ShowTypedEditor(DWORD type)
{
    m_edits.type = type;
    SendDlgItemMessage(IDC_SL_WEEK_MONTH, CB_RESETCONTENT);
    {
        SemaphoreGuard guard(m_lineGuard, SemaphoreGuard::Take::Wait);
        for (int id : ValueEdits)
            ::SetWindowTextW(Item(id), L"");
        SetPickerTime(Item(IDC_SL_TIME), 0, 0, 0);
        SetPickerTime(Item(IDC_SL_DT_TIME), 0, 0, 0);
    }
    m_edits.text = MStringEx<wchar_t>(L"");
    m_edits.caret = 0;
    FillEditorLists(type);
    const struct
    {
        DWORD type;
        Group group;
        UINT tip;
    } editors[] = {{Text, TextGroup, IDS_TIP_VALUE_TEXT},
                   {Token, TextGroup, IDS_TIP_VALUE_TOKEN},
                   {Date, DateGroup, IDS_TIP_VALUE_DATE},
                   {Time, TimeGroup, IDS_TIP_VALUE_TIME},
                   {DateTime, DateTimeGroup, IDS_TIP_VALUE_DATE_TIME},
                   {YearWeek, YearWeekMonthGroup, IDS_TIP_VALUE_YEAR_WEEK},
                   {YearMonth, YearWeekMonthGroup, IDS_TIP_VALUE_YEAR_MONTH},
                   {YearEra, YearEraGroup, IDS_TIP_VALUE_YEAR_ERA},
                   {RomanNumberEra, RomanEraGroup, IDS_TIP_VALUE_ROMAN_ERA},
                   {NumberEra, NumberEraGroup, IDS_TIP_VALUE_NUMBER_ERA},
                   {Duration, DurationGroup, IDS_TIP_VALUE_DURATION},
                   {Int64, TextGroup, IDS_TIP_VALUE_INT64},
                   {UInt64, TextGroup, IDS_TIP_VALUE_UINT64},
                   {Real, TextGroup, IDS_TIP_VALUE_REAL},
                   {Decimal, TextGroup, IDS_TIP_VALUE_DECIMAL}};
    for (const auto& editor : editors)
        if (editor.type == type)
        {
            if (editor.group == TextGroup)
                SendDlgItemMessage(IDC_SL_TEXT, EM_LIMITTEXT, ValueEditLimit(type));
            m_groups[editor.group].ShowWithText(Res(editor.tip));
        }
}

void CPropertySearchLineWnd::OnValueEdit(HWND edit)
{
    SemaphoreGuard guard(m_lineGuard, SemaphoreGuard::Take::Try);
    if (!guard.IsHeld())
        return;
    const DWORD type = m_edits.type;
    const MStringEx<wchar_t> text = GetWindowTextString(edit);
    if (type == Text)
    {
        const MStringEx<wchar_t> collapsed = CollapseWhitespace(text, MStringEx<wchar_t>(L" "));
        if (collapsed.GetLength() != text.GetLength())
        {
            ::SetWindowTextW(edit, collapsed.GetText());
            const DWORD caret = std::min<DWORD>(m_edits.caret, static_cast<DWORD>(collapsed.GetLength()));
            ::SendMessageW(edit, EM_SETSEL, caret, caret);
            ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
        }
        return;
    }
    if (type == Time || type == RomanNumberEra || type == NumberEra)
        return;
    // The edit's own limit bounds what reaches the patterns; a longer text
    // (set around the limit) is refused before any pattern sees it.
    const bool accepted =
        static_cast<size_t>(text.GetLength()) <= ValueEditLimit(edit == Item(IDC_SL_TEXT) ? type : Date) &&
        TypingAccepts(type, text);
    if (accepted)
        m_edits.RememberText(edit);
    else
    {
        ::SetWindowTextW(edit, m_edits.text.GetText());
        ::SendMessageW(edit, EM_SETSEL, m_edits.caret, m_edits.caret);
    }
}
