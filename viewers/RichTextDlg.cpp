#include "viewers/RichTextDlg.h"

#include "foundation/AtomPersistence.h"
#include "foundation/DefaultBrowser.h"
#include "foundation/SystemUtilities.h"
#include "core/CrashReport.h"
#include "core/EditContextMenu.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "viewers/DocumentDisplayParameters.h"
#include "viewers/ViewerWindow.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
// The space between the window's edges and the text, in pixels.
constexpr LONG TextMargin = 16;
constexpr DWORD ViewerStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | DS_SETFOREGROUND | DS_SETFONT | DS_FIXEDSYS;
constexpr DWORD ViewerExStyle = WS_EX_LAYERED | WS_EX_CONTROLPARENT;
}

CRichTextDlg::CRichTextDlg(const POINT* anchor, const MStringEx<wchar_t>& documentPath, ViewerSlot viewerSlot,
                           const MStringEx<wchar_t>& title, HWND owner)
    : m_closeMessage(RegisterWindowMessageW(CloseDialogsMessageName)),
      m_viewerMutex(CreateMutexW(nullptr, TRUE, DialogMutexName(L"VIEWER_CRichTextDlg").GetText())),
      m_viewerSlot(viewerSlot),
      m_owner(owner),
      m_caption(ResId(IDS_PRODUCT_CAPTION)),
      m_secondText(ResId(IDS_PRODUCT_NAME)),
      m_icon(LoadProgramIcon()),
      m_anchor(anchor ? *anchor : POINT{0, 0}),
      m_title(title),
      m_documentPath(documentPath)
{
}

CRichTextDlg::~CRichTextDlg() = default;

const ATL::MessageMap<CRichTextDlg>& CRichTextDlg::GetMessageMap()
{
    using T = CRichTextDlg;
    static const ATL::MessageMap<T> map = ATL::MessageMap<T>()
                                              .Message(WM_INITDIALOG, &T::OnInitDialog)
                                              .Message(WM_DESTROY, &T::OnDestroy)
                                              .Message(WM_GETMINMAXINFO, &T::OnGetMinMaxInfo)
                                              .Message(WM_SIZE, &T::OnSize)
                                              .Message(WM_CHAR, &T::OnChar)
                                              .Message(WM_HELP, &T::OnHelp)
                                              .Timer(FadeInTimerId, &T::OnFadeInTimer)
                                              .Timer(FadeOutTimerId, &T::OnFadeOutTimer)
                                              .Message(WM_SHOWWINDOW, &T::OnShowWindow)
                                              .Message(WM_ACTIVATE, &T::OnActivate)
                                              .Message(WM_RBUTTONUP, &T::OnRButtonUp)
                                              .Message(WM_NOTIFY, &T::OnNotify)
                                              .Message(WM_CLOSE, &T::OnClose)
                                              .Message(WM_CLOSE_REQUEST, &T::OnCloseRequest)
                                              .RegisteredMessage(&T::m_closeMessage, &T::OnCloseDialogs)
                                              .Command(IDOK, 0, &T::OnSwallowCommand)
                                              .Command(IDCANCEL, 0, &T::OnSwallowCommand);
    return map;
}

MemoryPH<unsigned char> CRichTextDlg::TerminatedText(const MAtom<unsigned char>& bytes)
{
    // An odd count gets a third zero byte, so that the control's UTF-16 view
    // of the bytes ends in a whole NUL rather than running on.
    const unsigned __int64 count = bytes.GetCount();
    const unsigned __int64 zeros = 2 + (count & 1);
    MemoryPH<unsigned char> text{ElementCount(count + zeros)};
    if (count)
        std::memcpy(text.GetData(), bytes.GetData(), static_cast<size_t>(count));
    std::memset(text.GetData() + count, 0, static_cast<size_t>(zeros));
    return text;
}

// ---- Opening ----

LRESULT CRichTextDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_viewerSlot.Set(m_hWnd);
    SetIcon(m_icon.Get(), TRUE);
    SetIcon(m_icon.Get(), FALSE);
    SetWindowText(MStringEx<wchar_t>(sX::Format(), L"%s - %s", m_title.GetText(), m_caption.GetText()).GetText());
    SetWindowContextHelpId(DialogHelpContext(IDD_RICH_TEXT));
    m_control = ::GetDlgItem(m_hWnd, IDC_RICH_TEXT);
    ::SetWindowContextHelpId(m_control, DialogHelpContext(IDC_RICH_TEXT));
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(ViewerStyle));
    SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ViewerExStyle);

    SetWindowLongPtrW(m_control, GWLP_USERDATA, GetWindowLongPtrW(m_control, GWLP_WNDPROC));
    SetWindowLongPtrW(m_control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CRichTextDlg::ControlProc));
    ::SendMessageW(m_control, EM_SETOPTIONS, ECOOP_OR, ECO_SAVESEL | ECO_READONLY);
    ::SendMessageW(m_control, EM_AUTOURLDETECT, TRUE, 0);
    const LRESULT mask = ::SendMessageW(m_control, EM_GETEVENTMASK, 0, 0);
    ::SendMessageW(m_control, EM_SETEVENTMASK, 0, mask | ENM_LINK);
    ::SendMessageW(m_control, EM_SETTARGETDEVICE, 0, 0);
    SizeWindow();

    const MStringEx<wchar_t> error = ReadDocument();
    if (!error.IsEmpty())
    {
        MessageBoxW(GetDesktopWindow(), error.GetText(), m_caption.GetText(), MB_ICONERROR);
        EndWith(1);
        return TRUE;
    }
    m_fade.StartFadeIn();
    return TRUE;
}

void CRichTextDlg::SizeWindow()
{
    RECT work = {0, 0, 0, 0};
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromPoint(m_anchor, MONITOR_DEFAULTTONEAREST), &info))
        work = info.rcWork;
    const LONG workWidth = work.right - work.left;
    const LONG workHeight = work.bottom - work.top;
    const bool large = workWidth >= 1280 && workHeight > 720;
    RECT frame{0, 0, large ? 1280 : 640, large ? 720 : 360};
    AdjustWindowRectEx(&frame, ViewerStyle, FALSE, ViewerExStyle);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    SetWindowPos(nullptr, work.left + (workWidth - width) / 2, work.top + (workHeight - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    FitControl();
}

void CRichTextDlg::FitControl()
{
    RECT client;
    GetClientRect(&client);
    ::MoveWindow(m_control, 0, 0, client.right, client.bottom, TRUE);
    // The control keeps this rectangle through later sizes: it is set anew
    // with each.
    RECT text = {TextMargin, TextMargin, std::max<LONG>(TextMargin, client.right - TextMargin),
                 std::max<LONG>(TextMargin, client.bottom - TextMargin)};
    ::SendMessageW(m_control, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&text));
}

MStringEx<wchar_t> CRichTextDlg::ReadDocument()
{
    try
    {
        MHandle file(INVALID_HANDLE_VALUE);
        try
        {
            m_documentBytes.ReadFile(m_documentPath.GetText(), ElementCount(MaxDocumentFileBytes), &file);
        }
        catch (const QuilloryError&)
        {
            const DWORD error = GetLastError();
            return MStringEx<wchar_t>(sX::Format(), IDS_DOCUMENT_UNREADABLE, m_documentPath.GetText(),
                                      FormatSystemError(error).GetText());
        }
        LARGE_INTEGER size = {};
        if (!GetFileSizeEx(file, &size))
            return MStringEx<wchar_t>(sX::Format(), IDS_DOCUMENT_UNREADABLE, m_documentPath.GetText(),
                                      FormatSystemError(GetLastError()).GetText());
        if (m_documentBytes.GetCount() < static_cast<unsigned __int64>(size.QuadPart))
            return MStringEx<wchar_t>(sX::Format(), IDS_DOCUMENT_TOO_LARGE, m_documentPath.GetText(),
                                      m_secondText.GetText(), MStringEx<wchar_t>(true, MaxDocumentFileBytes).GetText());
        ::SendMessageW(m_control, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(MaxDocumentFileBytes));
        return MStringEx<wchar_t>();
    }
    catch (...)
    {
        return MStringEx<wchar_t>(sX::Format(), IDS_DOCUMENT_FAILED, m_documentPath.GetText());
    }
}

LRESULT CRichTextDlg::OnShowWindow(UINT, WPARAM shown, LPARAM, BOOL&)
{
    if (shown && m_documentBytes.GetCount())
    {
        const MemoryPH<unsigned char> text = TerminatedText(m_documentBytes);
        m_documentBytes.Clear();
        // The control reads RTF from these bytes itself; other text is taken
        // as UTF-16.
        ::SendMessageW(m_control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetData()));
    }
    return 0;
}

// ---- Window ----

LRESULT CRichTextDlg::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
    limits->ptMinTrackSize = POINT{400, 200};
    limits->ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTONEAREST), &info))
    {
        limits->ptMaxPosition = POINT{info.rcMonitor.left, info.rcMonitor.top};
        limits->ptMaxSize = POINT{info.rcMonitor.right - info.rcMonitor.left, info.rcMonitor.bottom - info.rcMonitor.top};
    }
    return 0;
}

LRESULT CRichTextDlg::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    FitControl();
    return 0;
}

LRESULT CRichTextDlg::OnChar(UINT, WPARAM character, LPARAM, BOOL&)
{
    if (character == L' ')
        ::SendMessageW(m_control, EM_LINESCROLL, 0, 1);
    return 0;
}

LRESULT CRichTextDlg::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (const auto* info = reinterpret_cast<const HELPINFO*>(lParam))
        ShowHelpContext(static_cast<int>(info->dwContextId));
    return 0;
}

LRESULT CRichTextDlg::OnActivate(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ReportDeactivation(m_hWnd, m_owner, wParam, lParam, m_fade.IsClosing());
    return 0;
}

LRESULT CALLBACK CRichTextDlg::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR && wParam == L' ')
        return ::SendMessageW(::GetParent(window), WM_CHAR, wParam, lParam);
    if ((message == WM_KEYDOWN || message == WM_KEYUP) && wParam == VK_SPACE)
        return 0;
    return EditContextMenuSubclassProc(window, message, wParam, lParam);
}

// ---- Links ----

LRESULT CRichTextDlg::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->hwndFrom == m_control && header->code == EN_LINK)
        OpenLink(*reinterpret_cast<const ENLINK*>(lParam));
    return 0;
}

void CRichTextDlg::OpenLink(const ENLINK& link)
{
    if (link.msg != WM_LBUTTONDOWN && link.msg != WM_LBUTTONUP)
        return;
    const LONG length = link.chrg.cpMax - link.chrg.cpMin;
    if (length <= 0)
        return;
    std::vector<wchar_t> text(static_cast<size_t>(length) + 2, L'\0');
    TEXTRANGEW range = {link.chrg, text.data()};
    ::SendMessageW(m_control, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    const MStringEx<wchar_t> linkText(text.data());
    if (link.msg == WM_LBUTTONDOWN)
    {
        m_pressedLink = linkText;
        return;
    }
    if (!m_pressedLink.IsEmpty() && wcscmp(linkText.GetText(), m_pressedLink.GetText()) == 0)
        ShellLauncher(GetDesktopWindow(), L"Open", linkText.GetText(), nullptr, nullptr, SW_MAXIMIZE);
    m_pressedLink = MStringEx<wchar_t>();
}

// ---- Closing ----

LRESULT CRichTextDlg::OnFadeInTimer(UINT_PTR, BOOL&)
{
    m_fade.FadeInStep();
    return 0;
}

LRESULT CRichTextDlg::OnFadeOutTimer(UINT_PTR, BOOL&)
{
    if (m_fade.FadeOutStep())
        EndWith(1);
    return 0;
}

void CRichTextDlg::StartCloseFade()
{
    if (!m_fade.StartFadeOut())
        EndWith(1);
}

void CRichTextDlg::EndWith(INT_PTR result)
{
    m_fade.MarkClosing();
    EndDialog(result);
}

LRESULT CRichTextDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&)
{
    StartCloseFade();
    return 0;
}

LRESULT CRichTextDlg::OnCloseRequest(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    AnswerCloseRequest(
        m_hWnd, wParam, lParam, [this](INT_PTR result) { EndWith(result); }, [this] { StartCloseFade(); });
    return 0;
}

LRESULT CRichTextDlg::OnCloseDialogs(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (DialogCloseToken.Matches(wParam, lParam))
        EndWith(0);
    return 0;
}

LRESULT CRichTextDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    m_fade.KillTimers();
    if (m_control)
        SetWindowLongPtrW(m_control, GWLP_WNDPROC, GetWindowLongPtrW(m_control, GWLP_USERDATA));
    m_viewerSlot.Set(nullptr);
    return 0;
}
