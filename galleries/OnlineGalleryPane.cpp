// The gallery dialog's online half: the gallery choice from the server's
// list, the property list exchange behind the wait dialog, the five search
// lines with their joining combos and the problem box, and what OK stores.
#include "galleries/OnlineGalleryPane.h"

#include "foundation/StringResources.h"
#include "foundation/Sync.h"
#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/MessageBox.h"
#include "core/ThreadCounter.h"
#include "core/WaitDlg.h"

#include <algorithm>
#include <string>

namespace
{
// Space between the rows of the online half, and below the buttons.
constexpr int RowGap = 4;
constexpr int ButtonGap = 12;
// How long reading the problem box may take from a hung window.
constexpr UINT ProblemBoxTimeout = 100;
constexpr COLORREF ProblemTextColour = RGB(255, 0, 0);

MString Text(UINT id) { return MString(ResId(id)); }

RECT RectIn(HWND parent, HWND control)
{
    RECT r = {};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The fixed text of a problem string before its first "%".
std::wstring PrefixOf(UINT id)
{
    const std::wstring text(Text(id).GetText());
    return text.substr(0, text.find(L'%'));
}

std::wstring TrimSpace(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

// Whether a control is meant to show. IsWindowVisible would also ask the
// dialog, which stays hidden during start-up while the layout is made.
bool IsShown(HWND control) { return (::GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

HWND ConjunctionBox(HWND dialog, DWORD line) { return ::GetDlgItem(dialog, IDC_CONJUNCTION_FIRST + line - 1); }

// The faces of the search lines' operator combos, tried in order, with their
// heights: the dialog's own font has no glyphs for most of the comparison
// signs (equivalence, subset).
DialogFont::Candidates OperatorFaces()
{
    using Face = Pair<MStringEx<wchar_t>, long>;
    return DialogFont::Candidates(new Face(L"Lucida Sans", 13), new Face(L"Arial Unicode MS", 14), nullptr);
}

const struct
{
    UINT text;
    wchar_t code;
} Conjunctions[] = {{IDS_CONJUNCTION_END, L'='},
                    {IDS_CONJUNCTION_NONE, L'='},
                    {IDS_CONJUNCTION_AND, L'&'},
                    {IDS_CONJUNCTION_OR, L'|'},
                    {IDS_CONJUNCTION_XOR, L'^'}};

// The item data of a joining combo's selection; -1 when none is selected.
int ConjunctionData(HWND combo)
{
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, index, 0));
}
}

OnlineGalleryPane::OnlineGalleryPane(MHandle& layoutGuard)
    : m_layoutGuard(layoutGuard), m_onlineChoice(ReadSelectedOnlineGallery()), m_dialogFont(OperatorFaces(), FW_NORMAL)
{
}

void OnlineGalleryPane::Attach(HWND dialog, const MString& caption)
{
    m_dialog = dialog;
    m_caption = caption;
    for (int id = IDC_CONJUNCTION_FIRST; id <= IDC_CONJUNCTION_LAST; ++id)
    {
        for (const auto& conjunction : Conjunctions)
        {
            const LRESULT item =
                m_dialog.SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(conjunction.text).GetText()));
            m_dialog.SendDlgItemMessage(id, CB_SETITEMDATA, item, conjunction.code);
        }
        m_dialog.SendDlgItemMessage(id, CB_SETCURSEL, 0);
    }
}

void OnlineGalleryPane::ShowMessage(const MString& text, UINT flags) const
{
    LocalizedMessageBox(m_dialog, text.GetText(), m_caption.GetText(), flags);
}

MString OnlineGalleryPane::PrepareOnlineSide(bool initialising)
{
    // The first exchange shows its own message once the dialog is up.
    const bool loaded = !m_request;
    if (loaded)
        LoadSearchProperties(initialising);
    MString error;
    UpdateFilterSwitch(error, false);
    return loaded && !initialising ? MString() : error;
}

bool OnlineGalleryPane::IsOnlineChoiceUnchanged() const
{
    return IsSameOnlineGallery(m_onlineChoice, ReadSelectedOnlineGallery());
}

// Moved from CSelectedFiles to its online pane.
void OnlineGalleryPane::SelectGalleryPlaceholder()
{
    HWND combo = Item(IDC_ONLINE_GALLERY);
    if (::SendMessageW(combo, CB_GETCOUNT, 0, 0) <= 0)
        return;
    if (::SendMessageW(combo, CB_GETITEMDATA, 0, 0) != 0)
    {
        ::SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(Text(IDS_ONLINE_GALLERY_PLACEHOLDER).GetText()));
        ::SendMessageW(combo, CB_SETITEMDATA, 0, 0);
    }
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

void OnlineGalleryPane::PrepareSearchLines(SIZE minimumSize)
{
    // The online side keeps the width of the template.
    RECT window = {}, client = {};
    m_dialog.GetWindowRect(&window);
    m_dialog.GetClientRect(&client);
    m_startWidth = minimumSize.cx - (window.right - window.left - client.right);
    m_lineLists = MakeSearchLineLists();
}

bool OnlineGalleryPane::CreateNextSearchLine()
{
    for (DWORD line = 1; line <= MaximumSearchLines; ++line)
        if (!m_lines[line - 1])
        {
            m_lines[line - 1] = std::make_unique<CPropertySearchLineWnd>(line, &m_lineLists, &m_dialogFont, &m_dropDowns);
            m_lines[line - 1]->Create(m_dialog);
            return line < MaximumSearchLines;
        }
    return false;
}

void OnlineGalleryPane::CreateSearchLines()
{
    while (CreateNextSearchLine())
    {
    }
}

// The wait dialog's steps while the property list loads: the worker starts
// once the wait shows (its end message then always finds the window), and
// the search lines, the slow part of the online side, are built meanwhile,
// one a step, so that the wait keeps answering.
// Moved from CSelectedFiles to its online pane.
class OnlineGalleryPane::Create_filters_while_waiting : public IDo_work
{
public:
    Create_filters_while_waiting(OnlineGalleryPane& pane, HANDLE worker) : m_pane(pane), m_worker(worker) {}
    // Where the wait dialog keeps its window handle.
    void SetWaitWindow(const HWND* wait) { m_wait = wait; }
    bool Step() override
    {
        // The steps come as posted messages, which go before painting: the
        // wait is drawn first, or its text would show only at the end.
        if (m_wait && *m_wait)
            ::UpdateWindow(*m_wait);
        if (m_worker)
        {
            ResumeThread(m_worker);
            m_worker = nullptr;
            m_pending = !m_pane.m_lines[MaximumSearchLines - 1];
        }
        else if (m_pending)
            m_pending = m_pane.CreateNextSearchLine();
        return IsPending();
    }
    bool IsPending() override { return m_worker || m_pending; }

private:
    OnlineGalleryPane& m_pane;
    HANDLE m_worker;
    const HWND* m_wait = nullptr;
    bool m_pending = true;
};

void OnlineGalleryPane::HideSearchLines()
{
    for (const auto& line : m_lines)
        if (line && line->m_hWnd)
            ::ShowWindow(line->m_hWnd, SW_HIDE);
    for (int id = IDC_CONJUNCTION_FIRST; id <= IDC_CONJUNCTION_LAST; ++id)
        ::ShowWindow(Item(id), SW_HIDE);
    ::ShowWindow(Item(IDC_FILTER_NOTICE), SW_HIDE);
}

// ---- The property list exchange ----------------------------------------------

// Moved from CSelectedFiles to its online pane.
void OnlineGalleryPane::LoadSearchProperties(bool initialising)
{
    auto request = std::make_unique<PropertyListRequest>(nullptr, m_request ? m_request->gallery : m_onlineChoice);
    // Without a worker (the program ending) the list loads here.
    const MHandle thread = StartCountedThread(SearchPropertiesThreadProc, request.get(), ThreadStart::Suspended);
    if (thread.IsValid())
    {
        RECT window = {};
        m_dialog.GetWindowRect(&window);
        Create_filters_while_waiting steps(*this, thread);
        CWaitDlg wait(POINT{(window.left + window.right) / 2, (window.top + window.bottom) / 2},
                      MString(sX::Format(), IDS_WAIT_LOADING_PROPERTIES, m_caption.GetText()), &steps);
        steps.SetWaitWindow(&wait.m_hWnd);
        request->owner = &wait.m_hWnd;
        if (wait.DoModal(m_dialog) == -1)
            steps.Step();
        // The worker ends the wait with its last step; it is gone soon after.
        WaitForSingleObject(thread, INFINITE);
        request->owner = nullptr;
    }
    else
        RunPropertyListRequest(*request);
    m_request = std::move(request);

    CreateSearchLines();
    for (const auto& line : m_lines)
        line->SetPropertyList(m_request->properties);
    MString error;
    const bool available = UpdateFilterSwitch(error, true);
    if (!error.IsEmpty() && !initialising)
        ShowMessage(error, available ? MB_ICONINFORMATION : MB_ICONERROR);
}

// Moved from CSelectedFiles to its online pane.
bool OnlineGalleryPane::UpdateFilterSwitch(MString& error, bool afterLoad)
{
    const bool available = FillOnlineGalleryCombo(error);
    ::EnableWindow(Item(IDC_ONLINE_GALLERY), available);
    ::EnableWindow(Item(IDC_FILTER_SWITCH), available);
    ::CheckDlgButton(m_dialog, IDC_FILTER_SWITCH, available && ReadOnlineFilterSwitch() ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(Item(IDC_SELECTION_OK), available);
    if (!afterLoad)
    {
        m_dialog.ModifyStyle(WS_THICKFRAME, 0);
        ::SetWindowPos(m_dialog, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        for (int id : {IDC_ONLINE_GALLERY, IDC_RELOAD_PROPERTIES, IDC_FILTER_SWITCH})
            ::ShowWindow(Item(id), SW_SHOW);
    }
    ShowSearchLines(::IsDlgButtonChecked(m_dialog, IDC_FILTER_SWITCH) == BST_CHECKED);
    return available;
}

// Moved from CSelectedFiles to its online pane.
bool OnlineGalleryPane::FillOnlineGalleryCombo(MString& error)
{
    HWND combo = Item(IDC_ONLINE_GALLERY);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    if (!m_request)
        return false;
    if (!m_request->errorText.IsEmpty())
    {
        error = m_request->errorText;
        return false;
    }
    // Item data: the entry, which lives as long as the request.
    int found = -1;
    for (const OnlineGalleryEntry& entry : m_request->galleries)
    {
        const LRESULT item = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.display.GetText()));
        ::SendMessageW(combo, CB_SETITEMDATA, item, reinterpret_cast<LPARAM>(&entry));
        if (found < 0 && !m_request->gallery.name.IsEmpty() && entry.path == m_request->gallery.name)
            found = static_cast<int>(item);
    }
    if (found >= 0)
        ::SendMessageW(combo, CB_SETCURSEL, found, 0);
    else
    {
        SelectGalleryPlaceholder();
        if (!m_request->gallery.name.IsEmpty())
            error = Text(IDS_ONLINE_GALLERY_NOT_FOUND);
    }
    return true;
}

void OnlineGalleryPane::OnOnlineGalleryChange(HWND combo)
{
    const LRESULT item = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const auto* entry = item == CB_ERR ? nullptr
                                       : reinterpret_cast<const OnlineGalleryEntry*>(
                                             ::SendMessageW(combo, CB_GETITEMDATA, item, 0));
    if (!entry || !m_request)
    {
        SelectGalleryPlaceholder();
        return;
    }
    m_request->gallery.Assign(entry->path, UiLanguage);
    if (::SendMessageW(combo, CB_GETITEMDATA, 0, 0) == 0)
        ::SendMessageW(combo, CB_DELETESTRING, 0, 0);
}

void OnlineGalleryPane::OnFilterSwitch()
{
    ShowSearchLines(::IsDlgButtonChecked(m_dialog, IDC_FILTER_SWITCH) == BST_CHECKED);
}

// ---- The search lines -------------------------------------------------------

// Moved from CSelectedFiles to its online pane.
void OnlineGalleryPane::ShowSearchLines(bool on)
{
    HWND box = Item(IDC_FILTER_NOTICE);
    if (on)
    {
        ::SetWindowTextW(box, L"");
        ::ShowWindow(box, SW_SHOW);
        ::SetWindowLongPtrW(box, GWL_STYLE, ::GetWindowLongPtrW(box, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VSCROLL));
        SearchLineList stored;
        FilterProblemList problems;
        LoadSearchLines(stored, &problems);
        for (DWORD line = 1; line <= MaximumSearchLines; ++line)
            if (line <= stored.size())
                LoadSearchLine(stored[line - 1], line, problems);
            else
                ResetSearchLine(line);
        if (!problems.empty())
            ShowFilterProblems(problems);
    }
    else
        HideSearchLines();
    LayoutSearchLines();
}

// Moved from CSelectedFiles to its online pane.
void OnlineGalleryPane::LoadSearchLine(const Property_Manager::search_line_data& record, DWORD line,
                                    FilterProblemList& problems)
{
    static const Property_Manager::PropertyList none;
    m_lines[line - 1]->LoadCondition(m_request ? m_request->properties : none, record, line, problems);
    ::ShowWindow(m_lines[line - 1]->m_hWnd, SW_SHOW);
    if (line >= MaximumSearchLines)
        return;
    HWND box = ConjunctionBox(m_dialog, line);
    const LRESULT count = ::SendMessageW(box, CB_GETCOUNT, 0, 0);
    LRESULT chosen = CB_ERR;
    for (LRESULT item = 0; item < count && chosen == CB_ERR; ++item)
        if (::SendMessageW(box, CB_GETITEMDATA, item, 0) == record.conjunction)
            chosen = item;
    if (chosen == CB_ERR)
    {
        chosen = 0;
        problems.push_back({line, Text(IDS_LINE_STORED_CONJUNCTION)});
    }
    ::SendMessageW(box, CB_SETCURSEL, chosen, 0);
    ::ShowWindow(box, SW_SHOW);
}

// Moved from CSelectedFiles to its online pane.
void OnlineGalleryPane::ResetSearchLine(DWORD line)
{
    static const Property_Manager::PropertyList none;
    m_lines[line - 1]->SetPropertyList(m_request ? m_request->properties : none);
    const int show = line == 1 ? SW_SHOW : SW_HIDE;
    ::ShowWindow(m_lines[line - 1]->m_hWnd, show);
    if (line < MaximumSearchLines)
    {
        ::ShowWindow(ConjunctionBox(m_dialog, line), show);
        ::SendMessageW(ConjunctionBox(m_dialog, line), CB_SETCURSEL, 0, 0);
    }
}

// Moved from CSelectedFiles to its online pane.
void OnlineGalleryPane::ResetSearchLinesFrom(DWORD first)
{
    for (DWORD line = first; line <= MaximumSearchLines; ++line)
        ResetSearchLine(line);
    // The problems live only as the box's text: the lines' own problems from
    // the first reset line on are dropped, the others kept.
    wchar_t buffer[0x8000] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(Item(IDC_FILTER_NOTICE), WM_GETTEXT, sizeof(buffer) / sizeof(buffer[0]) - 1,
                        reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, ProblemBoxTimeout, &copied);
    const std::wstring text(buffer);
    const std::wstring whole = PrefixOf(IDS_FILTER_PROBLEM), linePrefix = PrefixOf(IDS_FILTER_LINE_PROBLEM);
    FilterProblemList kept;
    size_t at = 0;
    while (at < text.size())
    {
        const size_t end = std::min(text.find(L"\r\n", at), text.size());
        const std::wstring entry = text.substr(at, end - at);
        at = end + 2;
        if (!linePrefix.empty() && entry.compare(0, linePrefix.size(), linePrefix) == 0)
        {
            const size_t dash = entry.find(L'-');
            const std::wstring number = TrimSpace(TrimSpace(entry.substr(0, dash)).substr(std::min(linePrefix.size(), TrimSpace(entry.substr(0, dash)).size())));
            wchar_t* stop = nullptr;
            const unsigned long line = number.empty() ? 0 : std::wcstoul(number.c_str(), &stop, 10);
            if (!number.empty() && stop && *stop == 0 && dash != std::wstring::npos)
            {
                if (line < first)
                {
                    const size_t message = entry.find_first_not_of(L"- \t", dash);
                    kept.push_back({static_cast<DWORD>(line),
                                    MStringEx<wchar_t>(message == std::wstring::npos ? L"" : entry.substr(message).c_str())});
                }
                continue;
            }
        }
        if (!whole.empty() && entry.compare(0, whole.size(), whole) == 0)
            kept.push_back({WholeFilterLine, MStringEx<wchar_t>(TrimSpace(entry.substr(whole.size())).c_str())});
        else
            kept.push_back({WholeFilterLine, MStringEx<wchar_t>(entry.c_str())});
    }
    ShowFilterProblems(kept);
}

// Moved from CSelectedFiles to its online pane.
void OnlineGalleryPane::ShowFilterProblems(const FilterProblemList& problems)
{
    std::wstring text;
    for (const ConditionReport& problem : problems)
    {
        if (!text.empty())
            text += L"\r\n";
        const MString entry = problem.line == WholeFilterLine
                                  ? MString(sX::Format(), IDS_FILTER_PROBLEM, problem.message.GetText())
                                  : MString(sX::Format(), IDS_FILTER_LINE_PROBLEM, static_cast<int>(problem.line),
                                            problem.message.GetText());
        text += entry.GetText();
    }
    HWND box = Item(IDC_FILTER_NOTICE);
    LONG_PTR style = ::GetWindowLongPtrW(box, GWL_STYLE);
    style = problems.size() >= 3 ? style | WS_VSCROLL : style & ~static_cast<LONG_PTR>(WS_VSCROLL);
    ::SetWindowLongPtrW(box, GWL_STYLE, style);
    ::SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ::SetWindowTextW(box, text.c_str());
}

// Moved from CSelectedFiles to its online pane.
void OnlineGalleryPane::LayoutSearchLines()
{
    SemaphoreGuard guard(m_layoutGuard, SemaphoreGuard::Take::Wait);
    // The lines and their joining combos stack below the filter row.
    const RECT filterRow = RectIn(m_dialog, Item(IDC_RELOAD_PROPERTIES));
    const RECT check = RectIn(m_dialog, Item(IDC_FILTER_SWITCH));
    int top = filterRow.bottom + RowGap;
    int bottom = 0;
    for (int id : {IDC_ONLINE_GALLERY, IDC_FILTER_SWITCH, IDC_RELOAD_PROPERTIES})
        if (IsShown(Item(id)))
            bottom = std::max<int>(bottom, RectIn(m_dialog, Item(id)).bottom);
    for (DWORD line = 1; line <= MaximumSearchLines; ++line)
    {
        HWND window = m_lines[line - 1]->m_hWnd;
        if (IsShown(window))
        {
            const RECT r = RectIn(m_dialog, window);
            ::SetWindowPos(window, nullptr, check.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            top += r.bottom - r.top + RowGap;
            bottom = top - RowGap;
        }
        HWND box = line < MaximumSearchLines ? ConjunctionBox(m_dialog, line) : nullptr;
        if (box && IsShown(box))
        {
            const RECT r = RectIn(m_dialog, box);
            ::SetWindowPos(box, nullptr, check.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            top += r.bottom - r.top + RowGap;
            bottom = top - RowGap;
        }
    }

    // OK and Cancel below, keeping their place from the right edge; the
    // problem box beside them.
    const int buttonsTop = bottom + ButtonGap;
    RECT ok = RectIn(m_dialog, Item(IDC_SELECTION_OK)), cancel = RectIn(m_dialog, Item(IDC_SELECTION_CANCEL));
    RECT client = {};
    m_dialog.GetClientRect(&client);
    const int shift = m_startWidth - client.right;
    for (RECT* button : {&ok, &cancel})
        ::OffsetRect(button, shift, buttonsTop - button->top);
    ::MoveWindow(Item(IDC_SELECTION_OK), ok.left, ok.top, ok.right - ok.left, ok.bottom - ok.top, TRUE);
    ::MoveWindow(Item(IDC_SELECTION_CANCEL), cancel.left, cancel.top, cancel.right - cancel.left,
                 cancel.bottom - cancel.top, TRUE);
    const RECT box = RectIn(m_dialog, Item(IDC_FILTER_NOTICE));
    ::MoveWindow(Item(IDC_FILTER_NOTICE), check.left - 2, buttonsTop, box.right - box.left, box.bottom - box.top, TRUE);
    const RECT gallery = RectIn(m_dialog, Item(IDC_ONLINE_GALLERY));
    ::MoveWindow(Item(IDC_ONLINE_GALLERY), gallery.left, gallery.top, cancel.right - 1 - gallery.left,
                 gallery.bottom - gallery.top, TRUE);
    ::MoveWindow(Item(IDC_RELOAD_PROPERTIES), ok.left, filterRow.top, cancel.right - ok.left,
                 filterRow.bottom - filterRow.top, TRUE);

    // The window ends 12 pixels below the buttons (or the problem box).
    const int contentBottom = std::max<int>(cancel.bottom, buttonsTop + (box.bottom - box.top)) + ButtonGap;
    RECT wanted = {0, 0, m_startWidth, contentBottom};
    AdjustWindowRectEx(&wanted, static_cast<DWORD>(GetWindowLongPtrW(m_dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(m_dialog, GWL_EXSTYLE)));
    ::SetWindowPos(m_dialog, nullptr, 0, 0, wanted.right - wanted.left, wanted.bottom - wanted.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnlineGalleryPane::OnConjunctionCommand(WORD code, WORD id, HWND control)
{
    if (code == CBN_DROPDOWN)
    {
        m_dropDowns.open = control;
        m_dropDowns.closedTick = 0;
    }
    else if (code == CBN_CLOSEUP)
    {
        m_dropDowns.open = nullptr;
        m_dropDowns.closedTick = GetTickCount();
    }
    else if (code == CBN_SELCHANGE)
    {
        // A joining shows the next line; the end resets the lines after it.
        const DWORD line = id - IDC_CONJUNCTION_FIRST + 1;
        const int data = ConjunctionData(control);
        if (data > 0 && data != L'=')
        {
            ::ShowWindow(*m_lines[line], SW_SHOW);
            if (line + 1 < MaximumSearchLines)
                ::ShowWindow(Item(IDC_CONJUNCTION_FIRST + line), SW_SHOW);
        }
        else
        {
            ::SendMessageW(control, CB_SETCURSEL, 0, 0);
            ResetSearchLinesFrom(line + 1);
        }
        LayoutSearchLines();
    }
}

bool OnlineGalleryPane::TakeEscape()
{
    if (m_dropDowns.open || GetTickCount() - m_dropDowns.closedTick < GetDoubleClickTime())
    {
        if (m_dropDowns.open || m_dropDowns.closedTick)
        {
            ::SetFocus(m_dropDowns.open ? m_dropDowns.open : Item(IDC_CONJUNCTION_FIRST));
            MessageBeep(MB_ICONERROR);
            return true;
        }
    }
    return false;
}

// The filter's problems stand out in red on the dialog's face.
LRESULT OnlineGalleryPane::OnCtlColorStatic(WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (reinterpret_cast<HWND>(lParam) != Item(IDC_FILTER_NOTICE))
    {
        handled = FALSE;
        return 0;
    }
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    if (face != m_faceColour)
    {
        m_faceColour = face;
        m_faceBrush = std::make_unique<MSolidBrush>(face);
    }
    const HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, ProblemTextColour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(m_faceBrush->Get());
}

// ---- OK -------------------------------------------------------------------

// Moved from CSelectedFiles to its online pane.
bool OnlineGalleryPane::WriteSelectedOnlineGallery(bool showMessages)
{
    if (!m_request || m_request->gallery.name.IsEmpty())
    {
        if (showMessages)
            ShowMessage(Text(IDS_NO_ONLINE_GALLERY_CHOSEN), MB_ICONEXCLAMATION);
        return false;
    }
    if (::WriteSelectedOnlineGallery(m_request->gallery))
        return true;
    if (showMessages)
        ShowMessage(Text(IDS_ONLINE_GALLERY_STORE_FAILED), MB_ICONERROR);
    return false;
}

// Moved from CSelectedFiles to its online pane.
bool OnlineGalleryPane::StoreOnlineFilter(bool& changed, bool showMessages)
{
    if (!WriteSelectedOnlineGallery(showMessages))
        return false;
    const bool on = ::IsDlgButtonChecked(m_dialog, IDC_FILTER_SWITCH) == BST_CHECKED;
    changed = on != ReadOnlineFilterSwitch();
    if (!on)
    {
        // The stored lines stay for the next time the filter is switched on.
        WriteOnlineFilterSwitch(false);
        return true;
    }

    SearchLineList lines;
    FilterProblemList problems;
    for (DWORD line = 1; line <= MaximumSearchLines; ++line)
        if (!m_lines[line - 1]->GetCondition(line < MaximumSearchLines ? ConjunctionBox(m_dialog, line) : nullptr,
                                             lines, problems))
            break;
    CheckSearchLineParentheses(lines, problems);
    ShowFilterProblems(problems);
    if (!problems.empty() || lines.empty())
    {
        if (showMessages)
            ShowMessage(Text(problems.empty() ? IDS_FILTER_NO_LINE : IDS_FILTER_INVALID), MB_ICONERROR);
        return false;
    }

    SearchLineList stored;
    LoadSearchLines(stored, nullptr);
    // The filter first, then the switch: the switch is never on without a
    // stored filter. A failure says so and keeps the dialog open.
    if (!SaveOnlineFilterData(lines) || !WriteOnlineFilterSwitch(true))
    {
        WriteOnlineFilterSwitch(false);
        if (showMessages)
            ShowMessage(Text(IDS_FILTER_STORE_FAILED), MB_ICONERROR);
        return false;
    }
    changed = changed || SearchLinesDiffer(lines, stored);
    return true;
}
