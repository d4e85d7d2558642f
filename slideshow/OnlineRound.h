// The main window's round of online slides: the download worker and the
// record it fills, why its fetch was started, whether the show waits for an
// online slide, the status cards shown meanwhile (the same card is not shown
// twice), the local slides shown since the last online one, and the session
// code of the online slide on screen. Lives on the main window's thread.
#pragma once

#include "foundation/StringEx.h"
#include "server/SessionAuthCode.h"
#include "slideshow/DownloadWorker.h"
#include "slideshow/InternetSlideState.h"
#include "slideshow/LocalSlidePreparation.h"
#include "slideshow/SlideStep.h"

#include <windows.h>

#include <memory>

// The kind of a slide that the record holds from a file; SlideNone for
// every other state.
SlideKind FileSlideKind(int state);

class OnlineRound
{
public:
    // The card the online show rests on: the card that no gallery is chosen
    // (no request goes out), or the card of a failed round (it stays while
    // the next round runs). While one rests, the show looks again only at
    // the slide interval. Any other card ends the rest.
    enum class RestingCard : BYTE
    {
        None,
        NoGallery,
        FailedRound,
    };

    OnlineRound() = default;
    OnlineRound(const OnlineRound&) = delete;
    OnlineRound& operator=(const OnlineRound&) = delete;

    // The online request record, shared with the download workers.
    InternetSlideState& Record() { return m_shared->record; }
    const InternetSlideState& Record() const { return m_shared->record; }

    // Whether the window's cross-fade timer runs; the download worker reads it.
    bool IsCrossFadeTimerSet() const { return m_shared->crossFadeTimer != 0; }
    void SetCrossFadeTimer(bool set) { m_shared->crossFadeTimer = set ? 1 : 0; }

    bool IsWorkerRunning() const { return m_worker.IsRunning(); }
    // Starts a round of the download worker for the record; it reports to owner.
    bool StartWorker(HWND owner, bool advertDue) { return m_worker.Start(owner, m_shared, advertDue); }
    void StopWorker() { m_worker.StopDownloadWorker(); }

    // The reason of the worker's fetch: 0 none, the kind of the step that
    // started it, FetchReasonStartUp at start.
    DWORD FetchReason() const { return m_fetchReason; }
    void SetFetchReason(DWORD reason) { m_fetchReason = reason; }

    // A step came while the worker ran: the worker's report steps.
    bool IsStepPending() const { return m_stepPending != 0; }
    void MarkStepPending() { m_stepPending = 1; }
    void ClearStepPending() { m_stepPending = 0; }

    // Whether the show waits for an online slide (a status card stands).
    bool IsWaiting() const { return m_waitingForOnline != 0; }
    // A status card of that hash becomes the prepared picture: the show
    // waits, and no card rests any more.
    void TakeCard(unsigned __int64 hash);
    // The same status card as before stands while the show waits.
    bool IsSameCardAgain() const { return m_waitingForOnline && m_cardHash == m_previousCardHash; }
    // A slide becomes the prepared picture: the show no longer waits.
    void TakeSlide();
    RestingCard Resting() const { return m_restingCard; }
    void RestOn(RestingCard card) { m_restingCard = card; }

    bool IsFastRetry() const { return m_fastRetry != 0; }
    void ClearFastRetry() { m_fastRetry = 0; }

    // The local slides shown since the last online one, by the adverts' rule
    // for an online slide among local ones.
    bool IsOnlineSlideDue(const OnlineSlideIncidence& incidence, int kind);
    void AdjustLocalSlideCount(const OnlineSlideIncidence& incidence);
    void ResetLocalSlideCount() { m_localSlideCount = 0; }
    void CountLocalSlide() { ++m_localSlideCount; }
    // The count as the step's choice of the next slide keeps it.
    DWORD& LocalSlideCount() { return m_localSlideCount; }

    // The text that stands for the record's state (empty for none).
    void StatusText(MStringEx<wchar_t>& text) const;

    // The session code of the online slide now shown; released (Clean Up)
    // when another slide takes its place and when the window goes.
    inet_authentication_data& ShownCode() { return m_shownCode; }
    void ReleaseShownCode();

private:
    std::shared_ptr<DownloadShared> m_shared = std::make_shared<DownloadShared>();
    DWORD m_fetchReason = 2;
    BYTE m_stepPending = 0;
    BYTE m_waitingForOnline = 1;
    unsigned __int64 m_cardHash = 0;
    unsigned __int64 m_previousCardHash = 0;
    RestingCard m_restingCard = RestingCard::None;
    BYTE m_fastRetry = 0;
    DWORD m_localSlideCount = 0;
    // A failure text kept from the worker.
    MStringEx<wchar_t> m_downloadErrorText;
    inet_authentication_data m_shownCode;
    // The worker writes the record: declared after it, so that it is
    // stopped before the record is let go.
    DownloadWorker m_worker;
};
