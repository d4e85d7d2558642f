#include "viewers/ShowLargePhotoDlg.h"

#include "foundation/Sync.h"
#include "core/CrashReport.h"
#include "core/Help.h"
#include "core/HelpContexts.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "core/ThreadCounter.h"
#include "viewers/LargePhotoCard.h"
#include "viewers/ViewerWindow.h"

#include <windowsx.h>

#include <cpuid.h>

#include <algorithm>
#include <vector>

namespace
{
// The system's shared cursors need no keeping or freeing.
HCURSOR SystemCursor(const wchar_t* id) { return LoadCursorW(nullptr, id); }

constexpr UINT_PTR WheelTimerId = 107;
constexpr UINT WheelInterval = 100;

// The keyboard hook of the one photo viewer of the process.
HHOOK g_keyboardHook = nullptr;
HWND g_hookViewer = nullptr;

LRESULT CALLBACK ViewerKeyboardHook(int code, WPARAM key, LPARAM lParam)
{
    if (code >= 0 && (lParam & 0x80000000) == 0 && g_hookViewer)
    {
        switch (key)
        {
        case VK_END:
        case VK_HOME:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_OEM_PLUS:
        case VK_OEM_MINUS:
        case VK_ADD:
        case VK_SUBTRACT:
        case VK_NUMPAD2:
        case VK_NUMPAD4:
        case VK_NUMPAD6:
        case VK_NUMPAD8:
            SendMessageW(g_hookViewer, WM_VIEWER_KEY, key, lParam);
            break;
        default:
            break;
        }
    }
    return CallNextHookEx(g_keyboardHook, code, key, lParam);
}

bool KeyDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

bool RunsUnderHypervisor()
{
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return false;
    return (ecx & 0x80000000u) != 0;
}

POINT CursorPosition()
{
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    return cursor;
}

RECT WorkAreaNear(const ViewerDesktop& desktop, POINT point)
{
    RECT work = {0, 0, 0, 0};
    desktop.GetWorkArea(desktop.FromPoint(point, MONITOR_DEFAULTTONEAREST), work);
    return work;
}

MStringEx<wchar_t> WindowTitle(const MStringEx<wchar_t>& title, const MStringEx<wchar_t>& caption)
{
    if (title.IsEmpty())
        return caption;
    return MStringEx<wchar_t>(sX::Format(), L"%s - %s", title.GetText(), caption.GetText());
}
}

CShowLargePhotoDlg_Parent::CShowLargePhotoDlg_Parent(POINT anchor, bool captionWanted,
                                                     const MStringEx<wchar_t>& title,
                                                     const MStringEx<wchar_t>& description, Gdiplus::Bitmap* picture,
                                                     bool fixedView, bool advertsOff,
                                                     Overlay_Adverts* advertSource,
                                                     OverlayAdvertContext* advertContext, HWND controller)
    : m_viewerMutex(CreateMutexW(nullptr, TRUE, DialogMutexName(L"VIEWER_CShowLargePhotoDlg").GetText()))
{
    if (!picture || picture->GetWidth() == 0 || picture->GetHeight() == 0)
        throw MSmartPtrError();
    const RECT work = WorkAreaNear(SystemViewerDesktop(), anchor);
    const double fit = FitZoom(work, picture->GetWidth(), picture->GetHeight()).ToDouble();
    const bool titleCard = captionWanted && !title.IsEmpty() && !description.IsEmpty() && !fixedView;
    OverlayAdvertTexts texts;
    const bool advertPlaced = !fixedView && !advertsOff && advertSource && advertContext &&
                              PickOverlayAdvertForViewer(*advertSource, *advertContext, texts);
    const ViewerCardAdvert advert{texts.key, texts.advertClass, texts.content};
    m_composedPicture =
        ComposeViewerPicture(*picture, fit, titleCard, title, description, advertPlaced ? &advert : nullptr);
    if (!m_composedPicture)
        throw MSmartPtrError();
    if (advertPlaced)
    {
        m_advertSource = advertSource;
        ::PostMessageW(controller, WM_OVERLAY_ADVERT_PLACED, 0, 0);
    }
}

CShowLargePhotoDlg_Parent::~CShowLargePhotoDlg_Parent()
{
    if (m_advertSource)
        NoteOverlayViewerClosed(*m_advertSource, SecondsSince1970());
}

CShowLargePhotoDlg::CShowLargePhotoDlg(POINT anchor, bool captionWanted, MStringEx<wchar_t> title,
                                       MStringEx<wchar_t> description, Gdiplus::Bitmap* picture,
                                       ViewerSlot ownerSlot, HWND owner, bool fixedView, bool advertsOff,
                                       Overlay_Adverts* advertSource, OverlayAdvertContext* advertContext,
                                       HWND controller)
    : CShowLargePhotoDlg_Parent(anchor, captionWanted, title, description, picture, fixedView, advertsOff,
                                advertSource, advertContext, controller),
      m_caption(ResId(IDS_PRODUCT_CAPTION)),
      m_icon(LoadProgramIcon()),
      m_windowTitle(WindowTitle(title, m_caption)),
      m_closeMessage(RegisterWindowMessageW(CloseDialogsMessageName)),
      m_ownerSlot(ownerSlot),
      m_owner(owner),
      m_fixedView(fixedView),
      m_anchor(anchor),
      m_handOver(CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      m_pictureWidth(m_composedPicture->GetWidth()),
      m_pictureHeight(m_composedPicture->GetHeight()),
      m_picture(m_composedPicture.get()),
      m_desktop(&SystemViewerDesktop())
{
}

CShowLargePhotoDlg::~CShowLargePhotoDlg() = default;

const ATL::MessageMap<CShowLargePhotoDlg>& CShowLargePhotoDlg::GetMessageMap()
{
    using T = CShowLargePhotoDlg;
    static const ATL::MessageMap<T> map = ATL::MessageMap<T>()
                                              .Message(WM_INITDIALOG, &T::OnInitDialog)
                                              .Timer(FadeInTimerId, &T::OnFadeInTimer)
                                              .Timer(FadeOutTimerId, &T::OnFadeOutTimer)
                                              .Timer(WheelTimerId, &T::OnWheelTimer)
                                              .Message(WM_PAINT, &T::OnPaint)
                                              .Message(WM_ERASEBKGND, &T::OnEraseBackground)
                                              .Message(WM_LBUTTONDOWN, &T::OnLButtonDown)
                                              .Message(WM_MOUSEMOVE, &T::OnMouseMove)
                                              .Message(WM_LBUTTONUP, &T::OnLButtonUp)
                                              .Message(WM_CAPTURECHANGED, &T::OnCaptureChanged)
                                              .Message(WM_MOUSEWHEEL, &T::OnMouseWheel)
                                              .Message(WM_RBUTTONDOWN, &T::OnRButtonDown)
                                              .Message(WM_RBUTTONUP, &T::OnRButtonUp)
                                              .Message(WM_SETCURSOR, &T::OnSetCursor)
                                              .Message(WM_HELP, &T::OnHelp)
                                              .Message(WM_ACTIVATE, &T::OnActivate)
                                              .Command(IDOK, &T::OnOk)
                                              .Command(IDCANCEL, &T::OnCancel)
                                              .Message(WM_CLOSE_REQUEST, &T::OnCloseRequest)
                                              .Message(WM_SCALED_IMAGE, &T::OnScaledImage)
                                              .Message(WM_VIEWER_KEY, &T::OnViewerKey)
                                              .RegisteredMessage(&T::m_closeMessage, &T::OnCloseDialogs)
                                              .Message(WM_DESTROY, &T::OnDestroy);
    return map;
}

SIZE CShowLargePhotoDlg::ScaledPictureSize() const
{
    if (!m_scaledPicture)
        return SIZE{0, 0};
    return SIZE{static_cast<LONG>(m_scaledPicture->GetWidth()), static_cast<LONG>(m_scaledPicture->GetHeight())};
}

// ---- Opening and closing ----

LRESULT CShowLargePhotoDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_ownerSlot.Set(m_hWnd);
    SetWindowContextHelpId(DialogHelpContext(IDD_LARGE_PHOTO));
    ModifyStyleEx(0, WS_EX_LAYERED);
    g_hookViewer = m_hWnd;
    g_keyboardHook = SetWindowsHookExW(WH_KEYBOARD, ViewerKeyboardHook, nullptr, GetCurrentThreadId());

    SetIcon(m_icon.Get(), TRUE);
    SetIcon(m_icon.Get(), FALSE);
    SetWindowText(m_windowTitle.GetText());
    m_zoomByWheel = false;
    m_fade.SetAlpha(0);

    RECT work;
    const Rational fit = FitZoomToWorkArea(work);
    m_containerRect = Calculate_Container_Window_Size(true, fit + m_zoom.Offset(), work);

    SetCursor(SystemCursor(IDC_WAIT));
    if (ScaleImageThreadProc(this) != 0)
    {
        // The failure's own message is still queued; this box says it.
        MSG failed;
        PeekMessageW(&failed, m_hWnd, WM_SCALED_IMAGE, WM_SCALED_IMAGE, PM_REMOVE);
        MessageBoxW(GetDesktopWindow(), MStringEx<wchar_t>(ResId(IDS_PHOTO_SCALING_FAILED)).GetText(),
                    m_caption.GetText(), MB_ICONERROR);
        CloseAtOnce(1);
        return TRUE;
    }
    if (RunsUnderHypervisor())
        m_fade.SetAlpha(255);
    else
        m_fade.StartFadeIn();
    return TRUE;
}

LRESULT CShowLargePhotoDlg::OnFadeInTimer(UINT_PTR, BOOL&)
{
    if (m_fade.YieldToFadeOut())
        return 0;
    SemaphoreGuard busy(m_busyLock, SemaphoreGuard::Take::Try);
    if (busy.IsHeld())
        m_fade.FadeInStep();
    return 0;
}

LRESULT CShowLargePhotoDlg::OnFadeOutTimer(UINT_PTR, BOOL&)
{
    if (m_fade.FadeOutStep())
        CloseAtOnce(1);
    return 0;
}

void CShowLargePhotoDlg::StartCloseFade()
{
    if (!m_fade.StartFadeOut())
        CloseAtOnce(1);
}

void CShowLargePhotoDlg::WaitForHandOver()
{
    if (m_handOver.IsValid())
        WaitForSingleObject(m_handOver, INFINITE);
}

void CShowLargePhotoDlg::CloseAtOnce(INT_PTR result)
{
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    // A worker that has not yet taken the busy lock must not find the dialog
    // gone.
    WaitForHandOver();
    m_fade.MarkClosing();
    EndDialog(result);
}

LRESULT CShowLargePhotoDlg::OnCancel(WORD, WORD, HWND, BOOL&)
{
    StartCloseFade();
    return 0;
}

LRESULT CShowLargePhotoDlg::OnCloseRequest(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    AnswerCloseRequest(
        m_hWnd, wParam, lParam, [this](INT_PTR result) { CloseAtOnce(result); }, [this] { StartCloseFade(); });
    return 0;
}

LRESULT CShowLargePhotoDlg::OnCloseDialogs(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (DialogCloseToken.Matches(wParam, lParam))
        CloseAtOnce(0);
    return 0;
}

LRESULT CShowLargePhotoDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    m_fade.KillTimers();
    if (m_wheelTimer)
    {
        KillTimer(m_wheelTimer);
        m_wheelTimer = 0;
    }
    SemaphoreGuard busy(m_busyLock, SemaphoreGuard::Take::Wait);
    m_ownerSlot.Set(nullptr);
    if (g_keyboardHook)
    {
        UnhookWindowsHookEx(g_keyboardHook);
        g_keyboardHook = nullptr;
    }
    g_hookViewer = nullptr;
    // A scaled picture posted after the dialog ended would be lost with the
    // queue: it is taken back here.
    DrainPayloadMessages(m_hWnd, {{WM_SCALED_IMAGE, [](WPARAM wParam, LPARAM) { TakeScaledImage(wParam); }}});
    return 0;
}

// ---- Mouse, keys and activation ----

LRESULT CShowLargePhotoDlg::OnLButtonDown(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (wParam & MK_CONTROL)
    {
        POINT clicked{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(m_hWnd, &clicked);
        if (!m_fixedView)
            ResetZoom((wParam & MK_SHIFT) != 0, clicked);
        return 0;
    }
    SemaphoreGuard busy(m_busyLock, SemaphoreGuard::Take::Try);
    if (busy.IsHeld())
    {
        m_dragPoint = CursorPosition();
        SetCapture(m_hWnd);
        SetCursor(SystemCursor(IDC_SIZEALL));
    }
    return 0;
}

LRESULT CShowLargePhotoDlg::OnMouseMove(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (GetCapture() != m_hWnd || !(wParam & MK_LBUTTON))
        return 0;
    const POINT now = CursorPosition();
    RECT window;
    GetWindowRect(&window);
    MoveWindow(window.left + now.x - m_dragPoint.x, window.top + now.y - m_dragPoint.y, window.right - window.left,
               window.bottom - window.top, TRUE);
    InvalidateRect(m_hWnd, nullptr, FALSE);
    m_dragPoint = now;
    return 0;
}

LRESULT CShowLargePhotoDlg::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&)
{
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    return 0;
}

LRESULT CShowLargePhotoDlg::OnCaptureChanged(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (reinterpret_cast<HWND>(lParam) != m_hWnd)
        SetCursor(SystemCursor(IDC_ARROW));
    return 0;
}

LRESULT CShowLargePhotoDlg::OnMouseWheel(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (m_fixedView)
        return 0;
    const WORD keys = GET_KEYSTATE_WPARAM(wParam);
    const unsigned step =
        ZoomStepPixels(KeyDown(VK_MENU), (keys & MK_CONTROL) != 0, (keys & MK_SHIFT) != 0);
    RequestZoom(GET_WHEEL_DELTA_WPARAM(wParam), step, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return 0;
}

LRESULT CShowLargePhotoDlg::OnRButtonDown(UINT, WPARAM, LPARAM, BOOL&)
{
    m_rightButtonDown = true;
    return 0;
}

LRESULT CShowLargePhotoDlg::OnRButtonUp(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_rightButtonDown)
        StartCloseFade();
    m_rightButtonDown = false;
    return 0;
}

LRESULT CShowLargePhotoDlg::OnSetCursor(UINT, WPARAM, LPARAM, BOOL&)
{
    SemaphoreGuard busy(m_busyLock, SemaphoreGuard::Take::Try);
    SetCursor(busy.IsHeld() ? SystemCursor(IDC_ARROW) : SystemCursor(IDC_WAIT));
    return 0;
}

LRESULT CShowLargePhotoDlg::OnHelp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (const auto* info = reinterpret_cast<const HELPINFO*>(lParam))
        ShowHelpContext(static_cast<int>(info->dwContextId));
    return TRUE;
}

LRESULT CShowLargePhotoDlg::OnActivate(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ReportDeactivation(m_hWnd, m_owner, wParam, lParam, m_fade.IsClosing());
    return 0;
}

LRESULT CShowLargePhotoDlg::OnViewerKey(UINT, WPARAM key, LPARAM, BOOL&)
{
    const unsigned step = ZoomStepPixels(KeyDown(VK_MENU), KeyDown(VK_CONTROL), KeyDown(VK_SHIFT));
    switch (key)
    {
    case VK_HOME:
    case VK_END:
        if (!m_fixedView)
        {
            RECT window;
            GetWindowRect(&window);
            ResetZoom(key == VK_HOME, POINT{(window.left + window.right) / 2, (window.top + window.bottom) / 2});
        }
        break;
    case VK_ADD:
    case VK_OEM_PLUS:
        if (!m_fixedView)
            RequestZoom(WHEEL_DELTA, step, CursorPosition());
        break;
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
        if (!m_fixedView)
            RequestZoom(-WHEEL_DELTA, step, CursorPosition());
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        MoveByArrow(static_cast<UINT>(key));
        break;
    default:
        // The keypad's 2, 4, 6 and 8 reach here like arrows but move nothing.
        break;
    }
    return 0;
}

void CShowLargePhotoDlg::MoveByArrow(UINT key)
{
    if (GetCapture() == m_hWnd)
        return;
    RECT window;
    GetWindowRect(&window);
    const unsigned step = ZoomStepPixels(KeyDown(VK_MENU), KeyDown(VK_CONTROL), KeyDown(VK_SHIFT));
    const CRect moved = ArrowMoveRect(*m_desktop, window, key, static_cast<LONG>(step));
    MoveWindow(moved.left, moved.top, moved.Width(), moved.Height(), TRUE);
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

// ---- Zoom ----

void CShowLargePhotoDlg::RequestZoom(int wheelDelta, unsigned step, POINT anchor)
{
    const Rational change = ZoomChange(wheelDelta, step, m_pictureWidth, m_pictureHeight);
    m_zoomByWheel = true;
    m_anchor = anchor;
    // Every notch restarts the timer: notches that come close together are
    // scaled once.
    m_wheelTimer = SetTimer(WheelTimerId, WheelInterval);
    if (m_wheelTimer)
    {
        m_zoom.AddPending(change);
        return;
    }
    SemaphoreGuard busy(m_busyLock, SemaphoreGuard::Take::Try);
    if (!busy.IsHeld())
        return;
    m_zoom.AddPending(change);
    ApplyZoom(false);
    busy.Release();
    WaitForHandOver();
}

LRESULT CShowLargePhotoDlg::OnWheelTimer(UINT_PTR, BOOL&)
{
    SemaphoreGuard busy(m_busyLock, SemaphoreGuard::Take::Try);
    if (!busy.IsHeld())
        return 0;
    KillTimer(WheelTimerId);
    m_wheelTimer = 0;
    ApplyZoom(false);
    busy.Release();
    WaitForHandOver();
    return 0;
}

void CShowLargePhotoDlg::ResetZoom(bool actualSize, POINT anchor)
{
    m_zoomByWheel = false;
    m_anchor = anchor;
    if (m_wheelTimer)
    {
        KillTimer(WheelTimerId);
        m_wheelTimer = 0;
    }
    SemaphoreGuard busy(m_busyLock, SemaphoreGuard::Take::Wait);
    m_zoom.Reset(actualSize);
    ApplyZoom(true);
    busy.Release();
    WaitForHandOver();
}

Rational CShowLargePhotoDlg::FitZoomToWorkArea(RECT& work) const
{
    work = WorkAreaNear(*m_desktop, m_anchor);
    if (Rational(0) > m_zoom.Pending())
        work = InsetWorkArea(work);
    return FitZoom(work, m_pictureWidth, m_pictureHeight);
}

void CShowLargePhotoDlg::ApplyZoom(bool reset)
{
    RECT work;
    const Rational fit = FitZoomToWorkArea(work);
    const Rational scale = m_zoom.Apply(fit, reset);
    if (m_fade.IsClosing())
        return;
    SetCursor(SystemCursor(IDC_WAIT));
    m_containerRect = Calculate_Container_Window_Size(reset, scale, work);
    ResetEvent(m_handOver);
    if (!StartCountedThread(ScaleImageThreadProc, this).IsValid())
        SetEvent(m_handOver);
}

CRect CShowLargePhotoDlg::Calculate_Container_Window_Size(bool centred, const Rational& scale, const RECT& work)
{
    m_targetSize = ScaledSize(scale, m_pictureWidth, m_pictureHeight);
    RECT frame{0, 0, m_targetSize.cx, m_targetSize.cy};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetStyle()), FALSE, static_cast<DWORD>(GetExStyle()));
    RECT current;
    GetWindowRect(&current);
    return ContainerWindowRect(*m_desktop, centred, frame.right - frame.left, frame.bottom - frame.top, work,
                               current, CursorPosition());
}

// ---- Scaling ----

DWORD WINAPI CShowLargePhotoDlg::ScaleImageThreadProc(void* parameter)
{
    auto* viewer = static_cast<CShowLargePhotoDlg*>(parameter);
    return NoThrow<DWORD>(1, [viewer]() -> DWORD {
        try
        {
            return viewer->Scale() ? 0 : 1;
        }
        catch (...)
        {
            // Without the hand-over the thread that started this one would
            // wait for ever.
            SetEvent(viewer->m_handOver);
            throw;
        }
    });
}

bool CShowLargePhotoDlg::Scale()
{
    SemaphoreGuard busy(m_busyLock, SemaphoreGuard::Take::Wait);
    SetEvent(m_handOver);
    ImageScaler::Failure failure = ImageScaler::NoBitmap;
    std::unique_ptr<Gdiplus::Bitmap> scaled = m_scaler.Scale(*m_picture, m_targetSize, failure);
    if (scaled)
    {
        PostScaledImage(m_hWnd, std::move(scaled));
        m_zoom.MarkShown();
        return true;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    ::PostMessageW(m_hWnd, WM_SCALED_IMAGE, 0, m_zoomByWheel ? 1 : 0);
    m_zoom.FallBack();
    return false;
}

void CShowLargePhotoDlg::DrawScaled(HDC dc, int dx, int dy, int sx, int sy, int width, int height)
{
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(m_scaledPicture.get(), dx, dy, sx, sy, width, height, Gdiplus::UnitPixel);
}

LRESULT CShowLargePhotoDlg::OnScaledImage(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    std::unique_ptr<Gdiplus::Bitmap> scaled = TakeScaledImage(wParam);
    if (!scaled)
    {
        SetCursor(SystemCursor(IDC_ARROW));
        if (lParam == 0)
            MessageBoxW(GetDesktopWindow(), MStringEx<wchar_t>(ResId(IDS_PHOTO_SCALING_FAILED)).GetText(),
                        m_caption.GetText(), MB_ICONERROR);
        return 0;
    }
    m_scaledPicture = std::move(scaled);
    Gdiplus::Bitmap* bitmap = m_scaledPicture.get();
    CRect target = m_containerRect;
    if (!m_desktop->FromRect(target, MONITOR_DEFAULTTONULL))
        CenterRectOnPrimaryMonitor(target);
    RECT current;
    GetWindowRect(&current);
    const int width = static_cast<int>(bitmap->GetWidth());
    const int height = static_cast<int>(bitmap->GetHeight());
    // The new picture is drawn first where it will be after the move, so
    // that the window does not show a jump.
    if (HDC dc = GetDC(m_hWnd))
    {
        DrawScaled(dc, std::max(target.left - current.left, 0L), std::max(target.top - current.top, 0L),
                   std::max(current.left - target.left, 0L), std::max(current.top - target.top, 0L), width, height);
        ReleaseDC(m_hWnd, dc);
    }
    MoveWindow(target.left, target.top, target.Width(), target.Height(), FALSE);
    if (HDC dc = GetDC(m_hWnd))
    {
        DrawScaled(dc, 0, 0, 0, 0, width, height);
        ReleaseDC(m_hWnd, dc);
    }
    SetCursor(SystemCursor(IDC_ARROW));
    return 0;
}

LRESULT CShowLargePhotoDlg::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (m_scaledPicture)
    {
        // Only the part of the window that lies on a monitor is drawn.
        RECT monitors = {0, 0, 0, 0};
        std::vector<HMONITOR> list;
        if (m_desktop->EnumerateMonitors(list))
            for (HMONITOR monitor : list)
            {
                RECT area;
                if (m_desktop->GetMonitorArea(monitor, area))
                {
                    RECT joined;
                    UnionRect(&joined, &monitors, &area);
                    monitors = joined;
                }
            }
        RECT window;
        GetWindowRect(&window);
        RECT visible;
        if (IntersectRect(&visible, &monitors, &window))
        {
            const int x = visible.left - window.left;
            const int y = visible.top - window.top;
            DrawScaled(dc, x, y, x, y, visible.right - visible.left, visible.bottom - visible.top);
        }
    }
    EndPaint(m_hWnd, &paint);
    return 0;
}
