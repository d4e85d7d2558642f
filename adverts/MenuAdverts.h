// The menu adverts of the tray menu: which adverts a menu shows and in which
// order, and what a click on one of them does.
#pragma once

#include "adverts/AdvertStats.h"
#include "adverts/Adverts.h"

// One advert shown in the menu: its slot (command id and icon id), title,
// address and priority.
struct Current_menu_adverts
{
    DWORD commandId = 0;
    DWORD iconId = 0;
    MString title;
    MString url;
    DWORD priority = 0;
};

// The menu's five advert slots, in slot order: command ids 112 to 116 with
// their icons 185 to 189.
constexpr DWORD MenuAdvertSlotCount = 5;
constexpr DWORD FirstMenuAdvertCommand = 112;
constexpr DWORD FirstMenuAdvertIcon = 185;

// The text a title is ordered by: four digests of its UTF-16LE bytes (SHA-1,
// SHA-512, MD5, and SHA-512 of the title followed by "1"), each with its
// bytes reversed, as upper-case hexadecimal.
MString AdvertTitleDigestText(const MString& title);

// Whether shown entry a may stay before b: the greater priority first, then
// the greater digest text (code unit by code unit; equal texts stay).
bool CompareAdvertTitles(const Current_menu_adverts& a, const Current_menu_adverts& b);

// Chooses up to min(Max_Displayed_Entries, 5) enabled adverts for a menu,
// spending their running counters (all refilled when the walk meets a spent
// one), counts an impression for each and puts them into current in their
// display order: by CompareAdvertTitles, or at random places when the
// document does not fix them. A document that is not enabled clears current
// and refills every counter. current holds the previous menu's entries on
// entry (the ranking puts their titles behind their equals).
void SelectMenuAdverts(Menu_Adverts& adverts, MList<Current_menu_adverts>& current);

// A click on the menu entry with that command id: counts the click of the
// advert with the entry's title (when it is still held), rebuilds the menu
// statistics and answers the address to open; false when no shown entry has
// that id.
bool CountMenuAdvertClick(Menu_Adverts& adverts, const MList<Current_menu_adverts>& current, DWORD commandId,
                          AdvertStatsLists& stats, MString& url);
