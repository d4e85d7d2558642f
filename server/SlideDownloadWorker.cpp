#include "server/SlideDownloadWorker.h"

#include "crypto/AesCipher.h"
#include "foundation/ComApartment.h"
#include "foundation/Handle.h"
#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"
#include "server/GetSlideHeaders.h"
#include "server/GetSlideReply.h"
#include "server/HttpTransport.h"
#include "server/KeyPairSupply.h"
#include "server/ServerPages.h"
#include "server/ServerReplyError.h"
#include "server/SlideSession.h"
#include "core/CrashReport.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"

#include <memory>

namespace
{
// The line the crash report names for the worker's outer handler.
constexpr unsigned WorkerCrashLine = 3941;
// The dialogs and viewers whose being open holds back delivery, the large
// photo viewer first.
const wchar_t* const DeliveryBlockingDialogs[] = {
    L"VIEWER_CShowLargePhotoDlg", L"VIEWER_CMediaPlayer2Dlg", L"VIEWER_CRichTextDlg",
    L"VIEWER_CBrowserDlg",        L"CSlidePropsDlg",          L"CSettingsDlg",
    L"CSelectedFiles",            L"CAboutBoxDlg",            L"CheckForNewReleaseDlg",
};

bool IsSignalled(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

// Waits the time or until the stop event; true when stopped.
bool WaitOrStop(HANDLE stop, DWORD milliseconds)
{
    if (!stop)
    {
        Sleep(milliseconds);
        return false;
    }
    return WaitForSingleObject(stop, milliseconds) == WAIT_OBJECT_0;
}

void RecordFailure(OnlineSlideRecord& record, unsigned status)
{
    record.state = OnlineStateFailed;
    record.status = status;
    record.errorDetail = 0;
}

MAAuthenticator ReplyHasher()
{
    return MAAuthenticator(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                           MAAuthenticator::MAAuthAlgHash(CALG_SHA_512));
}

// The steps of a round that can fail; the handlers of FetchOnlineSlide turn
// failures into the record's status.
FetchOutcome RunRound(OnlineSlideRecord& record, bool advertDue, const MAtom<unsigned char>& filterBlob, HANDLE stop,
                      const SlideCacheFolder& cache)
{
    // The pair made while the slide before was shown, or one made now.
    const std::unique_ptr<MACrypt> clientKeyPair = DownloadClientKeys().Take(stop);
    if (!clientKeyPair)
        return FetchOutcome::Stopped;
    const MACrypt& clientKey = *clientKeyPair;
    SecureBytes publicKey;
    publicKey.AssignSecure(clientKey.ExportPublicKey());
    const unsigned requestNumber = (GetTickCount() & 15) + 10;

    HeaderList session;
    MemoryPH<unsigned char> serverKey;
    if (!EstablishSlideSession(session, serverKey, stop))
        return FetchOutcome::Stopped;

    // Body: BE32 |A|, A, BE32 |B|, B.
    const MemoryPH<unsigned char> cached = cache.Read();
    MemoryPH<unsigned char> body(8 + cached.GetCount() + filterBlob.GetCount());
    unsigned __int64 at = 0;
    for (const MAtom<unsigned char>* part : {static_cast<const MAtom<unsigned char>*>(&cached), &filterBlob})
    {
        const unsigned __int64 length = part->GetCount();
        for (int shift = 24; shift >= 0; shift -= 8)
            body[at++] = static_cast<unsigned char>(length >> shift);
        if (length)
            body.CopyRange(at, *part, 0, length);
        at += length;
    }

    const MStringEx<wchar_t> agent(sX::Format(), L"%s %s", ProductName,
                                   MStringEx<wchar_t>(L"ProductVersion", nullptr).GetText());
    const HeaderList headers =
        BuildGetSlideHeaders(record, ClientKeyHeaderValue(publicKey, requestNumber), session, advertDue);
    std::unique_ptr<MemoryPH<unsigned char>> answer(
        HttpPostToServer(GetServerPageUrl(PageGetSlide), headers, agent, body, stop));
    if (IsSignalled(stop))
        return FetchOutcome::Stopped;

    const MAAuthenticator hasher = ReplyHasher();
    SecureBytes secret;
    secret.AssignSecure(publicKey);
    const AesCipher cipher(hasher, secret);
    MemoryPH<unsigned char> reply;
    if (!UnwrapGetSlideReply(cipher, clientKey, requestNumber, *answer, reply, stop) || IsSignalled(stop))
        return FetchOutcome::Stopped;

    const bool kept = ProcessGetSlideReply(record, clientKey, reply, advertDue,
                                           [&cache](const MAtom<unsigned char>& payload) { return cache.Write(payload); });
    if (!kept)
    {
        // The reply was good but could not be kept: the old cache and the
        // held session code stay as they were.
        RecordFailure(record, OnlineStatusCacheWrite);
        return FetchOutcome::Failed;
    }
    return FetchOutcome::Delivered;
}
} // namespace

MStringEx<wchar_t> ClientKeyHeaderValue(const MAtom<unsigned char>& publicKeyBlob, unsigned requestNumber)
{
    char digits[4] = {};
    digits[0] = static_cast<char>('0' + requestNumber / 100 % 10);
    digits[1] = static_cast<char>('0' + requestNumber / 10 % 10);
    digits[2] = static_cast<char>('0' + requestNumber % 10);
    return HexHeaderValue(publicKeyBlob) +
           HexHeaderValue(ShellMemory<unsigned char>(reinterpret_cast<unsigned char*>(digits), 3));
}

FetchOutcome FetchOnlineSlide(OnlineSlideRecord& record, bool advertDue, const MAtom<unsigned char>& filterBlob,
                              HANDLE stop, const SlideCacheFolder& cache)
{
    record.state = OnlineStateRunning;
    record.status = OnlineStatusRunning;
    unsigned status = 0;
    bool deleteCache = true;
    try
    {
        return RunRound(record, advertDue, filterBlob, stop, cache);
    }
    catch (const InternetException&)
    {
        // A failed request, by a system call or by the transport's own
        // checks (a reply above its size limit, a short read): its program
        // code is no answer of the server about the gallery or the filter.
        status = OnlineStatusRequestFailed;
        deleteCache = false;
    }
    catch (const MCryptException&)
    {
        status = OnlineStatusCryptFailure;
        deleteCache = false;
    }
    catch (const DownloadDataError& failure)
    {
        status = OnlineStatusMalformed | failure.Code();
    }
    catch (const ServerReplyError& failure)
    {
        status = OnlineStatusServerMessage;
        record.errorText = failure.Text();
    }
    catch (const QuilloryError&)
    {
        status = OnlineStatusUnexpected;
    }
    catch (const std::bad_alloc&)
    {
        status = OnlineStatusUnexpected;
    }
    // A round that was stopped failed because of the stop (an aborted
    // transfer, a cancelled decryption): it leaves the cache as it was.
    if (IsSignalled(stop))
        return FetchOutcome::Stopped;
    if (deleteCache)
        cache.DeleteFiles();
    RecordFailure(record, status);
    return FetchOutcome::Failed;
}

bool DeliveryBlockingDialogOpen(bool& photoViewerOpen)
{
    photoViewerOpen = false;
    bool any = false;
    for (const wchar_t* key : DeliveryBlockingDialogs)
    {
        MHandle mutex(OpenMutexW(SYNCHRONIZE, TRUE, DialogMutexName(key).GetText()));
        if (!mutex.IsValid())
            continue;
        any = true;
        if (key == DeliveryBlockingDialogs[0])
            photoViewerOpen = true;
    }
    return any;
}

DWORD WINAPI SlideDownloadWorker(LPVOID argument)
{
    std::unique_ptr<download_worker_data> data(static_cast<download_worker_data*>(argument));
    HANDLE running = data->runningEvent;
    try
    {
        const ComApartment com;
        SetThreadLocale(MAKELCID(UiLanguage, SORT_DEFAULT));
        try
        {
            // Spacing between two starts; the stop event ends the wait.
            const ULONGLONG now = GetTickCount64();
            const ULONGLONG last = static_cast<ULONGLONG>(InterlockedCompareExchange64(data->lastDownloadStart, 0, 0));
            const ULONGLONG since = now > last ? now - last : last - now;
            bool stopped = false;
            if (since < DownloadSpacingMs)
                stopped = WaitOrStop(data->stopEvent, static_cast<DWORD>(DownloadSpacingMs - since));
            InterlockedExchange64(data->lastDownloadStart, static_cast<LONG64>(now));

            const SlideCacheFolder cache = data->cacheFolder.IsEmpty() ? SlideCacheFolder()
                                                                       : SlideCacheFolder(data->cacheFolder);
            const FetchOutcome outcome =
                stopped ? FetchOutcome::Stopped
                        : FetchOnlineSlide(*data->record, data->advertDue != 0, data->filterBlob, data->stopEvent, cache);
            // The next worker's key pairs are made while this slide is shown.
            if (outcome != FetchOutcome::Stopped)
                PrepareNextWorkerKeyPairs();
            if (outcome == FetchOutcome::Failed)
                PostMessageW(data->owner, WM_ONLINE_FETCH_ENDED, 0, 0);
            else if (outcome == FetchOutcome::Delivered)
            {
                // Delivery waits until no dialog or viewer is open, asking the
                // photo viewer to close, and for a running cross-fade.
                bool photoViewer = false;
                while (!stopped && DeliveryBlockingDialogOpen(photoViewer))
                {
                    if (photoViewer)
                        PostMessageW(data->owner, WM_CLOSE_PHOTO_VIEWER, 0, 0);
                    stopped = WaitOrStop(data->stopEvent, DeliveryPollMs);
                }
                if (!stopped && InterlockedCompareExchange(data->crossFadeTimer, 0, 0) != 0)
                    stopped = WaitOrStop(data->stopEvent, CrossFadeDeliveryDelayMs);
                if (!stopped)
                    PostMessageW(data->owner, WM_ONLINE_FETCH_ENDED, 1, 0);
            }
        }
        catch (...)
        {
            data->record->state = OnlineStateFailed;
            data->record->status = OnlineStatusUnexpected;
            data->record->errorDetail = 0;
            const MStringEx<wchar_t> text(sX::Format(), IDS_DOWNLOAD_UNEXPECTED_FAILURE,
                                          MStringEx<wchar_t>(ResId(IDS_PRODUCT_CAPTION)).GetText());
            ReportCrashToEventLog(__FILE__, WorkerCrashLine, text);
            PostMessageBoxRequest(data->owner, std::make_unique<MString>(text), MB_ICONHAND);
        }
    }
    catch (...)
    {
        // No report possible.
    }
    if (running)
        ResetEvent(running);
    return 0;
}
