#include "viewers/BrowserDlg.h"

#include "foundation/ShellHelpers.h"
#include "foundation/SystemUtilities.h"
#include "foundation/WindowPlacement.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "viewers/BrowserWindowSizes.h"
#include "viewers/DocumentRequest.h"
#include "viewers/ViewerWindow.h"

#include <exdispid.h>

#include <algorithm>

namespace
{
// The system-menu item that sends the document request again (mode 0).
constexpr UINT ReloadDocumentCommand = 0x40;
constexpr UINT ReloadSeparatorId = 16;
// Modes 1 and 2, by resizable; mode 0 adds these bits to a document's own style.
constexpr DWORD ResizableStyle = 0x80CD0248;
constexpr DWORD FixedStyle = 0x80C80248;
constexpr DWORD DocumentStyleBits = 0x80000248;
constexpr DWORD ViewerExStyle = WS_EX_LAYERED | WS_EX_CONTROLPARENT;
constexpr DWORD GrowToFitStyle = WS_MAXIMIZEBOX | WS_THICKFRAME;
// Where an unexpected failure of the opening is reported from, by mode.
constexpr int OnlineOpenLocation = 359;
constexpr int PropertiesOpenLocation = 363;

constexpr unsigned OnlineMode = 0;
constexpr unsigned FileMode = 1;
constexpr unsigned PropertiesMode = 2;

unsigned ModeFor(const MString& documentPath, const MString& documentText)
{
    if (documentPath.IsEmpty())
        return PropertiesMode;
    return documentText.IsEmpty() ? FileMode : OnlineMode;
}

PageTrust TrustFor(unsigned mode)
{
    if (mode == OnlineMode)
        return PageTrust::Full;
    return mode == PropertiesMode ? PageTrust::LinksOnly : PageTrust::Nothing;
}

// Display parameters apply to a local file only when it is a page.
bool IsPageFile(const MString& path)
{
    const wchar_t* text = path.GetText();
    const wchar_t* dot = wcsrchr(text, L'.');
    const wchar_t* slash = wcsrchr(text, L'\\');
    if (!dot || (slash && slash > dot))
        return false;
    for (const wchar_t* extension : {L".htm", L".html", L".mht"})
        if (_wcsicmp(dot, extension) == 0)
            return true;
    return false;
}

RECT WorkAreaNear(POINT point)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info))
        return info.rcWork;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return work;
}

// The argument at position (counted from the first) when it has type; the
// dispatch arguments are stored last first.
const VARIANT* Argument(const DISPPARAMS& parameters, UINT position, VARTYPE type)
{
    if (!parameters.rgvarg || position >= parameters.cArgs)
        return nullptr;
    const VARIANT* argument = &parameters.rgvarg[parameters.cArgs - 1 - position];
    if (argument->vt == (type | VT_BYREF) && argument->pvarVal)
        argument = argument->pvarVal;
    return argument->vt == type ? argument : nullptr;
}
} // namespace

CBrowserDlg::CBrowserDlg(const POINT* anchor, const MString& documentPath, ViewerSlot viewerSlot,
                         const MString& documentText, const MString& title, HWND owner,
                         const MAtom<unsigned char>& authCode, MList<Content_propetrty>& properties)
    : m_viewerMutex(CreateMutexW(
          nullptr, TRUE,
          DialogMutexName(ModeFor(documentPath, documentText) == PropertiesMode ? L"CSlidePropsDlg"
                                                                                : L"VIEWER_CBrowserDlg")
              .GetText())),
      m_closeMessage(RegisterWindowMessageW(CloseDialogsMessageName)),
      m_viewerSlot(viewerSlot),
      m_documentText(documentText),
      m_owner(owner),
      m_errorCaption(ResId(IDS_PRODUCT_CAPTION)),
      m_icon(LoadProgramIcon()),
      m_anchor(anchor ? *anchor : POINT{0, 0}),
      m_documentPath(documentPath),
      m_authCode(authCode),
      m_mode(ModeFor(documentPath, documentText)),
      m_gate(TrustFor(m_mode)),
      m_properties(std::move(properties))
{
    m_display.title = title;
}

CBrowserDlg::~CBrowserDlg() = default;

const ATL::MessageMap<CBrowserDlg>& CBrowserDlg::GetMessageMap()
{
    using T = CBrowserDlg;
    static const ATL::MessageMap<T> map = ATL::MessageMap<T>()
                                              .Message(WM_INITDIALOG, &T::OnInitDialog)
                                              .Message(WM_DESTROY, &T::OnDestroy)
                                              .Message(WM_GETMINMAXINFO, &T::OnGetMinMaxInfo)
                                              .Message(WM_SIZE, &T::OnSize)
                                              .Message(WM_SIZING, &T::OnSizing)
                                              .Message(WM_HELP, &T::OnHelp)
                                              .Timer(FadeInTimerId, &T::OnFadeInTimer)
                                              .Timer(FadeOutTimerId, &T::OnFadeOutTimer)
                                              .Message(WM_SYSCOMMAND, &T::OnSysCommand)
                                              .Message(WM_ACTIVATE, &T::OnActivate)
                                              .Message(WM_RBUTTONUP, &T::OnRButtonUp)
                                              .Message(WM_CLOSE_REQUEST, &T::OnCloseRequest)
                                              .RegisteredMessage(&T::m_closeMessage, &T::OnCloseDialogs)
                                              .Message(WM_CLOSE, &T::OnClose)
                                              .Command(IDCANCEL, &T::OnCancel)
                                              .Command(IDOK, &T::OnSwallowCommand);
    return map;
}

// ---- Opening ----

LRESULT CBrowserDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_browserWindow = GetDlgItem(IDC_BROWSER);
    try
    {
        Open();
    }
    catch (const DocumentReadError& error)
    {
        ReportOpenFailure(error.Text());
    }
    catch (const QuilloryError& error)
    {
        ReportOpenFailure(OpenFailureText(&error));
    }
    catch (...)
    {
        ReportOpenFailure(OpenFailureText(nullptr));
    }
    return TRUE;
}

void CBrowserDlg::Open()
{
    m_viewerSlot.Set(m_hWnd);
    if (m_mode == OnlineMode)
    {
        HMENU menu = GetSystemMenu(FALSE);
        const MString reload{ResId(IDS_SYSMENU_RELOAD_PROPERTIES)};
        InsertMenuW(menu, SC_RESTORE, MF_BYCOMMAND | MF_STRING, ReloadDocumentCommand, reload.GetText());
        InsertMenuW(menu, SC_RESTORE, MF_BYCOMMAND | MF_SEPARATOR, ReloadSeparatorId, nullptr);
        DrawMenuBar(m_hWnd);
    }
    SetIcon(m_icon.Get(), FALSE);
    SetIcon(m_icon.Get(), TRUE);
    SetWindowContextHelpId(DialogHelpContext(IDD_BROWSER));
    ::SetWindowContextHelpId(m_browserWindow, DialogHelpContext(IDC_BROWSER));
    ModifyStyleEx(0, WS_EX_LAYERED);

    const DWORD maxTrackWidth = static_cast<DWORD>(GetSystemMetrics(SM_CXMAXTRACK));
    const DWORD maxTrackHeight = static_cast<DWORD>(GetSystemMetrics(SM_CYMAXTRACK));
    ReadDisplayParameters(maxTrackWidth, maxTrackHeight);

    DWORD style = m_display.resizable ? ResizableStyle : FixedStyle;
    DWORD exStyle = ViewerExStyle;
    if (m_mode == OnlineMode)
    {
        style = m_display.windowStyleValid ? (m_display.windowStyle | DocumentStyleBits) : FixedStyle;
        exStyle = (m_display.windowExStyleValid ? m_display.windowExStyle : 0) | ViewerExStyle;
    }
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(style));
    SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
    SetWindowText(m_display.title.GetText());
    PlaceWindow();

    m_contentFilter.Reset();
    IUnknown* control = nullptr;
    // A control that could not be made leaves the window empty: no page, no events.
    if (SUCCEEDED(ATL::AtlAxGetControl(m_browserWindow, &control)) && control)
    {
        if (FAILED(control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&m_browser))))
            m_browser = nullptr;
        DispEventAdvise(control, DIID_DWebBrowserEvents2);
        control->Release();
    }
    if (m_browser)
    {
        m_browser->put_RegisterAsDropTarget(VARIANT_FALSE);
        m_browser->put_RegisterAsBrowser(VARIANT_FALSE);
    }
    if (m_mode == PropertiesMode)
    {
        m_gate.DocumentRequested();
        LoadHtml(m_browser, BuildPropertiesPage(m_properties, CurrentPropertiesPageTexts(m_display.title)));
    }
    else
        SendDocumentRequest();

    m_fade.StartFadeIn();
}

void CBrowserDlg::ReadDisplayParameters(DWORD maxTrackWidth, DWORD maxTrackHeight)
{
    if (m_mode == PropertiesMode)
    {
        const MString caption{ResId(IDS_PRODUCT_CAPTION)};
        const MString properties{ResId(IDS_SLIDE_PROPERTIES)};
        m_display = DocumentDisplayParameters();
        m_display.title = MString(sX::Format(), L"%s - %s", properties.GetText(), caption.GetText());
        ReadSlidePropertiesWindowSize(m_display.openingWidth, m_display.openingHeight);
        m_display.minimalWidth = 200;
        m_display.minimalHeight = 100;
        m_display.maximalWidth = maxTrackWidth;
        m_display.maximalHeight = maxTrackHeight;
    }
    else
    {
        const MString text = m_mode == OnlineMode ? m_documentText : ReadUtf8TextFile(m_documentPath);
        if (m_mode == OnlineMode || IsPageFile(m_documentPath))
        {
            const DocumentViewMode view = m_mode == OnlineMode ? DocumentViewMode::OwnTitle : DocumentViewMode::SlideTitle;
            m_display = ApplyDisplayParameters(ExtractDisplayParameters(text), view, m_display.title, maxTrackWidth,
                                               maxTrackHeight);
        }
        if (m_display.title.IsEmpty())
            m_display.title = m_errorCaption;
    }
    ValidateViewerSizes(m_display, maxTrackWidth, maxTrackHeight);
}

void CBrowserDlg::PlaceWindow()
{
    const RECT work = WorkAreaNear(m_anchor);
    const DWORD style = static_cast<DWORD>(GetStyle());
    const DWORD exStyle = static_cast<DWORD>(GetExStyle());
    RECT outer = {0, 0, static_cast<LONG>(m_display.openingWidth), static_cast<LONG>(m_display.openingHeight)};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    m_frame = SIZE{(outer.right - outer.left) - static_cast<LONG>(m_display.openingWidth),
                   (outer.bottom - outer.top) - static_cast<LONG>(m_display.openingHeight)};
    const LONGLONG workWidth = work.right - work.left;
    const LONGLONG workHeight = work.bottom - work.top;
    LONGLONG outerWidth = outer.right - outer.left;
    LONGLONG outerHeight = outer.bottom - outer.top;
    if (outerWidth > workWidth || outerHeight > workHeight)
    {
        ModifyStyle(0, GrowToFitStyle);
        // Scaled by the smaller of the two ratios, kept exact until the end.
        if (workWidth * outerHeight <= workHeight * outerWidth)
        {
            m_display.openingWidth = static_cast<DWORD>(workWidth - m_frame.cx);
            m_display.openingHeight = static_cast<DWORD>((workWidth * outerHeight - m_frame.cy * outerWidth) / outerWidth);
        }
        else
        {
            m_display.openingWidth = static_cast<DWORD>((workHeight * outerWidth - m_frame.cx * outerHeight) / outerHeight);
            m_display.openingHeight = static_cast<DWORD>(workHeight - m_frame.cy);
        }
        outer = RECT{0, 0, static_cast<LONG>(m_display.openingWidth), static_cast<LONG>(m_display.openingHeight)};
        AdjustWindowRectEx(&outer, static_cast<DWORD>(GetStyle()), FALSE, exStyle);
        m_frame = SIZE{(outer.right - outer.left) - static_cast<LONG>(m_display.openingWidth),
                       (outer.bottom - outer.top) - static_cast<LONG>(m_display.openingHeight)};
        outerWidth = outer.right - outer.left;
        outerHeight = outer.bottom - outer.top;
    }
    const LONG width = static_cast<LONG>(outerWidth);
    const LONG height = static_cast<LONG>(outerHeight);
    RECT placed = {0, 0, width, height};
    bool besideOwner = false;
    if (m_mode == PropertiesMode && !IsAnyViewerOpen() && ::IsWindow(m_owner))
    {
        RECT owner;
        ::GetWindowRect(m_owner, &owner);
        besideOwner = PlaceRectNearPoint(POINT{owner.left, owner.top}, POINT{owner.left, owner.bottom - 1}, true, placed);
        if (!besideOwner)
        {
            placed = RECT{0, 0, width, height};
            besideOwner =
                PlaceRectNearPoint(POINT{owner.right, owner.top}, POINT{owner.right, owner.bottom - 1}, false, placed);
        }
        if (besideOwner)
            FitRectToMonitor(placed, true, true);
    }
    if (!besideOwner)
    {
        const LONG left = work.left + ((work.right - work.left) - width) / 2;
        const LONG top = work.top + ((work.bottom - work.top) - height) / 2;
        placed = RECT{left, top, left + width, top + height};
    }
    SetWindowPos(nullptr, placed.left, placed.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_FRAMECHANGED);
    RECT client;
    GetClientRect(&client);
    ::MoveWindow(m_browserWindow, 0, 0, client.right, client.bottom, TRUE);
}

void CBrowserDlg::SendDocumentRequest()
{
    if (!m_browser)
        return;
    m_gate.DocumentRequested();
    NavigateToDocument(m_browser, m_documentPath, m_authCode);
}

MString CBrowserDlg::OpenFailureText(const QuilloryError* error) const
{
    const MString location = MString(sX::Format(), L"E-%d.", m_mode == PropertiesMode ? PropertiesOpenLocation
                                                                                         : OnlineOpenLocation);
    const MString system = error ? FormatSystemError(error->SystemError()) : location;
    switch (m_mode)
    {
    case OnlineMode:
        return MString(sX::Format(), IDS_ONLINE_DOCUMENT_FAILED, system.GetText());
    case FileMode:
        return error ? MString(sX::Format(), IDS_DOCUMENT_UNREADABLE, m_documentPath.GetText(), system.GetText())
                     : MString(sX::Format(), IDS_DOCUMENT_FAILED, m_documentPath.GetText());
    default:
        return MString(sX::Format(), IDS_SLIDE_PROPERTIES_FAILED, system.GetText());
    }
}

void CBrowserDlg::ReportOpenFailure(const MString& text)
{
    MessageBoxW(GetDesktopWindow(), text.GetText(), m_errorCaption.GetText(), MB_ICONERROR);
    CloseNow(1);
}

// ---- The browser's events ----

HRESULT CBrowserDlg::OnDispEvent(DISPID dispid, DISPPARAMS& parameters)
{
    switch (dispid)
    {
    case DISPID_NAVIGATECOMPLETE2:
        m_contentFilter.Install(m_hWnd);
        return S_OK;
    case DISPID_DOCUMENTCOMPLETE:
        m_contentFilter.Install(m_hWnd);
        m_gate.DocumentCompleted();
        return S_OK;
    case DISPID_TITLECHANGE:
        if (parameters.cArgs != 1)
            return DISP_E_BADPARAMCOUNT;
        if (const VARIANT* title = Argument(parameters, 0, VT_BSTR))
        {
            OnTitleChange(MString(title->bstrVal ? title->bstrVal : L""));
            return S_OK;
        }
        return DISP_E_TYPEMISMATCH;
    default:
        // The other events of the interface are taken and ignored.
        return S_OK;
    }
}

void CBrowserDlg::OnTitleChange(const MString& title)
{
    PageCommandParameters parameters;
    const PageCommand command = m_gate.Accept(title, parameters);
    if (command != PageCommand::None)
        ObeyPageCommand(command, parameters, m_hWnd, m_fullScreen, [this] { CloseWithFade(); });
}

// ---- Window ----

LRESULT CBrowserDlg::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (!info || m_fullScreen.IsMoving() || m_display.openingWidth == 0)
        return 0;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    RECT monitorRect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTONEAREST), &monitor))
        monitorRect = monitor.rcMonitor;
    ViewerMinMaxInfo(m_display, m_frame, SIZE{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)},
                     monitorRect, *info);
    return 0;
}

LRESULT CBrowserDlg::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    RECT client;
    GetClientRect(&client);
    ::MoveWindow(m_browserWindow, 0, 0, client.right, client.bottom, TRUE);
    return 0;
}

LRESULT CBrowserDlg::OnSizing(UINT, WPARAM edge, LPARAM lParam, BOOL&)
{
    auto* rect = reinterpret_cast<RECT*>(lParam);
    if (rect && m_display.constantAspect && m_display.openingWidth && m_display.openingHeight)
        ConstantAspectSizing(m_display, m_frame, edge, *rect);
    return TRUE;
}

LRESULT CBrowserDlg::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (const auto* info = reinterpret_cast<const HELPINFO*>(lParam))
        ShowHelpContext(static_cast<int>(info->dwContextId));
    return 0;
}

LRESULT CBrowserDlg::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if ((wParam & 0xFFF0) == ReloadDocumentCommand)
    {
        // A reload that cannot be built leaves the viewer open with its page.
        try
        {
            SendDocumentRequest();
        }
        catch (const QuilloryError& error)
        {
            MessageBoxW(m_hWnd, OpenFailureText(&error).GetText(), m_errorCaption.GetText(), MB_ICONERROR);
        }
    }
    handled = FALSE;
    return 0;
}

LRESULT CBrowserDlg::OnActivate(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (m_mode != PropertiesMode)
        ReportDeactivation(m_hWnd, m_owner, wParam, lParam, m_fade.IsClosing());
    return 0;
}

// ---- Closing ----

LRESULT CBrowserDlg::OnFadeInTimer(UINT_PTR, BOOL&)
{
    m_fade.FadeInStep();
    return 0;
}

LRESULT CBrowserDlg::OnFadeOutTimer(UINT_PTR, BOOL&)
{
    if (m_fade.FadeOutStep())
        CloseNow(1);
    return 0;
}

void CBrowserDlg::CloseWithFade()
{
    if (m_mode == PropertiesMode)
    {
        ::PostMessageW(m_owner, WM_CLOSE_SLIDE_PROPERTIES, 0, 0);
        return;
    }
    if (!m_fade.StartFadeOut())
        CloseNow(1);
}

void CBrowserDlg::CloseNow(INT_PTR result)
{
    if (m_mode == PropertiesMode)
    {
        ::PostMessageW(m_owner, WM_CLOSE_SLIDE_PROPERTIES, 0, 0);
        return;
    }
    m_fade.MarkClosing();
    EndDialog(result);
}

LRESULT CBrowserDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&)
{
    CloseWithFade();
    return 0;
}

LRESULT CBrowserDlg::OnCancel(WORD, WORD, HWND, BOOL&)
{
    CloseWithFade();
    return 0;
}

LRESULT CBrowserDlg::OnCloseRequest(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    AnswerCloseRequest(
        m_hWnd, wParam, lParam, [this](INT_PTR result) { CloseNow(result); }, [this] { CloseWithFade(); });
    return 0;
}

LRESULT CBrowserDlg::OnCloseDialogs(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (m_mode != PropertiesMode && DialogCloseToken.Matches(wParam, lParam))
    {
        m_fade.MarkClosing();
        EndDialog(0);
    }
    return 0;
}

LRESULT CBrowserDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    m_fade.KillTimers();
    DispEventUnadvise();
    m_contentFilter.Reset();
    if (m_browser)
    {
        m_browser->Release();
        m_browser = nullptr;
    }
    m_viewerSlot.Set(nullptr);
    if (m_mode == PropertiesMode)
        SaveSlidePropertiesWindowSize(m_hWnd);
    return 0;
}

bool IsAnyViewerOpen()
{
    for (const wchar_t* key :
         {L"VIEWER_CShowLargePhotoDlg", L"VIEWER_CMediaPlayer2Dlg", L"VIEWER_CRichTextDlg", L"VIEWER_CBrowserDlg"})
    {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, DialogMutexName(key).GetText());
        if (mutex)
        {
            CloseHandle(mutex);
            return true;
        }
    }
    return false;
}
