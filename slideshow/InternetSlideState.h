// The record of one online slide request, owned by the main window: the
// download worker fills it and the main window reads it when the worker has
// reported (WM_ONLINE_FETCH_ENDED). Its reset and the texts of its states belong to the
// slide step; the worker, the reply and the session code come with the
// online slides.
#pragma once

#include "filter/MediaSource.h"
#include "foundation/Atom.h"
#include "foundation/StringEx.h"

#include <windows.h>

struct InternetSlideState
{
    // Values of state: idle after a reset; the worker started; a good reply
    // of kind 1 to 3; a slide loaded from a file (6 to 9); a failure.
    static constexpr int Idle = 0;
    static constexpr int Started = 5;
    static constexpr int Failed = 0x80;

    int state = Idle;
    BYTE advert = 0;
    MemoryPH<BYTE> content;
    MStringEx<wchar_t> firstText;
    // The SHA-1 digest (bytes reversed) of a slide loaded from a file.
    MemoryPH<BYTE> identity;
    MStringEx<wchar_t> secondText;
    int displayFlag = 2;
    int status = 0;
    int errorDetail = 0;
    MStringEx<wchar_t> galleryName;
    DWORD galleryLanguage = 1033;
    DWORD displayOrder = 0;
    int forwardLevel = 0;
    BYTE sessionStart = 0;
    // The file of a slide loaded into the record (states 6 to 9).
    MStringEx<wchar_t> file;

    // Back to idle: the reply's content and texts and the gallery emptied,
    // the session code released; status and error detail are kept.
    void Reset();
    // A new session on the gallery: the reset, then the gallery, the display
    // order, the forward level and whether a new enumeration starts.
    void StartSession(const SelectedOnlineGallery& gallery, DWORD order, int level, bool start);
    // Whether the record holds a reply or a loaded slide.
    bool IsHeld() const { return state != Idle; }
    // Whether the record's gallery is the selected one or lies below it.
    bool IsOfGallery(const MStringEx<wchar_t>& selected) const;
};
