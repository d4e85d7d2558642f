// CLumivaneDlg: presenting the prepared picture as the new slide, the
// cross-fade driven by its timer, the picture control's drawing, status
// cards, the preview card, and the window's placement in the display area.
#include "slideshow/LumivaneDlg.h"

#include "resources/window/ProgramResourceIds.h"
#include "core/PrivateMessages.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/MainWindowIds.h"
#include "slideshow/StatusCard.h"

#include <algorithm>
#include <cassert>

namespace
{
constexpr UINT CrossFadePeriod = 10;

DWORD TicksBetween(DWORD a, DWORD b)
{
    return a > b ? a - b : b - a;
}
}

// ---- Placement -------------------------------------------------------------

void CLumivaneDlg::PlaceWindow(int width, int height)
{
    const Anchor_corner_effective corner = ResolveAnchorCorner(m_displayArea, true);
    const POINT origin = WindowOriginAtCorner(m_displayArea, corner, width, height);
    MoveWindow(origin.x, origin.y, width, height, FALSE);
    if (m_fade.KeepsHidden())
    {
        m_fade.StopKeepingHidden();
        ShowWindow(SW_SHOWNA);
    }
}

SIZE CLumivaneDlg::NonClientSize() const
{
    RECT window = {}, client = {}, picture = {}, pictureClient = {};
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    if (m_picture.Get())
    {
        ::GetWindowRect(m_picture.Get(), &picture);
        ::GetClientRect(m_picture.Get(), &pictureClient);
    }
    return SIZE{(window.right - window.left - client.right) + (picture.right - picture.left - pictureClient.right),
                (window.bottom - window.top - client.bottom) + (picture.bottom - picture.top - pictureClient.bottom)};
}

void CLumivaneDlg::FitPreparedPicture()
{
    const LONG side = std::max<LONG>(1, m_displayArea.right - m_displayArea.left - NonClientSize().cx);
    m_frames.FitPicture(static_cast<unsigned>(side), *m_prepared);
}

bool CLumivaneDlg::IsWindowRectChanged(int left, int top, int width, int height) const
{
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    return window.left != left || window.top != top || window.right - window.left != width ||
           window.bottom - window.top != height;
}

void CLumivaneDlg::FitPictureToClient()
{
    RECT client = {};
    GetClientRect(&client);
    ::MoveWindow(m_picture.Get(), 0, 0, client.right, client.bottom, FALSE);
}

void CLumivaneDlg::RestartSlideTimer(SlideTimer::ArmFor how)
{
    if (!m_online.IsWaiting())
        m_slideTimer.Arm(m_hWnd, GetOperationMode(), how);
    else
    {
        m_slideTimer.ClearTimes();
        // A card the online show rests on is looked at again only at the
        // slide interval, so that a show with nothing to show does not ask
        // the server every few seconds.
        if (!m_online.IsWorkerRunning())
            m_slideTimer.Retry(m_hWnd, m_online.Resting() != OnlineRound::RestingCard::None && !IsMediaSourceLocal()
                                           ? RestingRetryPeriod(m_slideTimer)
                                           : OnlinePollPeriod(m_online.IsFastRetry()));
    }
    PublishTimerState();
}

// ---- Presenting a slide -----------------------------------------------------

bool CLumivaneDlg::ShowSlide(int mode)
{
    ApplyBorders();
    // The same status card is not presented twice in a row.
    if (m_online.IsSameCardAgain())
    {
        RestartSlideTimer(SlideTimer::ArmFor::RestAfterPause);
        return false;
    }
    m_frames.KeepSizeForCrossFade();
    // Every step prepares a picture or a card before it presents (a received
    // slide has counted its load in the adverts statistics when it was built).
    assert(m_prepared);
    if (!m_prepared)
        return false;
    FitPreparedPicture();
    PublishShownSlide();

    const OperationMode operationMode = GetOperationMode();
    if (!m_online.IsWaiting() && IsCycleMode(operationMode))
    {
        if (m_slideTimer.HasReachedIntervalB())
        {
            RenderCurrentFrame();
            if (mode == StepUserNext)
            {
                m_slideTimer.Arm(m_hWnd, operationMode, SlideTimer::ArmFor::FullInterval);
                ShowWithFade(true, FadeStateShown);
                m_fade.StopKeepingHidden();
            }
            else
            {
                m_slideTimer.Arm(m_hWnd, operationMode, SlideTimer::ArmFor::RestAfterPause);
                ShowWithFade(false, FadeStateHiddenUntilNextCycle);
                OnFirstSlideShown();
            }
            return true;
        }
        if (WaitForSingleObject(m_link->mainWindowReady, 0) == WAIT_OBJECT_0 && !IsWindowVisible())
        {
            RenderCurrentFrame();
            m_slideTimer.Arm(m_hWnd, operationMode, SlideTimer::ArmFor::FullInterval);
            ShowWithFade(true, FadeStateShown);
            return true;
        }
        StartTransition();
        PostMessage(WM_SHOW_HIDE, ShowFlagShow, ShowReasonPresentation);
        return true;
    }
    StartTransition();
    return true;
}

void CLumivaneDlg::StartTransition()
{
    m_frames.BeginCrossFade(*m_prepared);
    m_online.SetCrossFadeTimer(SetTimer(CrossFadeTimerId, CrossFadePeriod) != 0);
    m_link->snapshot->crossFading = m_online.IsCrossFadeTimerSet();
    if (!m_online.IsCrossFadeTimerSet())
    {
        // No timer: the slide is shown at once.
        m_frames.EndCrossFade();
        m_fade.StopKeepingHidden();
        ShowWindow(SW_SHOWNA);
        RenderCurrentFrame();
        RestartSlideTimer(SlideTimer::ArmFor::FullInterval);
        OnFirstSlideShown();
    }
}

void CLumivaneDlg::PlaceWindowForPicture()
{
    const SIZE size = m_frames.WindowSize(NonClientSize());
    if (IsWindowRectChanged(m_displayArea.left, m_displayArea.top, size.cx, size.cy))
    {
        PlaceWindow(size.cx, size.cy);
        FitPictureToClient();
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    }
}

void CLumivaneDlg::RenderCurrentFrame()
{
    // The frame is made at the size the picture control takes with the
    // window, before the window takes it: a window that grew before its
    // frame was drawn would show black where it grew.
    const PictureSize& picture = m_frames.FittedSize();
    m_frames.RenderCurrent(std::max(1u, std::max(picture.width, picture.height)), *m_prepared);
    PlaceWindowForPicture();
    ::RedrawWindow(m_picture.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CLumivaneDlg::DrawTransitionFrame(bool restartTimer)
{
    if (m_frames.IsCrossFading())
    {
        const DWORD start = GetTickCount();
        const SIZE nonClient = NonClientSize();
        const SIZE size = m_frames.CrossFadeWindowSize(nonClient);
        // The frame of this step is composed at the picture control's size
        // for the window's new size first; the new size and the frame then go
        // on screen in one redraw, with no black between them.
        SIZE client{std::max<LONG>(1, size.cx - nonClient.cx), std::max<LONG>(1, size.cy - nonClient.cy)};
        m_frames.ComposeCrossFade(client.cx, client.cy);
        if (IsWindowRectChanged(m_displayArea.left, m_displayArea.top, size.cx, size.cy))
        {
            PlaceWindow(size.cx, size.cy);
            FitPictureToClient();
            RECT placed = {};
            ::GetClientRect(m_picture.Get(), &placed);
            if (placed.right != client.cx || placed.bottom != client.cy)
                m_frames.ComposeCrossFade(placed.right, placed.bottom);
            ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        }
        else
            ::RedrawWindow(m_picture.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        m_frames.AdvanceCrossFade(TicksBetween(GetTickCount(), start));
        return;
    }

    // The last frame: the slide's own frame (made at the picture's final
    // size) takes the blend's place before the window takes that size.
    m_frames.DropOverlay();
    PlaceWindowForPicture();
    ::RedrawWindow(m_picture.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    KillTimer(CrossFadeTimerId);
    m_online.SetCrossFadeTimer(false);
    m_link->snapshot->crossFading = false;
    HandOverToScreenSavers();
    if (restartTimer)
    {
        RestartSlideTimer(SlideTimer::ArmFor::FullInterval);
        OnFirstSlideShown();
    }
}

void CLumivaneDlg::TakePreparedPicture(BitmapPtr picture, std::unique_ptr<PreparedSlide> source)
{
    // A new slide starts from the full frame of the one before, never from
    // the middle of its cross-fade.
    FinishTransition();
    m_prepared.Take(std::move(picture), std::move(source));
}

void CLumivaneDlg::FinishTransition()
{
    const SemaphoreGuard frame = m_guards.Frames(SemaphoreGuard::Take::Wait);
    if (!m_online.IsCrossFadeTimerSet())
        return;
    m_slideTimer.Stop(m_hWnd);
    if (m_frames.HalveCrossFade())
        DrawTransitionFrame(false);
    m_frames.EndCrossFade();
    DrawTransitionFrame(false);
}

LRESULT CLumivaneDlg::OnCrossFadeTimer(UINT_PTR, BOOL&)
{
    // Timer handlers never nest. A tick that finds a frame being drawn
    // draws none.
    const SemaphoreGuard timers = m_guards.Timers(SemaphoreGuard::Take::Try);
    if (!timers.IsHeld())
        return 0;
    const SemaphoreGuard frame = m_guards.Frames(SemaphoreGuard::Take::Try);
    if (!frame.IsHeld())
        return 0;
    // The slide timer does not run during a cross-fade; the last frame arms it.
    m_slideTimer.Stop(m_hWnd);
    DrawTransitionFrame(true);
    return 0;
}

LRESULT CLumivaneDlg::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!item || item->CtlType != ODT_STATIC || item->CtlID != IDC_MAIN_PICTURE)
        return 0;
    m_frames.Paint(item->hDC);
    return 0;
}

void CLumivaneDlg::RenderPreviewCard(int side)
{
    m_frames.ShowOverlay(::RenderPreviewCard(side, MString(ResId(IDS_PREVIEW_CARD))));
}

// ---- Status cards and titles ----------------------------------------------

void CLumivaneDlg::ShowStatusCard(MString text, unsigned artId)
{
    // The tray icon's tooltip; the controller frees the text.
    PostTrayTitle(m_link->controllerWindow->load(),
                  text.EqualsNoCase(MString(ResId(IDS_ONLINE_SLIDE_WAITING)))
                      ? std::make_unique<MString>(text)
                      : std::make_unique<MString>(sX::Format(), IDS_CARD_TOOLTIP, text.GetText()));

    const StatusCardTexts texts{MString(ResId(IDS_CARD_CAPTION)),
                                MString(sX::Format(), IDS_CARD_TITLE, m_program.Name().GetText()), text};
    TakePreparedPicture(BuildStatusCard(GetModuleHandleW(nullptr), IDP_CARD_BASE, artId, texts), nullptr);
    m_online.TakeCard(StatusCardHash(texts.message, texts.title));
    // A card is no file: the file commands find none, and what a received
    // slide carried goes.
    ResetReceivedSlide();
    m_shown.SetKind(SlideStatusCard);
    m_shown.SetPath(MString());
    m_online.ResetLocalSlideCount();
}

void CLumivaneDlg::DrawShadowedText(const MString& text, Gdiplus::RectF& layout, float points)
{
    assert(m_prepared);
    if (!m_prepared)
        return;
    ::DrawShadowedText(*m_prepared, text, layout, points);
}
