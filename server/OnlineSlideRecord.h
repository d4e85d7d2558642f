// What one online round asks for and what it brings back: the part of the
// main window's InternetSlideState that the download worker fills. The main
// window copies the request fields in and the outcome out (or keeps this
// record inside its own).
#pragma once

#include "server/SessionAuthCode.h"

#include "foundation/StringEx.h"

// Values of the record's state besides the reply kinds 1 to 3.
constexpr int OnlineStateIdle = 0;
constexpr int OnlineStatePicture = 1;
constexpr int OnlineStateMedia = 2;
constexpr int OnlineStateDocument = 3;
constexpr int OnlineStateRunning = 5;
constexpr int OnlineStateFailed = 128;

// Status of a round: 1 while it runs normally, otherwise the failure.
constexpr int OnlineStatusRunning = 1;
// A request that failed: a system call of the transport, or the transport's
// own checks (a reply above its size limit, a short read).
constexpr unsigned OnlineStatusRequestFailed = 0;
constexpr unsigned OnlineStatusCryptFailure = 0x80000011;
constexpr unsigned OnlineStatusServerMessage = 0x80000013;
constexpr unsigned OnlineStatusUnexpected = 0x8000000F;
// The reply was good but its cache could not be written: nothing changed.
constexpr unsigned OnlineStatusCacheWrite = 0x80000017;
// OR-ed with a DownloadDataError code.
constexpr unsigned OnlineStatusMalformed = 0x80000000;

// Display order value of the ordered enumeration.
constexpr DWORD DisplayOrderOrdered = 0x20000000;

struct OnlineSlideRecord
{
    // The request: gallery, enumeration wish.
    MStringEx<wchar_t> galleryName;
    DWORD galleryLanguage = 1033;
    DWORD displayOrder = 0;
    int forwardLevel = 0;
    BYTE sessionStart = 0;

    // The outcome.
    int state = OnlineStateIdle;
    BYTE advert = 0;
    MemoryPH<unsigned char> content;
    MStringEx<wchar_t> firstText;
    inet_authentication_data authCode;
    MStringEx<wchar_t> secondText;
    // 1 for a reply flag 0x00, 0 for 0x80, 2 after a reset.
    int displayFlag = 2;
    unsigned status = 0;
    int errorDetail = 0;
    // The text of a thrown server message (status 0x80000013).
    MStringEx<wchar_t> errorText;

    // The reply's flag byte as "Internet Control" stores it.
    BYTE InternetControlByte() const { return displayFlag == 0 ? 0x80 : 0x00; }
};
