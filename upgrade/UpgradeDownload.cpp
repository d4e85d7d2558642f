#include "upgrade/UpgradeDownload.h"

#include "foundation/Error.h"
#include "server/HttpTransport.h"

#include <wininet.h>

#include <algorithm>
#include <cstring>

namespace
{
// A transfer that cannot go on, with its failure code; it never leaves
// HttpDownloadToFile.
class TransferFailure : public QuilloryError
{
public:
    explicit TransferFailure(DownloadError reason) : m_reason(reason) {}
    DownloadError Reason() const noexcept { return m_reason; }
    unsigned Code() const noexcept override { return static_cast<unsigned>(-m_reason); }
    const char* what() const noexcept override { return "upgrade download"; }

private:
    DownloadError m_reason;
};

// The most read from WinINet in one call.
constexpr DWORD LargestBlock = 1024 * 1024;

MString WithScheme(const MString& address)
{
    if (address.Find(MString(L"//"), 0, true) != ~0ull)
        return address;
    return MString(L"http://") + address;
}

// The request's Content-Length; 0 when there is none or it is no number.
unsigned __int64 QueryContentLength(HINTERNET request)
{
    DWORD size = 0;
    if (HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, nullptr, &size, nullptr))
        size = 10000;
    else if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return 0;
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 2, 0);
    DWORD room = size;
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text.data(), &room, nullptr))
        return 0;
    text[std::min<size_t>(room / sizeof(wchar_t), text.size() - 1)] = 0;
    return ParseContentLength(text.data());
}

// One custom response header at index; false when it did not come.
bool QueryCustomHeader(HINTERNET request, const MString& name, DWORD index, MemoryPH<unsigned char>& value)
{
    // The name goes in the buffer; the value comes back in its place.
    DWORD room = static_cast<DWORD>((name.GetLength() + 1) * sizeof(wchar_t));
    std::vector<unsigned char> buffer(room);
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        std::memcpy(buffer.data(), name.GetText(), (name.GetLength() + 1) * sizeof(wchar_t));
        DWORD asked = index;
        DWORD size = room;
        if (HttpQueryInfoW(request, HTTP_QUERY_CUSTOM, buffer.data(), &size, &asked))
        {
            size = std::min<DWORD>(size, room);
            value.Resize(size);
            if (size)
                std::memcpy(value.GetData(), buffer.data(), size);
            return true;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= room)
            return false;
        room = size + sizeof(wchar_t);
        buffer.assign(room, 0);
    }
    return false;
}

// The wanted headers of the reply. A header that comes twice is refused:
// which of the two the server meant cannot be told.
void ReadResponseHeaders(HINTERNET request, ResponseHeaders& headers)
{
    ResponseHeaders obtained;
    for (const ResponseHeader& wanted : headers)
    {
        ResponseHeader header;
        header.name = wanted.name;
        header.present = QueryCustomHeader(request, wanted.name, 0, header.value);
        MemoryPH<unsigned char> second;
        if (header.present && QueryCustomHeader(request, wanted.name, 1, second))
            throw TransferFailure(DownloadUnexpected);
        obtained.push_back(header);
    }
    headers = obtained;
}

bool Fail(long& error, long code)
{
    error = code;
    return false;
}
} // namespace

unsigned __int64 ParseContentLength(const wchar_t* text)
{
    if (!text || !*text)
        return 0;
    unsigned __int64 value = 0;
    for (const wchar_t* c = text; *c; ++c)
    {
        if (*c < L'0' || *c > L'9')
            return 0;
        const unsigned digit = *c - L'0';
        if (value > (~0ull - digit) / 10)
            return 0;
        value = value * 10 + digit;
    }
    return value;
}

bool HttpDownloadToFile(const MString& address, const MString& headerBlock, const MString& agent, HANDLE file,
                        HWND progressWindow, UINT progressMessage, HANDLE cancelEvent, ResponseHeaders& headers,
                        long& error)
{
    try
    {
        const MString url = WithScheme(address);
        InternetHandle session(InternetOpenW(agent.GetText(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!session)
            return Fail(error, static_cast<long>(GetLastError()));
        InternetHandle request(InternetOpenUrlW(session.Get(), url.GetText(), headerBlock.GetText(),
                                                static_cast<DWORD>(headerBlock.GetLength()), GetRequestFlags(url), 0));
        if (!request)
            return Fail(error, static_cast<long>(GetLastError()));

        unsigned __int64 total = QueryContentLength(request.Get());
        ReadResponseHeaders(request.Get(), headers);

        std::vector<unsigned char> block;
        unsigned __int64 received = 0;
        while (!cancelEvent || WaitForSingleObject(cancelEvent, 0) != WAIT_OBJECT_0)
        {
            DWORD available = 0;
            if (!InternetQueryDataAvailable(request.Get(), &available, 0, 0))
                return Fail(error, static_cast<long>(GetLastError()));
            available = std::min(available, LargestBlock);
            block.resize(std::max<DWORD>(available, 1));
            DWORD read = 0;
            if (!InternetReadFile(request.Get(), block.data(), available, &read))
                return Fail(error, static_cast<long>(GetLastError()));
            if (read != available)
                return Fail(error, DownloadShortRead);
            if (received + read > LargestPackageBytes)
                return Fail(error, DownloadTooLarge);
            if (read)
            {
                DWORD written = 0;
                if (!WriteFile(file, block.data(), read, &written, nullptr))
                    return Fail(error, static_cast<long>(GetLastError()));
                if (written != read)
                    return Fail(error, DownloadShortWrite);
            }
            received += read;
            if (progressWindow)
                SendMessageW(progressWindow, progressMessage, reinterpret_cast<WPARAM>(&total),
                             reinterpret_cast<LPARAM>(&received));
            if (read == 0)
            {
                // A connection that ended early also reads as the end.
                if (total != 0 && received != total)
                    return Fail(error, DownloadShortRead);
                return true;
            }
        }
        return Fail(error, DownloadCancelled);
    }
    catch (const TransferFailure& failure)
    {
        return Fail(error, failure.Reason());
    }
    catch (...)
    {
        return Fail(error, DownloadUnexpected);
    }
}

bool HttpDownloadToFileWithHeaders(const MString& address, const HeaderList& requestHeaders, const MString& agent,
                                   HANDLE file, HWND progressWindow, UINT progressMessage, HANDLE cancelEvent,
                                   ResponseHeaders& headers, long& error)
{
    return HttpDownloadToFile(address, requestHeaders.HeaderBlock(), agent, file, progressWindow, progressMessage,
                              cancelEvent, headers, error);
}
