// One search line of the online filter: a child dialog (template 120) of
// the gallery dialog, which holds five. The user picks an optional "(", a
// property, a comparison, whether the value comes from the property's list
// or is typed, the value in an editor that suits the property's type, and an
// optional ")". Typing is filtered per type as it happens; reading a line
// into a stored condition and loading a stored condition back are
// GetCondition and LoadCondition.
#pragma once

#include "filter/PropertyList.h"
#include "filter/SearchLine.h"
#include "foundation/Handle.h"
#include "foundation/WindowPlacement.h"
#include "resources/languages/LanguageIds.h"
#include "standins/atl/AtlWindow.h"

#include <map>
#include <vector>

// Item data of the value mode combo.
constexpr DWORD ValueFromList = 9755;
constexpr DWORD ValueTyped = 9998;

// What the owner shares with its lines: the items of the parenthesis combos
// and the month and week lists.
struct SearchLineLists
{
    std::vector<std::pair<unsigned char, MStringEx<wchar_t>>> openItems, closeItems;
    std::vector<MStringEx<wchar_t>> months, weeks;
};

// The owner's lists, from the language module: "(" and ")" with an empty
// item each, the month names (entry 0 is no month) and the weeks (entry 0
// is no week).
SearchLineLists MakeSearchLineLists();

// Pairs the parentheses of the lines in order; an unpaired one adds a
// problem of the whole filter and empties the lines.
void CheckSearchLineParentheses(SearchLineList& lines, FilterProblemList& problems);

// The owner's record of its drop-down lists (the conjunction combos and the
// lines' ")" combos): which one is open, and when one last closed. Escape
// in such a list closes only the list.
struct DropDownTracking
{
    HWND open = nullptr;
    DWORD closedTick = 0;
};

// Controls shown and hidden together, each with its tooltip.
class ControlGroup
{
public:
    void Build(HWND owner, const std::vector<int>& ids, const MStringEx<wchar_t>& tip, HWND reference,
               HWND anchor, bool centreAnchorOnly);
    // New tooltip text on every control, then shown.
    void ShowWithText(const MStringEx<wchar_t>& text);
    void Show(bool show);

private:
    HWND m_owner = nullptr;
    std::vector<HWND> m_controls;
    std::map<HWND, HWND> m_toolTips;
};

// The typing filter of the value edits: each edit's previous window
// procedure, and the last accepted text with its caret.
class EditSubclass
{
public:
    // Throws DictionaryException 2 for an edit attached twice.
    void Attach(HWND edit);
    void DetachAll();
    void RememberText(HWND edit);

    MStringEx<wchar_t> text;
    DWORD caret = 0;
    DWORD type = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    std::map<HWND, WNDPROC> m_previous;
};

class CPropertySearchLineWnd : public ATL::CDialogImpl<CPropertySearchLineWnd>
{
public:
    enum
    {
        IDD = IDD_SEARCH_LINE
    };

    // line: 1 to 5, used in reports. The lists, the font (given to the
    // operator combo, whose signs the dialog font lacks; null: none) and the
    // tracking record are the owner's and outlive the line.
    CPropertySearchLineWnd(DWORD line, const SearchLineLists* lists, DialogFont* font, DropDownTracking* dropDowns);
    ~CPropertySearchLineWnd() override;

    static const ATL::MessageMap<CPropertySearchLineWnd>& GetMessageMap();

    // Resets the line and offers the properties (the list is copied).
    void SetPropertyList(const Property_Manager::PropertyList& properties);
    // Top of the value area in the line's client coordinates.
    int GetTop() const;
    void OnPropertyChange(bool propertyChanged);
    void ResetValueArea();

    // Reads the line into a record appended to conditions; true when the
    // next line is to be read. conjunction: the combo after this line, or
    // null for the last line. Any problem empties conditions and is in
    // reports.
    bool GetCondition(HWND conjunction, SearchLineList& conditions, FilterProblemList& reports);
    // Puts a stored record into the line; false with the problem in reports.
    bool LoadCondition(const Property_Manager::PropertyList& properties, const Property_Manager::search_line_data& record,
                       DWORD line, FilterProblemList& reports);

private:
    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPropertyCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnModeCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnValueEditCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnCloseCommand(WORD, WORD, HWND, BOOL&);

    // The typing check of one value edit.
    void OnValueEdit(HWND edit);
    // Sets a value edit's text without checking it again.
    void SetEditText(HWND edit, const MStringEx<wchar_t>& text);
    const Property_Manager::Property_Class* SelectedProperty() const;
    void FillEditorLists(DWORD type);
    void ShowTypedEditor(DWORD type);
    bool FormatValue(Property_Manager::search_line_data& record, unsigned& opened, unsigned& closed,
                     FilterProblemList& reports);
    Property_Manager::Value ComposeTypedValue(const Property_Manager::Property_Class& property);
    void LoadTypedValue(const Property_Manager::Value& value);

    DWORD m_line;
    const SearchLineLists* m_lists;
    DialogFont* m_font;
    DropDownTracking* m_dropDowns;
    Property_Manager::PropertyList m_properties;
    EditSubclass m_edits;
    // Held while the program changes a value edit: its EN_CHANGE is no
    // typing and is not checked.
    MHandle m_lineGuard;
    std::vector<HWND> m_toolTips;
    HWND m_operatorTip = nullptr;
    enum Group
    {
        ListGroup,
        TextGroup,
        YearWeekMonthGroup,
        YearEraGroup,
        RomanEraGroup,
        NumberEraGroup,
        DateGroup,
        DateTimeGroup,
        DurationGroup,
        TimeGroup,
        GroupCount
    };
    ControlGroup m_groups[GroupCount];
};
