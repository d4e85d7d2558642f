// The record of one online slide request, owned by the main window: the
// download worker fills its OnlineSlideRecord part and the main window reads
// it when the worker has reported (WM_ONLINE_FETCH_ENDED). A slide loaded
// from a local file to be kept for the next step lands here too (states 6
// to 9), with the file and the identity of its content.
#pragma once

#include "filter/MediaSource.h"
#include "server/OnlineSlideRecord.h"

#include <windows.h>

struct InternetSlideState : OnlineSlideRecord
{
    // Values of state: idle after a reset; the worker started; a good reply
    // of kind 1 to 3; a slide loaded from a file (6 to 9); a failure.
    static constexpr int Idle = OnlineStateIdle;
    static constexpr int Started = OnlineStateRunning;
    static constexpr int Failed = OnlineStateFailed;

    // The SHA-1 digest (bytes reversed) of the final content of a slide
    // loaded from a file (SlideIdentity).
    MemoryPH<BYTE> identity;
    // The file of a slide loaded into the record (states 6 to 9).
    MStringEx<wchar_t> file;

    // Back to idle: the reply's content and texts and the gallery emptied,
    // the session code released (its Clean Up runs on a thread of its own)
    // and emptied; status and error detail are kept.
    void Reset();
    // A new session on the gallery: the reset, then the gallery, the display
    // order, the forward level and whether a new enumeration starts.
    void StartSession(const SelectedOnlineGallery& gallery, DWORD order, int level, bool start);
    // Whether the record holds a reply, a failure or a loaded slide.
    bool IsHeld() const { return state != Idle; }
    // Whether the record holds a good reply of the server (kinds 1 to 3).
    bool HoldsReply() const { return state >= OnlineStatePicture && state <= OnlineStateDocument; }
    // Whether the content is still what the identity names (its SHA-1
    // digest); false without content or identity.
    bool IsContentUnchanged() const;
    // Whether the record's gallery is the selected one or lies below it.
    bool IsOfGallery(const MStringEx<wchar_t>& selected) const;
};
