#include "settings/IntroductionDlg.h"

#include "foundation/Atom.h"
#include "foundation/Registry.h"
#include "settings/PngResource.h"
#include "slideshow/SlideTimer.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/Language.h"
#include "core/ProgramObjects.h"

#include <objidl.h>
#include <gdiplus.h>

namespace
{
const unsigned ProgramIcon = 100;
// The introduction's details with the default slide interval as the settings
// show it: the number in its unit, then the unit's name.
MStringEx<wchar_t> IntroductionDetails(const wchar_t* name)
{
    SlideTimer defaults;
    defaults.SetDefaults();
    const bool minutes = defaults.unitA == Time_unit::Minutes;
    const int number = static_cast<int>(minutes ? defaults.intervalA / 60 : defaults.intervalA);
    const MStringEx<wchar_t> unit(ResId(minutes ? IDS_UNIT_MINUTES : IDS_UNIT_SECONDS));
    return MStringEx<wchar_t>(sX::Format(), IDS_INTRO_DETAILS, name, number, unit.GetText());
}

// PNG resource 136 of the language module (the program's own module when none
// is loaded) on opaque black; null on any failure.
HBITMAP LoadIntroductionPicture()
{
    return PngResourceBitmap(ATL::GetResourceInstance(), IDP_INTRO_PICTURE, 0xFF000000);
}

LRESULT Transparent(WPARAM dc, COLORREF text, HBRUSH brush)
{
    SetBkMode(reinterpret_cast<HDC>(dc), TRANSPARENT);
    SetTextColor(reinterpret_cast<HDC>(dc), text);
    return reinterpret_cast<LRESULT>(brush);
}
}

bool HasRunBefore()
{
    RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_READ))
        return false;
    DWORD type = 0;
    DWORD size = 0;
    const LONG read = key.Query(L"Display Area", type, nullptr, size);
    return read == ERROR_SUCCESS && type == REG_BINARY && size != 0;
}

CIntroductionDlg::CIntroductionDlg()
    : m_caption(ResId(IDS_PRODUCT_CAPTION)), m_productName(ResId(IDS_PRODUCT_NAME)),
      m_icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ProgramIcon), IMAGE_ICON, 0, 0,
                                           LR_DEFAULTSIZE))),
      m_picture(LoadIntroductionPicture()), m_whiteBrush(RGB(255, 255, 255)), m_editBrush(RGB(255, 255, 255)),
      m_closeMessage(RegisterWindowMessageW(CloseDialogsMessageName))
{
}

const ATL::MessageMap<CIntroductionDlg>& CIntroductionDlg::GetMessageMap()
{
    static const ATL::MessageMap<CIntroductionDlg> map = ATL::MessageMap<CIntroductionDlg>()
        .Message(WM_INITDIALOG, &CIntroductionDlg::OnInitDialog)
        .Command(IDC_INTRO_CHECK, BN_CLICKED, &CIntroductionDlg::OnCheck)
        .Command(IDC_INTRO_CONTINUE, BN_CLICKED, &CIntroductionDlg::OnContinue)
        .Command(IDOK, &CIntroductionDlg::OnIgnoreCommand)
        .Command(IDCANCEL, &CIntroductionDlg::OnIgnoreCommand)
        .Message(WM_CLOSE, &CIntroductionDlg::OnClose)
        .Message(WM_HELP, &CIntroductionDlg::OnHelp)
        .Message(WM_DRAWITEM, &CIntroductionDlg::OnDrawItem)
        .Message(WM_CTLCOLOREDIT, &CIntroductionDlg::OnCtlColorEdit)
        .Message(WM_CTLCOLORDLG, &CIntroductionDlg::OnCtlColor)
        .Message(WM_CTLCOLORSTATIC, &CIntroductionDlg::OnCtlColor)
        .Message(WM_CTLCOLORBTN, &CIntroductionDlg::OnCtlColor)
        .Message(WM_CTLCOLORLISTBOX, &CIntroductionDlg::OnCtlColor)
        .Message(WM_CTLCOLORSCROLLBAR, &CIntroductionDlg::OnCtlColor)
        .Message(WM_SYSCOMMAND, &CIntroductionDlg::OnSysCommand)
        .Message(WM_DESTROY, &CIntroductionDlg::OnDestroy)
        .RegisteredMessage(&CIntroductionDlg::m_closeMessage, &CIntroductionDlg::OnCloseDialogs);
    return map;
}

LRESULT CIntroductionDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    DeleteMenu(GetSystemMenu(FALSE), SC_CLOSE, MF_BYCOMMAND);
    SetIcon(m_icon, TRUE);
    SetIcon(m_icon, FALSE);
    SetWindowText(m_caption.GetText());
    SetWindowContextHelpId(DialogHelpContext(IDD_INTRODUCTION));
    for (int id = IDC_INTRO_BACKGROUND; id <= IDC_INTRO_CONTINUE; ++id)
        if (HWND control = GetDlgItem(id))
            ::SetWindowContextHelpId(control, DialogHelpContext(id));

    ApplyDerivedWindowFont(m_titleFont, GetDlgItem(IDC_INTRO_TITLE), 4, 700, false, true);
    ApplyDerivedWindowFont(m_subtitleFont, GetDlgItem(IDC_INTRO_SUBTITLE), 2, 700, false, true);
    ApplyDerivedWindowFont(m_checkFont, GetDlgItem(IDC_INTRO_CHECK), 1, 700, false, false);

    const wchar_t* name = m_productName.GetText();
    SetDlgItemText(IDC_INTRO_TITLE, MStringEx<wchar_t>(sX::Format(), IDS_INTRO_TITLE, name).GetText());
    SetDlgItemText(IDC_INTRO_TEXT, MStringEx<wchar_t>(sX::Format(), IDS_INTRO_TEXT, name).GetText());
    SetDlgItemText(IDC_INTRO_SUBTITLE, MStringEx<wchar_t>(sX::Format(), IDS_INTRO_SUBTITLE, name).GetText());
    SetDlgItemText(IDC_INTRO_DETAILS, IntroductionDetails(name).GetText());

    const CWindow picture = GetDlgItem(IDC_INTRO_PICTURE);
    picture.ModifyStyle(SS_TYPEMASK, SS_BITMAP | SS_CENTERIMAGE);
    picture.SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_picture.Get()));

    SendDlgItemMessage(IDC_INTRO_CHECK, BM_SETCHECK, BST_UNCHECKED);
    GetDlgItem(IDC_INTRO_CONTINUE).EnableWindow(FALSE);
    CRect window;
    GetWindowRect(&window);
    CenterRectOnPrimaryMonitor(window);
    MoveWindow(window.left, window.top, window.Width(), window.Height(), TRUE);
    GetDlgItem(IDC_INTRO_BACKGROUND).SetFocus();
    return FALSE;
}

LRESULT CIntroductionDlg::OnCheck(WORD, WORD, HWND, BOOL&)
{
    const bool checked = SendDlgItemMessage(IDC_INTRO_CHECK, BM_GETCHECK) == BST_CHECKED;
    GetDlgItem(IDC_INTRO_CONTINUE).EnableWindow(checked);
    return 0;
}

LRESULT CIntroductionDlg::OnContinue(WORD, WORD, HWND, BOOL&)
{
    EndDialog(Continue);
    return 0;
}

LRESULT CIntroductionDlg::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    ShowHelpContext(static_cast<int>(reinterpret_cast<const HELPINFO*>(lParam)->dwContextId));
    return TRUE;
}

LRESULT CIntroductionDlg::OnDrawItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (wParam != IDC_INTRO_BACKGROUND)
    {
        handled = FALSE;
        return 0;
    }
    const DRAWITEMSTRUCT* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    FillRect(draw->hDC, &draw->rcItem, m_whiteBrush);
    return TRUE;
}

LRESULT CIntroductionDlg::OnCtlColorEdit(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    return Transparent(wParam, RGB(0xAA, 0xAA, 0xAA), m_editBrush);
}

LRESULT CIntroductionDlg::OnCtlColor(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    return Transparent(wParam, RGB(0, 0, 0), m_whiteBrush);
}

LRESULT CIntroductionDlg::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (!IsHelpSysCommand(wParam))
    {
        handled = FALSE;
        return 0;
    }
    ShowHelpContext(DialogHelpContext(IDD_INTRODUCTION));
    return 0;
}

LRESULT CIntroductionDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    m_titleFont.Restore();
    m_subtitleFont.Restore();
    m_checkFont.Restore();
    handled = FALSE;
    return 0;
}

LRESULT CIntroductionDlg::OnCloseDialogs(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (DialogCloseToken.Matches(wParam, lParam))
        EndDialog(ClosedByProgram);
    return 0;
}
