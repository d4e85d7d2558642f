// The overlay adverts: the photo viewer's pick of an advert for its card,
// the tray menu's entry for the advert chosen last, and the follow of that
// entry's address.
#pragma once

#include "adverts/AdvertStats.h"
#include "adverts/Adverts.h"

#include <memory>

// The overlay advert chosen last.
struct OverlayAdvertChoice
{
    MString leadingTitle;
    MString key;
    MString advertClass;
    MString content;
    MString url;
};

// The controller's overlay state beside the held adverts: the choice, read
// and written under the overlay adverts' lock only.
struct OverlayAdvertContext
{
    std::unique_ptr<OverlayAdvertChoice> choice;
};

// What the photo viewer's card shows: the headline (the key), the marker
// text beside the badge (the class) and the body (the content).
struct OverlayAdvertTexts
{
    MString key;
    MString advertClass;
    MString content;
    MString url;
};

// At each opening of the photo viewer: every Incidence-th opening chooses an
// advert (enabled, running counter not spent; the one shown last goes
// behind its equals), counts its impression and makes it the choice. False
// when no advert is shown this time; the earlier choice is dropped either way.
bool PickOverlayAdvertForViewer(Overlay_Adverts& adverts, OverlayAdvertContext& context, OverlayAdvertTexts& texts);

// The tray menu's overlay entry: the title line's text (the class), the
// entry's text (the leading title) and the title line's style.
struct OverlayMenuEntry
{
    MString title;
    MString text;
    bool hasTitle = false;
    bool bold = false;
    bool italic = false;
    bool underlined = false;
    bool icon = false;
    bool normalHeight = true;
};

// Whether the menu offers the choice: while the viewer is open, and for
// MC_Lag_Time minutes after it closed (now in seconds since 1970); after
// that the choice is dropped. A choice without address is not offered.
bool PickOverlayAdvertForMenu(Overlay_Adverts& adverts, OverlayAdvertContext& context, bool viewerOpen,
                              __int64 now, OverlayMenuEntry& entry);

// The menu's overlay entry was chosen: counts the follow of the chosen
// advert, rebuilds the overlay statistics and answers the address to open;
// false when there is no choice with an address.
bool CountOverlayAdvertFollow(Overlay_Adverts& adverts, const OverlayAdvertContext& context, AdvertStatsLists& stats,
                              MString& url);

// The photo viewer that showed an advert has closed at now.
void NoteOverlayViewerClosed(Overlay_Adverts& adverts, __int64 now);

// The current time in seconds since 1970.
__int64 SecondsSince1970();
