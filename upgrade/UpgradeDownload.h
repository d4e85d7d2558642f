// The installer package's transfer: a WinINet GET that streams the reply body
// into an open file, with progress messages, a cancel event and the response
// headers the caller asks for.
#pragma once

#include "foundation/Atom.h"
#include "foundation/StringEx.h"
#include "server/HeaderList.h"

#include <windows.h>

#include <vector>

// One response header the caller wants: its name, and after the transfer
// whether it came and its value (the UTF-16 text WinINet gives, as bytes).
struct ResponseHeader
{
    MString name;
    bool present = false;
    MemoryPH<unsigned char> value;
};
using ResponseHeaders = std::vector<ResponseHeader>;

// The transfer's own failure codes (beside the Win32 errors of the calls).
enum DownloadError : long
{
    // Something unexpected in the transfer, a response header sent twice among them.
    DownloadUnexpected = -1,
    // Fewer bytes read than announced available, or the body ended before
    // its Content-Length.
    DownloadShortRead = -2,
    DownloadShortWrite = -3,
    DownloadCancelled = -4,
    // The body passed the largest package accepted.
    DownloadTooLarge = -5,
};

// No package is accepted beyond this size: far above any real package, low
// enough that a hostile server cannot fill the disk.
constexpr unsigned __int64 LargestPackageBytes = 1024ull * 1024 * 1024;

// The GET of address into file. Before each block the cancel event is looked
// at; after each block progressMessage is sent to progressWindow with wParam
// the address of the total length (0: not known) and lParam the address of
// the bytes received, both unsigned 64-bit. headers names the response
// headers to read; on return it holds what came. True when the whole body
// was written; false with error set (a Win32 error or a DownloadError).
bool HttpDownloadToFile(const MString& address, const MString& headerBlock, const MString& agent, HANDLE file,
                        HWND progressWindow, UINT progressMessage, HANDLE cancelEvent, ResponseHeaders& headers,
                        long& error);

// The same with the request headers of a list.
bool HttpDownloadToFileWithHeaders(const MString& address, const HeaderList& requestHeaders, const MString& agent,
                                   HANDLE file, HWND progressWindow, UINT progressMessage, HANDLE cancelEvent,
                                   ResponseHeaders& headers, long& error);

// The Content-Length text as a number: 0 (not known) for an empty text or
// any character that is not a digit, and for a value beyond 64 bits.
unsigned __int64 ParseContentLength(const wchar_t* text);
