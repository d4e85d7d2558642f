#include "core/WaitDlg.h"

#include "core/HelpContexts.h"
#include "core/MessageBox.h"

namespace
{
const UINT_PTR ElapsedTimer = 113;
const UINT ElapsedInterval = 1000;
const unsigned WaitIcon = 100;

HICON LoadWaitIcon()
{
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(WaitIcon), IMAGE_ICON, 32, 32, 0));
}
}

CWaitDlg::CWaitDlg(POINT point, const MStringEx<wchar_t>& message, IDo_work* steps)
    : m_icon(LoadWaitIcon()), m_caption(ResId(IDS_PRODUCT_CAPTION)), m_savedCursor(GetCursor()), m_message(message),
      m_showMessage(true), m_startTick(GetTickCount()), m_placeAtPoint(true), m_point(point), m_steps(steps)
{
}

CWaitDlg::CWaitDlg(HANDLE worker)
    : m_worker(worker), m_icon(LoadWaitIcon()), m_caption(ResId(IDS_PRODUCT_CAPTION)), m_savedCursor(GetCursor()),
      m_showMessage(false), m_startTick(GetTickCount()), m_placeAtPoint(false), m_point{0, 0}, m_steps(nullptr)
{
}

CWaitDlg::CWaitDlg(const MStringEx<wchar_t>& message)
    : m_icon(LoadWaitIcon()), m_caption(ResId(IDS_PRODUCT_CAPTION)), m_savedCursor(GetCursor()), m_message(message),
      m_showMessage(true), m_startTick(GetTickCount()), m_placeAtPoint(false), m_point{0, 0}, m_steps(nullptr)
{
}

// The worker's handle is forgotten, not closed: it belongs to the owner.
CWaitDlg::~CWaitDlg() { m_worker.Reset(); }

const ATL::MessageMap<CWaitDlg>& CWaitDlg::GetMessageMap()
{
    static const ATL::MessageMap<CWaitDlg> map = ATL::MessageMap<CWaitDlg>()
        .Message(WM_INITDIALOG, &CWaitDlg::OnInitDialog)
        .Command(IDOK, 0, &CWaitDlg::OnSwallowCommand)
        .Command(IDCANCEL, 0, &CWaitDlg::OnSwallowCommand)
        .Message(WM_CLOSE, &CWaitDlg::OnClose)
        .Message(WM_SHOWWINDOW, &CWaitDlg::OnShowWindow)
        .Message(WM_SETCURSOR, &CWaitDlg::OnSetCursor)
        .Message(WM_CTLCOLORDLG, &CWaitDlg::OnCtlColorDlg)
        .Message(WM_CTLCOLORSTATIC, &CWaitDlg::OnCtlColorStatic)
        .Message(WM_DESTROY, &CWaitDlg::OnDestroy)
        .Timer(ElapsedTimer, &CWaitDlg::OnElapsedTimer)
        .Message(WaitDlgAsk, &CWaitDlg::OnAsk)
        .Message(WaitDlgEnd, &CWaitDlg::OnEnd)
        .Message(WaitDlgNextStep, &CWaitDlg::OnNextStep);
    return map;
}

LRESULT CWaitDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    // Template 105 hosts no ActiveX controls: nothing to create first.
    SetWindowContextHelpId(DialogHelpContext(IDD_WAIT));
    m_iconControl = GetDlgItem(IDC_WAIT_ICON);
    m_elapsedText = GetDlgItem(IDC_WAIT_ELAPSED);
    m_messageText = GetDlgItem(IDC_WAIT_MESSAGE);
    m_cancelButton = GetDlgItem(IDC_WAIT_CANCEL);
    ::SetWindowContextHelpId(m_iconControl, WaitIconHelpContext);
    ::SetWindowContextHelpId(m_elapsedText, WaitElapsedHelpContext);
    ::SetWindowContextHelpId(m_messageText, WaitMessageHelpContext);
    ::SetWindowContextHelpId(m_cancelButton, WaitCancelHelpContext);
    ::SendMessageW(m_iconControl, STM_SETICON, reinterpret_cast<WPARAM>(m_icon.Get()), 0);

    ::ShowWindow(m_cancelButton, SW_HIDE);
    if (m_message.IsEmpty())
    {
        if (!m_showMessage)
            ::ShowWindow(m_messageText, SW_HIDE);
        CenterWindowOnParent(m_hWnd);
    }
    else
    {
        ::SetWindowTextW(m_messageText, m_message.GetText());
        ModifyStyle(WS_VISIBLE, 0);
        ModifyStyleEx(WS_EX_APPWINDOW, 0);
        SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        if (m_placeAtPoint)
            PlaceAtPoint(m_point, false);
    }
    ApplyDerivedWindowFont(m_elapsedFont, m_elapsedText, 5, 700, true, false);
    m_timerId = SetTimer(ElapsedTimer, ElapsedInterval);
    WriteElapsed();
    return TRUE;
}

void CWaitDlg::PlaceAtPoint(POINT point, bool repaint)
{
    CRect window;
    GetWindowRect(&window);
    const LONG width = window.Width();
    const LONG height = window.Height();
    CRect placed(point.x - width / 2, point.y - height / 2, point.x - width / 2 + width,
                 point.y - height / 2 + height);
    FitRectToMonitor(placed, true, true);
    MoveWindow(placed.left, placed.top, width, height, repaint);
}

void CWaitDlg::WriteElapsed()
{
    const DWORD seconds = (GetTickCount() - m_startTick) / 1000 + 1;
    const MStringEx<wchar_t> label{ResId(IDS_WAIT_ELAPSED)};
    const MStringEx<wchar_t> number(true, static_cast<unsigned __int64>(seconds));
    ::SetWindowTextW(m_elapsedText,
                     MStringEx<wchar_t>(sX::Format(), L"%s %s", label.GetText(), number.GetText()).GetText());
}

LRESULT CWaitDlg::OnShowWindow(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (wParam && m_worker.IsValid())
        ResumeThread(m_worker);
    if (StepsPending())
        PostMessage(WaitDlgNextStep);
    handled = FALSE;
    return 0;
}

LRESULT CWaitDlg::OnSetCursor(UINT, WPARAM, LPARAM, BOOL&)
{
    SetCursor(IsIconic() ? m_savedCursor : LoadCursorW(nullptr, IDC_WAIT));
    return TRUE;
}

LRESULT CWaitDlg::OnCtlColorDlg(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (!m_showMessage)
    {
        handled = FALSE;
        return 0;
    }
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

LRESULT CWaitDlg::OnCtlColorStatic(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (!m_showMessage)
    {
        handled = FALSE;
        return 0;
    }
    SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

LRESULT CWaitDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    m_elapsedFont.Restore();
    if (m_timerId)
    {
        KillTimer(m_timerId);
        m_timerId = 0;
    }
    handled = FALSE;
    return 0;
}

LRESULT CWaitDlg::OnElapsedTimer(UINT_PTR id, BOOL& handled)
{
    if (id != m_timerId)
    {
        handled = FALSE;
        return 0;
    }
    WriteElapsed();
    return 0;
}

LRESULT CWaitDlg::OnAsk(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const bool timerWasRunning = m_timerId != 0;
    if (timerWasRunning)
    {
        KillTimer(m_timerId);
        m_timerId = 0;
    }
    const MStringEx<wchar_t> question(sX::Format(), IDS_WAIT_QUESTION, reinterpret_cast<const wchar_t*>(wParam));
    const int answer = LocalizedMessageBox(m_hWnd, question.GetText(), m_caption.GetText(), static_cast<UINT>(lParam));
    if (timerWasRunning)
        m_timerId = SetTimer(ElapsedTimer, ElapsedInterval);
    return answer;
}

LRESULT CWaitDlg::OnEnd(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (StepsPending())
    {
        m_endRequested = true;
        m_endResult = static_cast<INT_PTR>(wParam);
    }
    else
        EndDialog(static_cast<INT_PTR>(wParam));
    return 0;
}

LRESULT CWaitDlg::OnNextStep(UINT, WPARAM, LPARAM, BOOL&)
{
    WriteElapsed();
    if (m_steps && m_steps->Step())
        PostMessage(WaitDlgNextStep);
    else if (m_endRequested)
        EndDialog(m_endResult);
    return 0;
}
