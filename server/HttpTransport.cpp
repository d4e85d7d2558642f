#include "server/HttpTransport.h"

#include <shlwapi.h>

#include <algorithm>

namespace
{
// Which operation failed (InternetException::step).
enum Step : unsigned
{
    StepCanonicalize = 0,
    StepQueryTooLong = 1,
    StepEscape = 2,
    StepOpen = 3,
    StepConnect = 4,
    StepOpenRequest = 5,
    StepSendRequest = 6,
    StepWrite = 7,
    StepEndRequest = 8,
    StepQueryAvailable = 9,
    StepRead = 10,
    StepOpenUrl = 11,
    StepGetLoop = 12,
    StepPostLoop = 13,
};

// Where a failure was raised (InternetException::line): one number per
// raise site, so that a reported location names exactly one place.
enum Site : unsigned
{
    SiteProbeSucceeded = 536,
    SiteProbeFailed = 544,
    SiteCanonicalize = 552,
    SiteQueryTooLong = 567,
    SiteEscape = 585,
    SitePostOpen = 624,
    SiteConnect = 633,
    SiteOpenRequest = 641,
    SiteSendRequest = 656,
    SiteWrite = 664,
    SiteWriteStalled = 666,
    SiteEndRequest = 674,
    SitePostCancelled = 688,
    SitePostQueryAvailable = 705,
    SitePostRead = 716,
    SitePostTooLarge = 719,
    SitePostReadCount = 721,
    SiteGetOpen = 821,
    SiteOpenUrl = 839,
    SiteGetCancelled = 853,
    SiteGetQueryAvailable = 870,
    SiteGetTooLarge = 880,
    SiteGetRead = 887,
    SiteGetReadCount = 892,
};

// Program codes (InternetException::code).
enum Failure : unsigned
{
    Cancelled = 1,
    ReplyTooLarge = 3,
    ReadCountMismatch = 4,
    WriteStalled = 5,
};

// The longest query part (after the first '?' or '#') an address may carry.
constexpr unsigned __int64 MaximumQueryLength = 2084;
// The largest piece handed to InternetWriteFile at once.
constexpr DWORD MaximumWriteChunk = 0x40000000;
// The largest block read at once. The size a request announces as available
// can be most of a long reply (a POST's under Wine), and the cancel event is
// looked at between blocks: a bounded block keeps a cancel prompt whatever
// the reply's size.
constexpr DWORD MaximumReadBlock = 256 * 1024;

const MStringEx<wchar_t> HttpScheme(L"http://");
const MStringEx<wchar_t> HttpsScheme(L"https://");

bool IsSecureAddress(const MStringEx<wchar_t>& url) { return url.StartsWith(HttpsScheme, false); }

// Where the read loop raises its failures: the GET and the POST differ only
// in their raise sites.
struct ReadSites
{
    unsigned loopStep;
    unsigned cancelled;
    unsigned queryAvailable;
    unsigned tooLarge;
    unsigned read;
    unsigned readCount;
};

constexpr ReadSites GetReadSites{StepGetLoop,  SiteGetCancelled, SiteGetQueryAvailable,
                                 SiteGetTooLarge, SiteGetRead,   SiteGetReadCount};
constexpr ReadSites PostReadSites{StepPostLoop,  SitePostCancelled, SitePostQueryAvailable,
                                  SitePostTooLarge, SitePostRead,   SitePostReadCount};

bool IsSignalled(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

// Reads the reply of an open request block by block as the server announces
// them (at most MaximumReadBlock at once), checking the cancel event before
// each block and the running total against the limit before each read; then
// joins the blocks into out.
void ReadReply(HINTERNET request, HANDLE cancelEvent, unsigned __int64 limit, const ReadSites& sites,
               MAtom<unsigned char>& out)
{
    MList<MemoryPH<unsigned char>> blocks;
    unsigned __int64 total = 0;
    for (;;)
    {
        if (IsSignalled(cancelEvent))
            throw MakeInternetFailure(Cancelled, sites.cancelled, sites.loopStep);
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0))
            throw MakeInternetError(GetLastError(), sites.queryAvailable, StepQueryAvailable);
        if (available == 0)
            break;
        available = std::min(available, MaximumReadBlock);
        total += available;
        if (total > limit)
            throw MakeInternetFailure(ReplyTooLarge, sites.tooLarge, sites.loopStep);
        MemoryPH<unsigned char>* block = blocks.Append(new MemoryPH<unsigned char>(available));
        DWORD read = 0;
        if (!InternetReadFile(request, block->GetData(), available, &read))
            throw MakeInternetError(GetLastError(), sites.read, StepRead);
        if (read != available)
            throw MakeInternetFailure(ReadCountMismatch, sites.readCount, sites.loopStep);
    }
    out.Resize(total);
    ElementCount at(0);
    for (unsigned __int64 i = 0; i < blocks.GetCount(); ++i)
        out.CopyAt(at, true, *blocks.GetAt(i));
}

// Writes the whole body: InternetWriteFile may take fewer bytes than it was
// given, so it is called again for the rest; a call that takes nothing at
// all would loop for ever and fails instead.
void WriteBody(HINTERNET request, const MAtom<unsigned char>& body)
{
    unsigned __int64 done = 0;
    while (done < body.GetCount())
    {
        const DWORD piece = static_cast<DWORD>(std::min<unsigned __int64>(body.GetCount() - done, MaximumWriteChunk));
        DWORD written = 0;
        if (!InternetWriteFile(request, body.GetData() + done, piece, &written))
        {
            const InternetException failure = MakeInternetError(GetLastError(), SiteWrite, StepWrite);
            HttpEndRequestW(request, nullptr, 0, 0);
            throw failure;
        }
        if (written == 0 || written > piece)
        {
            HttpEndRequestW(request, nullptr, 0, 0);
            throw MakeInternetFailure(WriteStalled, SiteWriteStalled, StepWrite);
        }
        done += written;
    }
}
} // namespace

InternetHandle::~InternetHandle() { Close(); }

void InternetHandle::Close() { CloseInternetHandle(m_handle); }

void CloseInternetHandle(HINTERNET& handle)
{
    if (handle)
        InternetCloseHandle(handle);
    handle = nullptr;
}

DWORD GetRequestFlags(const MStringEx<wchar_t>& url)
{
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_PRAGMA_NOCACHE;
    return IsSecureAddress(url) ? flags | INTERNET_FLAG_SECURE : flags;
}

MStringEx<wchar_t> CanonicalizeRequestUrl(MStringEx<wchar_t>& url)
{
    // The probe announces one character; its buffer has room for it.
    MStringEx<wchar_t> canonical{ElementCount(1)};
    DWORD size = 1;
    if (InternetCanonicalizeUrlW(url.GetText(), canonical.GetData(), &size, 0))
        throw MakeInternetError(GetLastError(), SiteProbeSucceeded, StepCanonicalize);
    const DWORD probeError = GetLastError();
    if (probeError != ERROR_INSUFFICIENT_BUFFER)
        throw MakeInternetError(probeError, SiteProbeFailed, StepCanonicalize);
    // The answer may count bytes or characters: room for either.
    canonical = MStringEx<wchar_t>{ElementCount(size + 1)};
    size += 1;
    if (!InternetCanonicalizeUrlW(url.GetText(), canonical.GetData(), &size, 0))
        throw MakeInternetError(GetLastError(), SiteCanonicalize, StepCanonicalize);
    canonical = MStringEx<wchar_t>(canonical.GetText());
    url = canonical;

    const unsigned __int64 question = canonical.FindChar(L'?', 0, true);
    const unsigned __int64 hash = canonical.FindChar(L'#', 0, true);
    const unsigned __int64 mark = std::min(question, hash);
    if (mark == MStringEx<wchar_t>::npos)
        return canonical;
    const unsigned __int64 head = mark + 1;
    const MStringEx<wchar_t> tail = canonical.Mid(head);
    if (tail.GetLength() > MaximumQueryLength)
        throw MakeInternetError(0, SiteQueryTooLong, StepQueryTooLong);

    wchar_t probe[1] = {0};
    DWORD escapedSize = 1;
    HRESULT result = UrlEscapeW(tail.GetText(), probe, &escapedSize, URL_ESCAPE_SEGMENT_ONLY);
    if (result != E_POINTER)
        escapedSize = static_cast<DWORD>(tail.GetCount() * 8);
    MStringEx<wchar_t> escaped{ElementCount(escapedSize)};
    escapedSize += 1;
    result = UrlEscapeW(tail.GetText(), escaped.GetData(), &escapedSize, URL_ESCAPE_SEGMENT_ONLY);
    if (FAILED(result))
        throw MakeInternetError(static_cast<unsigned>(result), SiteEscape, StepEscape);
    return MStringEx<wchar_t>(sX::Format(), L"%s%s", canonical.Left(head).GetText(), escaped.GetText());
}

void HttpGetToBlocks(MStringEx<wchar_t> url, const MStringEx<wchar_t>& headerBlock, const MStringEx<wchar_t>& agent,
                     MAtom<unsigned char>& out, const unsigned __int64* limit, HANDLE cancelEvent)
{
    url = CanonicalizeRequestUrl(url);
    if (!url.StartsWith(HttpScheme, false) && !url.StartsWith(HttpsScheme, false))
        url = HttpScheme + url;

    InternetHandle session(InternetOpenW(agent.GetText(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        throw MakeInternetError(GetLastError(), SiteGetOpen, StepOpen);
    InternetHandle request(InternetOpenUrlW(session.Get(), url.GetText(), headerBlock.GetText(),
                                            static_cast<DWORD>(headerBlock.GetLength()), GetRequestFlags(url), 0));
    if (!request)
        throw MakeInternetError(GetLastError(), SiteOpenUrl, StepOpenUrl);
    ReadReply(request.Get(), cancelEvent, std::min(*limit, MaximumReplyBytes), GetReadSites, out);
}

void HttpGetWithHeaders(const MStringEx<wchar_t>& url, const HeaderList& headers, const MStringEx<wchar_t>& agent,
                        MAtom<unsigned char>& out, const unsigned __int64* limit, HANDLE cancelEvent)
{
    const unsigned __int64 copy = *limit;
    HttpGetToBlocks(url, headers.HeaderBlock(), agent, out, &copy, cancelEvent);
}

bool HttpGetToMemory(MStringEx<wchar_t> url, const MStringEx<wchar_t>& headerBlock, const MStringEx<wchar_t>& agent,
                     MAtom<unsigned char>& out)
{
    try
    {
        if (url.Find(MStringEx<wchar_t>(L"//"), 0, true) == MStringEx<wchar_t>::npos)
            url = HttpScheme + url;
        InternetHandle session(InternetOpenW(agent.GetText(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!session)
            return false;
        InternetHandle request(InternetOpenUrlW(session.Get(), url.GetText(), headerBlock.GetText(),
                                                static_cast<DWORD>(headerBlock.GetLength()), GetRequestFlags(url),
                                                0));
        if (!request)
            return false;
        MemoryPH<unsigned char> reply;
        ReadReply(request.Get(), nullptr, MaximumReplyBytes, GetReadSites, reply);
        out.Resize(reply.GetCount());
        out.CopyFrom(reply);
        return true;
    }
    catch (...)
    {
        return false;
    }
}

MemoryPH<unsigned char>* HttpPostToServer(const MStringEx<wchar_t>& url, const HeaderList& headers,
                                          const MStringEx<wchar_t>& agent, const MAtom<unsigned char>& body,
                                          HANDLE cancelEvent)
{
    const MStringEx<wchar_t> headerBlock = headers.HeaderBlock();
    const unsigned __int64 scheme = url.Find(MStringEx<wchar_t>(L"://"), 0, false);
    const unsigned __int64 hostStart = scheme == MStringEx<wchar_t>::npos ? 0 : scheme + 3;
    const unsigned __int64 slash = url.FindChar(L'/', hostStart, true);
    MStringEx<wchar_t> host, path;
    if (slash == MStringEx<wchar_t>::npos)
        host = url.Mid(hostStart);
    else
    {
        host = url.Mid(hostStart, slash - hostStart);
        path = url.Mid(slash + 1);
    }
    return HttpPost(host, path, headerBlock, agent, body, cancelEvent, IsSecureAddress(url));
}

MemoryPH<unsigned char>* HttpPost(MStringEx<wchar_t> host, const MStringEx<wchar_t>& path,
                                  const MStringEx<wchar_t>& headerBlock, const MStringEx<wchar_t>& agent,
                                  const MAtom<unsigned char>& body, HANDLE cancelEvent, bool secure,
                                  unsigned __int64 limit)
{
    host = CanonicalizeRequestUrl(host);
    if (host.StartsWith(HttpScheme, false) || host.StartsWith(HttpsScheme, false))
        host = host.AfterNth(L'/', 2, false);

    InternetHandle session(InternetOpenW(agent.GetText(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        throw MakeInternetError(GetLastError(), SitePostOpen, StepOpen);
    InternetHandle connection(InternetConnectW(session.Get(), host.GetText(),
                                               secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT,
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection)
        throw MakeInternetError(GetLastError(), SiteConnect, StepConnect);
    const DWORD flags = secure ? INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE : INTERNET_FLAG_NO_CACHE_WRITE;
    InternetHandle request(
        HttpOpenRequestW(connection.Get(), L"POST", path.GetText(), nullptr, nullptr, nullptr, flags, 0));
    if (!request)
        throw MakeInternetError(GetLastError(), SiteOpenRequest, StepOpenRequest);

    INTERNET_BUFFERSW buffers = {};
    buffers.dwStructSize = sizeof(buffers);
    buffers.lpcszHeader = headerBlock.GetText();
    buffers.dwHeadersLength = static_cast<DWORD>(headerBlock.GetLength());
    buffers.dwHeadersTotal = buffers.dwHeadersLength;
    buffers.dwBufferTotal = static_cast<DWORD>(body.GetCount());
    if (!HttpSendRequestExW(request.Get(), &buffers, nullptr, 0, 0))
        throw MakeInternetError(GetLastError(), SiteSendRequest, StepSendRequest);
    WriteBody(request.Get(), body);
    if (!HttpEndRequestW(request.Get(), nullptr, 0, 0))
        throw MakeInternetError(GetLastError(), SiteEndRequest, StepEndRequest);

    MemoryPH<unsigned char>* reply = new MemoryPH<unsigned char>();
    try
    {
        ReadReply(request.Get(), cancelEvent, std::min(limit, MaximumReplyBytes), PostReadSites, *reply);
    }
    catch (...)
    {
        delete reply;
        throw;
    }
    return reply;
}
