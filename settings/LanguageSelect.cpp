#include "settings/LanguageSelect.h"

#include "foundation/WindowPlacement.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/Language.h"
#include "core/MessageBox.h"
#include "core/ProgramObjects.h"
#include "settings/WindowsVersion.h"

namespace
{
const unsigned ProgramIcon = 100;
}

CLanguageSelect::CLanguageSelect(LANGID current, bool changing)
    : m_current(current), m_changing(changing), m_caption(ResId(IDS_PRODUCT_CAPTION)),
      m_productName(ResId(IDS_PRODUCT_NAME)),
      m_icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ProgramIcon), IMAGE_ICON, 0, 0,
                                           LR_DEFAULTSIZE))),
      m_faceBrush(GetSysColorBrush(COLOR_BTNFACE)), m_closeMessage(RegisterWindowMessageW(CloseDialogsMessageName))
{
}

const CLanguageSelect::LanguageTable& CLanguageSelect::Languages()
{
    static const LanguageTable table(new LanguageTable::Entry(1026, L"Български (Bulgarian)"),
                                     new LanguageTable::Entry(1033, L"English (English)"), nullptr);
    return table;
}

const ATL::MessageMap<CLanguageSelect>& CLanguageSelect::GetMessageMap()
{
    static const ATL::MessageMap<CLanguageSelect> map = ATL::MessageMap<CLanguageSelect>()
        .Message(WM_INITDIALOG, &CLanguageSelect::OnInitDialog)
        .Command(IDC_LANGUAGE_OK, BN_CLICKED, &CLanguageSelect::OnOK)
        .Command(IDC_LANGUAGE_CANCEL, BN_CLICKED, &CLanguageSelect::OnCancelCommand)
        .Command(IDOK, &CLanguageSelect::OnCancelCommand)
        .Command(IDCANCEL, &CLanguageSelect::OnCancelCommand)
        .Message(WM_CLOSE, &CLanguageSelect::OnClose)
        .Command(IDC_LANGUAGE_LIST, CBN_SELCHANGE, &CLanguageSelect::OnSelectionChange)
        .Message(WM_HELP, &CLanguageSelect::OnHelp)
        .Message(WM_DRAWITEM, &CLanguageSelect::OnDrawItem)
        .Message(WM_SYSCOMMAND, &CLanguageSelect::OnSysCommand)
        .RegisteredMessage(&CLanguageSelect::m_closeMessage, &CLanguageSelect::OnCloseDialogs);
    return map;
}

LRESULT CLanguageSelect::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_changing)
        DeleteMenu(GetSystemMenu(FALSE), SC_CLOSE, MF_BYCOMMAND);
    SetIcon(m_icon, TRUE);
    SetIcon(m_icon, FALSE);

    // Windows 8 and 8.1 name the program differently in the title.
    const MStringEx<wchar_t>& titleName = IsWindows8Family() ? m_productName : m_caption;
    SetWindowText(MStringEx<wchar_t>(sX::Format(), IDS_LANGUAGE_TITLE, titleName.GetText()).GetText());

    SetWindowContextHelpId(DialogHelpContext(IDD_LANGUAGE));
    for (int id = IDC_LANGUAGE_LABEL; id <= IDC_LANGUAGE_FOCUS; ++id)
        ::SetWindowContextHelpId(GetDlgItem(id), DialogHelpContext(id));

    m_list = GetDlgItem(IDC_LANGUAGE_LIST);
    m_okButton = GetDlgItem(IDC_LANGUAGE_OK);
    m_cancelButton = GetDlgItem(IDC_LANGUAGE_CANCEL);
    m_focusControl = GetDlgItem(IDC_LANGUAGE_FOCUS);

    const LanguageTable& languages = Languages();
    // A language outside the table is a fault of the caller.
    languages.GetValue(m_current);
    for (unsigned __int64 i = 0; i < languages.GetCount(); ++i)
    {
        const LanguageTable::Entry& entry = *languages.GetAt(i);
        const LRESULT index =
            ::SendMessageW(m_list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.second.GetText()));
        ::SendMessageW(m_list, CB_SETITEMDATA, static_cast<WPARAM>(index), entry.first);
        if (entry.first == m_current)
            ::SendMessageW(m_list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    RECT button;
    ::GetWindowRect(m_okButton, &button);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&button), 2);
    ::SetWindowPos(m_okButton, nullptr, button.left, button.top + 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    if (!m_changing)
    {
        ::ShowWindow(m_cancelButton, SW_HIDE);
        CRect window;
        GetWindowRect(&window);
        CenterRectOnPrimaryMonitor(window);
        MoveWindow(window.left, window.top, window.Width(), window.Height(), TRUE);
    }
    else
    {
        ::EnableWindow(m_okButton, SelectedLanguage() != m_current);
        CenterWindowOnParent(m_hWnd);
        ModifyStyleEx(WS_EX_APPWINDOW, 0);
    }
    ::SetFocus(m_focusControl);
    return FALSE;
}

LANGID CLanguageSelect::SelectedLanguage() const
{
    const LRESULT index = ::SendMessageW(m_list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return 0;
    return static_cast<LANGID>(::SendMessageW(m_list, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

LRESULT CLanguageSelect::OnOK(WORD, WORD, HWND, BOOL&)
{
    const LANGID chosen = SelectedLanguage();
    if (m_changing)
    {
        const MStringEx<wchar_t> question(sX::Format(), IDS_LANGUAGE_CONFIRM, m_productName.GetText());
        if (LocalizedMessageBox(m_hWnd, question.GetText(), m_caption.GetText(), MB_OKCANCEL | MB_ICONWARNING) ==
            IDCANCEL)
            return 0;
    }
    if (SaveLanguage(chosen))
    {
        EndDialog(Saved);
        return 0;
    }
    LocalizedMessageBox(m_hWnd, MStringEx<wchar_t>(ResId(IDS_LANGUAGE_SAVE_FAILED)).GetText(), m_caption.GetText(),
                        MB_ICONWARNING);
    // At start-up the program goes on with the language it has.
    if (!m_changing)
        EndDialog(Cancelled);
    return 0;
}

void CLanguageSelect::CancelWhenChanging()
{
    if (m_changing)
        EndDialog(Cancelled);
}

LRESULT CLanguageSelect::OnCancelCommand(WORD, WORD, HWND, BOOL&)
{
    CancelWhenChanging();
    return 0;
}

LRESULT CLanguageSelect::OnClose(UINT, WPARAM, LPARAM, BOOL&)
{
    CancelWhenChanging();
    return 0;
}

LRESULT CLanguageSelect::OnSelectionChange(WORD, WORD, HWND, BOOL&)
{
    if (m_changing)
        ::EnableWindow(m_okButton, SelectedLanguage() != m_current);
    return 0;
}

LRESULT CLanguageSelect::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    ShowHelpContext(static_cast<int>(reinterpret_cast<const HELPINFO*>(lParam)->dwContextId));
    return TRUE;
}

LRESULT CLanguageSelect::OnDrawItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    const DRAWITEMSTRUCT* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (wParam != IDC_LANGUAGE_FOCUS)
    {
        handled = FALSE;
        return 0;
    }
    FillRect(draw->hDC, &draw->rcItem, m_faceBrush);
    return TRUE;
}

LRESULT CLanguageSelect::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (!IsHelpSysCommand(wParam))
    {
        handled = FALSE;
        return 0;
    }
    ShowHelpContext(DialogHelpContext(IDD_LANGUAGE));
    return 0;
}

LRESULT CLanguageSelect::OnCloseDialogs(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (DialogCloseToken.Matches(wParam, lParam))
        EndDialog(ClosedByProgram);
    return 0;
}
