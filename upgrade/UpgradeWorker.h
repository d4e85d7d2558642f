// The installer download: the worker thread that the release dialog starts
// to fetch the package from "get-ip.aspx" into the file it made, read the
// server's verdict and the digests from the reply's headers, verify the
// file's SHA-1 and MD5 digests, and report one result to the dialog.
#pragma once

#include "foundation/Handle.h"
#include "foundation/PostOwned.h"
#include "foundation/StringEx.h"
#include "upgrade/ReleaseCheck.h"
#include "upgrade/UpgradeDownload.h"

#include <memory>

#include <windows.h>

#include <memory>

// Worker to dialog. Sent: the transfer's progress (wParam, lParam: the
// addresses of the total length and of the bytes received, unsigned 64-bit)
// and the hashing's progress (the same, of the bytes hashed). Posted: a
// status text (wParam its string id) and the final result (wParam an
// UpgradeCode, lParam a heap UpgradeResult the dialog frees).
constexpr UINT WM_UPGRADE_PROGRESS = WM_USER + 1;
constexpr UINT WM_UPGRADE_FINISHED = WM_USER + 2;
constexpr UINT WM_UPGRADE_HASH_PROGRESS = WM_USER + 3;
constexpr UINT WM_UPGRADE_STATUS = WM_USER + 64;

enum UpgradeCode : WPARAM
{
    UpgradeVerified = 0,
    // Digests that do not match, or a verification that failed: the package
    // is never installed.
    UpgradeNotVerified = 1,
    UpgradeEmptyPackage = 2,
    UpgradeCancelled = 3,
    UpgradeFailed = 4,
};

// The result's message (empty for a verified or cancelled download) and the
// package path.
struct UpgradeResult
{
    MString text;
    MString packagePath;
};

inline bool PostUpgradeFinished(HWND dialog, UpgradeCode code, std::unique_ptr<UpgradeResult> result)
{
    return PostOwned(dialog, WM_UPGRADE_FINISHED, code, std::move(result));
}
inline std::unique_ptr<UpgradeResult> TakeUpgradeFinished(LPARAM lParam)
{
    return TakeOwned<UpgradeResult>(lParam);
}

// What the dialog gives the worker; the worker owns it and deletes it when it
// ends, which closes the package file.
struct UpgradeWorkerParams
{
    // Takes over the open package file.
    explicit UpgradeWorkerParams(HANDLE file) : packageFile(file) {}

    HWND owner = nullptr;
    HANDLE cancelEvent = nullptr;
    // What the worker keeps alive while it runs (the owner of cancelEvent).
    std::shared_ptr<void> keepAlive;
    MString productName;
    // The program's name in messages (string 71).
    MString productLabel;
    MString productVersion;
    MString serverVersion;
    UpgradeLinks links;
    MHandle packageFile;
    MString packagePath;
    MString platformName;
    MString platformVersionName;
    bool xp = false;
    // The web site named in messages (SplitUrl of the dialog).
    MString webSiteText;
    LANGID language = 0;
};

// The request headers of the package request, in their order.
HeaderList UpgradeRequestHeaders(const UpgradeWorkerParams& params, bool nativeAmd64);

// The body of an "ERROR" reply: pairs of hexadecimal digits that decode to
// a UTF-16LE message. False for a body above 10000 bytes or an odd number
// of decoded bytes.
bool DecodeServerMessage(const MAtom<unsigned char>& body, MString& message);

// Whether a status header's value (UTF-16 bytes) is the word, compared
// without regard to case over its whole length. An odd byte count is never.
bool StatusIs(const MAtom<unsigned char>& value, const wchar_t* word);

// Whether a digest matches a digest header's value (UTF-16 bytes): the
// digest's hexadecimal text against the value's text, same length, any case.
bool DigestMatches(const MAtom<unsigned char>& digest, const MAtom<unsigned char>& value);

// Runs the whole download and verification; the result code, with its
// message in text. Posts the status messages and sends the progress ones,
// but not the final message.
UpgradeCode RunUpgradeDownload(UpgradeWorkerParams& params, MString& text);

// The thread: RunUpgradeDownload, then WM_UPGRADE_FINISHED; deletes the
// parameters (an UpgradeWorkerParams*) and so closes the file.
DWORD WINAPI UpgradeWorker(LPVOID params);
