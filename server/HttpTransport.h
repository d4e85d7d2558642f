// The program's HTTP(S) requests through WinINet: a GET that reads the whole
// reply (with a size limit and a cancel event), the same GET driven by a
// HeaderList, a lenient GET that answers yes or no, and a POST of a byte body.
// None of them looks at the HTTP status: whatever body comes back is the
// reply. Failures throw InternetException, except in HttpGetToMemory.
#pragma once

#include "server/HeaderList.h"
#include "server/InternetException.h"

#include <windows.h>
#include <wininet.h>

// No reply is read beyond this many bytes, whatever limit a caller gives:
// far above any real reply (docs/protocol.md), low enough that a broken or
// hostile server cannot exhaust the memory.
constexpr unsigned __int64 MaximumReplyBytes = 256ull * 1024 * 1024;

// Owns one HINTERNET and closes it once.
class InternetHandle
{
public:
    explicit InternetHandle(HINTERNET handle = nullptr) : m_handle(handle) {}
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle();

    HINTERNET Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Close();

private:
    HINTERNET m_handle;
};

// Closes a held handle and sets it to null; nothing when it is null.
void CloseInternetHandle(HINTERNET& handle);

// The canonical form of an address with its query part escaped, also
// written back into url (steps 0 to 2).
MStringEx<wchar_t> CanonicalizeRequestUrl(MStringEx<wchar_t>& url);

// The whole reply of a GET into out. limit points to the largest reply
// accepted (a reply of exactly that size passes); cancelEvent is an event
// or null and is looked at before each read.
void HttpGetToBlocks(MStringEx<wchar_t> url, const MStringEx<wchar_t>& headerBlock, const MStringEx<wchar_t>& agent,
                     MAtom<unsigned char>& out, const unsigned __int64* limit, HANDLE cancelEvent);
// The same with the headers of a list; *limit is only read.
void HttpGetWithHeaders(const MStringEx<wchar_t>& url, const HeaderList& headers, const MStringEx<wchar_t>& agent,
                        MAtom<unsigned char>& out, const unsigned __int64* limit, HANDLE cancelEvent);
// True with the whole reply in out; false, with out as it was, on any failure.
bool HttpGetToMemory(MStringEx<wchar_t> url, const MStringEx<wchar_t>& headerBlock, const MStringEx<wchar_t>& agent,
                     MAtom<unsigned char>& out);

// POST of body to the address with the headers of the list; the reply in a
// new buffer owned by the caller.
MemoryPH<unsigned char>* HttpPostToServer(const MStringEx<wchar_t>& url, const HeaderList& headers,
                                          const MStringEx<wchar_t>& agent, const MAtom<unsigned char>& body,
                                          HANDLE cancelEvent);
// The POST itself, to port 443 when secure and 80 otherwise. No reply is
// read beyond limit bytes (MaximumReplyBytes at most).
MemoryPH<unsigned char>* HttpPost(MStringEx<wchar_t> host, const MStringEx<wchar_t>& path,
                                  const MStringEx<wchar_t>& headerBlock, const MStringEx<wchar_t>& agent,
                                  const MAtom<unsigned char>& body, HANDLE cancelEvent, bool secure,
                                  unsigned __int64 limit = MaximumReplyBytes);

// WinINet's request flags of the GETs: no cache, no cookies, no user
// interface; secure for an "https://" address (any case).
DWORD GetRequestFlags(const MStringEx<wchar_t>& url);
