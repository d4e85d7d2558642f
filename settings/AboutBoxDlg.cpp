#include "settings/AboutBoxDlg.h"

#include "foundation/DefaultBrowser.h"
#include "foundation/PostOwned.h"
#include "foundation/ShellHelpers.h"
#include "foundation/SystemUtilities.h"
#include "resources/window/ProgramResourceIds.h"
#include "settings/LanguageSelect.h"
#include "settings/PngResource.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/Language.h"
#include "core/MessageBox.h"
#include "core/ThreadCounter.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace
{
// Posted to itself with a heap MString: the address of the clicked link.
constexpr UINT WM_OPEN_LINK = WM_USER + 12;
bool PostOpenLink(HWND dialog, std::unique_ptr<MString> address)
{
    return PostOwned(dialog, WM_OPEN_LINK, 0, std::move(address));
}
std::unique_ptr<MString> TakeOpenLink(LPARAM lParam)
{
    return TakeOwned<MString>(lParam);
}
constexpr COLORREF White = RGB(255, 255, 255);
// Links are drawn in blue (0x00BBGGRR).
constexpr COLORREF LinkColour = 0xFF0000;

const int LinkControls[] = {IDC_ABOUT_LOGO, IDC_ABOUT_LINK_1, IDC_ABOUT_LINK_2, IDC_ABOUT_COPYRIGHT_MAKER};

unsigned LinkAddress(int control)
{
    switch (control)
    {
    case IDC_ABOUT_LOGO:
        return IDS_ABOUT_LOGO_LINK;
    case IDC_ABOUT_LINK_1:
        return IDS_ABOUT_LINK_1;
    case IDC_ABOUT_LINK_2:
        return IDS_ABOUT_LINK_2;
    default:
        return IDS_ABOUT_MAKER_LINK;
    }
}

bool IsLinkControl(int id)
{
    for (int link : LinkControls)
        if (link == id)
            return true;
    return false;
}

MString WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    MString text{ElementCount(static_cast<unsigned __int64>(length))};
    if (length > 0)
        GetWindowTextW(window, text.GetData(), length + 1);
    return MString(text.GetText());
}

// Links draw their text this far from their left edge.
constexpr LONG LinkIndent = 2;
// Room beside a measured text, so that no font rounding cuts its last letter.
constexpr LONG TextSlack = 4;

// Whether the control is shown once the box is: while the box is being set up
// it is itself hidden, and IsWindowVisible answers false for every control.
bool IsShown(HWND control) { return (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

// The control's rectangle in its dialog's client coordinates.
RECT ChildRect(HWND control)
{
    RECT r = {};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The size of the control's text in its own font.
SIZE MeasureTextExtent(HWND control)
{
    const MString text = WindowText(control);
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, 0, 0};
    DrawTextW(dc, text.GetText(), -1, &r, DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}
}

CAboutBoxDlg::CAboutBoxDlg(POINT cursor, DialogWindowSlot* slot, HWND controllerWindow, HWND mainWindow)
    : CControllerDialog<CAboutBoxDlg>(L"CAboutBoxDlg", slot, cursor), m_controllerWindow(controllerWindow),
      m_mainWindow(mainWindow), m_caption(ResId(IDS_PRODUCT_CAPTION)), m_productName(ResId(IDS_PRODUCT_NAME)),
      m_icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 0, 0,
                                           LR_DEFAULTSIZE))),
      m_whiteBrush(White)
{
}

CAboutBoxDlg::~CAboutBoxDlg()
{
    if (m_logo)
        DeleteObject(m_logo);
}

const ATL::MessageMap<CAboutBoxDlg>& CAboutBoxDlg::GetMessageMap()
{
    using T = CAboutBoxDlg;
    static const ATL::MessageMap<T> map = ATL::MessageMap<T>()
        .Message(WM_INITDIALOG, &T::OnInitDialog)
        .Message(WM_DESTROY, &T::OnDestroy)
        .Command(IDC_ABOUT_LOGO, &T::OnLink)
        .Command(IDC_ABOUT_LINK_1, &T::OnLink)
        .Command(IDC_ABOUT_LINK_2, &T::OnLink)
        .Command(IDC_ABOUT_COPYRIGHT_MAKER, &T::OnLink)
        .Message(WM_OPEN_LINK, &T::OnOpenLink)
        .Command(IDC_ABOUT_LANGUAGE, &T::OnLanguage)
        .Command(IDCANCEL, &T::OnCancelCommand)
        .Message(WM_CLOSE, &T::OnClose)
        .Message(WM_CLOSE_REQUEST, &T::OnCloseRequest)
        .RegisteredMessage(&T::m_closeDialogsMessage, &T::OnCloseDialogs)
        .Message(WM_MESSAGE_BOX_REQUEST, &T::OnShowMessageBox)
        .Message(WM_DRAWITEM, &T::OnDrawItem)
        .Message(WM_SETCURSOR, &T::OnSetCursor)
        .MessageRange(WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, &T::OnColor)
        .Message(WM_HELP, &T::OnHelp)
        .Message(WM_SYSCOMMAND, &T::OnSysCommand);
    return map;
}

CAboutBoxDlg::CopyrightParts CAboutBoxDlg::SplitCopyright(const MString& copyright, bool makerHasAddress)
{
    CopyrightParts parts;
    if (!makerHasAddress)
    {
        parts.before = copyright;
        return parts;
    }
    const MList<MString> pieces = copyright.Split(MString(MakerWord), true);
    if (pieces.GetCount() == 2)
    {
        parts.before = *pieces.GetAt(0);
        parts.maker = MString(MakerWord);
        parts.after = *pieces.GetAt(1);
    }
    else
        parts.maker = copyright;
    return parts;
}

LRESULT CAboutBoxDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    SetIcon(m_icon, TRUE);
    SetIcon(m_icon, FALSE);
    SetWindowText(MString(sX::Format(), IDS_ABOUT_TITLE, m_caption.GetText()).GetText());
    if (m_slot)
        m_slot->Record(m_hWnd);
    SetWindowContextHelpId(DialogHelpContext(IDD_ABOUT_BOX));
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SetWindowContextHelpId(child, DialogHelpContext(static_cast<DWORD>(::GetDlgCtrlID(child))));

    SetLogo();

    ::SetWindowTextW(GetDlgItem(IDC_ABOUT_NAME), m_caption.GetText());
    MString version;
    try
    {
        version = GetProductVersion();
    }
    catch (const MStringException&)
    {
        // A program without its version block shows no number.
    }
    ::SetWindowTextW(GetDlgItem(IDC_ABOUT_VERSION), MString(sX::Format(), IDS_ABOUT_VERSION, version.GetText()).GetText());
    ::SetWindowTextW(GetDlgItem(IDC_ABOUT_LINK_1), MString(ResId(IDS_ABOUT_LINK_1_TEXT)).GetText());
    ::SetWindowTextW(GetDlgItem(IDC_ABOUT_LINK_2), MString(ResId(IDS_ABOUT_LINK_2_TEXT)).GetText());
    ::SetWindowTextW(GetDlgItem(IDC_ABOUT_CLOSING), MString(ResId(IDS_ABOUT_CLOSING)).GetText());

    ApplyFonts();

    MString copyright;
    try
    {
        copyright = MString(L"LegalCopyright", static_cast<HMODULE>(nullptr));
    }
    catch (const MStringException&)
    {
    }
    const CopyrightParts parts = SplitCopyright(copyright, !MString(ResId(IDS_ABOUT_MAKER_LINK)).IsEmpty());
    ::SetWindowTextW(GetDlgItem(IDC_ABOUT_COPYRIGHT_BEFORE), parts.before.GetText());
    ::SetWindowTextW(GetDlgItem(IDC_ABOUT_COPYRIGHT_MAKER), parts.maker.GetText());
    ::SetWindowTextW(GetDlgItem(IDC_ABOUT_COPYRIGHT_AFTER), parts.after.GetText());

    for (int id = IDC_ABOUT_TEXT_FIRST; id <= IDC_ABOUT_COPYRIGHT_AFTER; ++id)
    {
        if ((id > 242 && id < IDC_ABOUT_COPYRIGHT_BEFORE) || !GetDlgItem(id))
            continue;
        if (GetWindowTextLengthW(GetDlgItem(id)) == 0)
            ::ShowWindow(GetDlgItem(id), SW_HIDE);
    }
    LayOut();

    // No visible control shows a focus rectangle at first.
    HWND focus = GetDlgItem(IDC_ABOUT_FOCUS);
    ::SetWindowPos(focus, nullptr, -2, -2, 1, 1, SWP_NOZORDER);
    ::SetFocus(focus);
    return FALSE;
}

void CAboutBoxDlg::SetLogo()
{
    HWND logo = GetDlgItem(IDC_ABOUT_LOGO);
    RECT box = {};
    ::GetClientRect(logo, &box);
    m_logo = PngResourceBitmap(GetModuleHandleW(nullptr), IDP_LOGO, 0xFFFFFFFF, box.right, box.bottom);
    if (!m_logo)
        return;
    HBITMAP previous = reinterpret_cast<HBITMAP>(
        ::SendMessageW(logo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_logo)));
    if (previous && previous != m_logo)
        DeleteObject(previous);
}

void CAboutBoxDlg::Derive(int id, LONG n, LONG weight)
{
    auto font = std::make_unique<DerivedWindowFont>();
    ApplyDerivedWindowFont(*font, GetDlgItem(id), n, weight, false, false);
    m_fonts.push_back(std::move(font));
}

void CAboutBoxDlg::ApplyFonts()
{
    Derive(IDC_ABOUT_NAME, 1, FW_BOLD);
    Derive(IDC_ABOUT_VERSION, 1, FW_BOLD);
    Derive(IDC_ABOUT_HEADING, 3, FW_BOLD);
    Derive(IDC_ABOUT_TEXT_236, 0, FW_BOLD);
    Derive(IDC_ABOUT_TEXT_243, 0, FW_BOLD);
    Derive(IDC_ABOUT_CLOSING, -1, FW_NORMAL);
}

void CAboutBoxDlg::LayOut()
{
    // The column beside the logo, top to bottom: each visible text as large
    // as it is, and a hidden text gives its row to those below it.
    static const int Column[] = {IDC_ABOUT_NAME, IDC_ABOUT_VERSION, IDC_ABOUT_HEADING, 235, IDC_ABOUT_TEXT_236, 237,
                                 IDC_ABOUT_LINK_1, 239, 240, IDC_ABOUT_LINK_2, 242, IDC_ABOUT_TEXT_243};
    std::vector<HWND> column;
    std::vector<RECT> placed;
    for (int id : Column)
        if (HWND control = GetDlgItem(id))
        {
            column.push_back(control);
            placed.push_back(ChildRect(control));
        }
    const RECT logo = ChildRect(GetDlgItem(IDC_ABOUT_LOGO));
    LONG shift = 0, columnBottom = logo.bottom, templateBottom = logo.bottom;
    for (size_t i = 0; i < column.size(); ++i)
    {
        const RECT r = placed[i];
        templateBottom = std::max(templateBottom, r.bottom);
        if (!IsShown(column[i]))
        {
            shift += (i + 1 < column.size() ? placed[i + 1].top : r.bottom) - r.top;
            continue;
        }
        const SIZE text = MeasureTextExtent(column[i]);
        const LONG height = std::max<LONG>(text.cy, r.bottom - r.top);
        ::SetWindowPos(column[i], nullptr, r.left, r.top - shift, text.cx + TextSlack, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        columnBottom = std::max(columnBottom, r.top - shift + height);
    }

    // The lines below the column follow it at the template's distance: the
    // copyright line, the closing text and the buttons on its row.
    static const int Below[] = {IDC_ABOUT_COPYRIGHT_BEFORE, IDC_ABOUT_COPYRIGHT_MAKER, IDC_ABOUT_COPYRIGHT_AFTER,
                                IDC_ABOUT_CLOSING, IDC_ABOUT_LANGUAGE, IDCANCEL};
    const LONG rise = templateBottom - columnBottom;
    for (int id : Below)
        if (HWND control = GetDlgItem(id))
        {
            const RECT r = ChildRect(control);
            ::SetWindowPos(control, nullptr, r.left, r.top - rise, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }

    // The copyright line's three parts one after another on one line, each
    // exactly as wide and high as its text, so that the text of the link
    // (drawn a little from its left edge) stands level with the others.
    LONG left = ChildRect(GetDlgItem(IDC_ABOUT_COPYRIGHT_BEFORE)).left;
    const LONG top = ChildRect(GetDlgItem(IDC_ABOUT_COPYRIGHT_BEFORE)).top;
    for (int id = IDC_ABOUT_COPYRIGHT_BEFORE; id <= IDC_ABOUT_COPYRIGHT_AFTER; ++id)
    {
        HWND part = GetDlgItem(id);
        if (!IsShown(part))
            continue;
        const SIZE text = MeasureTextExtent(part);
        const LONG indent = id == IDC_ABOUT_COPYRIGHT_MAKER ? LinkIndent : 0;
        ::SetWindowPos(part, nullptr, left - indent, top, text.cx + 2 * indent, text.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        left += text.cx;
    }
    if (HWND closing = GetDlgItem(IDC_ABOUT_CLOSING); IsShown(closing))
    {
        const RECT r = ChildRect(closing);
        const SIZE text = MeasureTextExtent(closing);
        ::SetWindowPos(closing, nullptr, r.left, r.top, text.cx + TextSlack, std::max<LONG>(text.cy, r.bottom - r.top),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // As much shorter as the column became; centred on the work area of its
    // monitor, not topmost.
    RECT window = {};
    GetWindowRect(&window);
    window.bottom -= rise;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor))
    {
        const CRect centred = CenterRectOn(monitor.rcWork, window.right - window.left, window.bottom - window.top);
        window = RECT{centred.left, centred.top, centred.right, centred.bottom};
    }
    SetWindowPos(HWND_NOTOPMOST, window.left, window.top, window.right - window.left, window.bottom - window.top,
                 SWP_NOACTIVATE);
}

LRESULT CAboutBoxDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    HBITMAP shown = reinterpret_cast<HBITMAP>(::SendMessageW(GetDlgItem(IDC_ABOUT_LOGO), STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (shown && shown != m_logo)
        DeleteObject(shown);
    for (auto& font : m_fonts)
        font->Restore();
    m_fonts.clear();
    if (m_slot)
        m_slot->Clear(m_hWnd);
    return 0;
}

LRESULT CAboutBoxDlg::OnLink(WORD, WORD id, HWND, BOOL&)
{
    PostOpenLink(m_hWnd, std::make_unique<MString>(ResId(LinkAddress(id))));
    return 0;
}

LRESULT CAboutBoxDlg::OnOpenLink(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const std::unique_ptr<MString> address = TakeOpenLink(lParam);
    // Only http and https addresses are opened.
    if (address && !address->IsEmpty())
        OpenUrlInDefaultBrowser(sX::Browser(), m_hWnd, L"open", address->GetText(), SW_SHOWMAXIMIZED);
    return 0;
}

LRESULT CAboutBoxDlg::OnLanguage(WORD, WORD, HWND, BOOL&)
{
    CLanguageSelect dialog(UiLanguage, true);
    if (dialog.DoModal(m_hWnd) != CLanguageSelect::Saved)
        return 0;
    // The orderly shut-down starts the program again in the new language.
    RestartRequested = true;
    ::PostMessageW(m_controllerWindow, WM_COMMAND, ID_QUIT, 0);
    return 0;
}

LRESULT CAboutBoxDlg::OnCancelCommand(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CAboutBoxDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CAboutBoxDlg::OnShowMessageBox(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ShowRequestedMessageBox(m_messageBoxGuard, m_caption.GetText(), wParam, lParam);
    return 0;
}

LRESULT CAboutBoxDlg::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!draw)
        return TRUE;
    FillRect(draw->hDC, &draw->rcItem, m_whiteBrush);
    if (draw->CtlID == IDC_ABOUT_FOCUS)
        return TRUE;
    const MString text = WindowText(draw->hwndItem);
    RECT r = draw->rcItem;
    r.left += LinkIndent;
    SetBkMode(draw->hDC, TRANSPARENT);
    SetTextColor(draw->hDC, LinkColour);
    HGDIOBJ previous = SelectObject(draw->hDC, reinterpret_cast<HGDIOBJ>(::SendMessageW(draw->hwndItem, WM_GETFONT, 0, 0)));
    DrawTextW(draw->hDC, text.GetText(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SelectObject(draw->hDC, previous);
    if (draw->itemState & ODS_FOCUS)
        DrawFocusRect(draw->hDC, &draw->rcItem);
    return TRUE;
}

LRESULT CAboutBoxDlg::OnSetCursor(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
    SetCursor(LoadCursorW(nullptr, IsLinkControl(id) ? IDC_HAND : IDC_ARROW));
    return TRUE;
}

LRESULT CAboutBoxDlg::OnColor(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    SetBkColor(reinterpret_cast<HDC>(wParam), White);
    return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(m_whiteBrush));
}

LRESULT CAboutBoxDlg::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    if (!info)
        return TRUE;
    ShowHelpContext(info->iContextType == HELPINFO_MENUITEM ? static_cast<int>(DialogHelpContext(IDD_ABOUT_BOX))
                                                            : static_cast<int>(info->dwContextId));
    return TRUE;
}

LRESULT CAboutBoxDlg::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (IsHelpSysCommand(wParam))
        ShowHelpContext(static_cast<int>(DialogHelpContext(IDD_ABOUT_BOX)));
    else
        handled = FALSE;
    return 0;
}
