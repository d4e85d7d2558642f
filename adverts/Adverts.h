// The adverts that the server sends (menu, overlay and slide adverts) as the
// parsers build them and the controller holds them for its whole life.
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"
#include "foundation/Sync.h"

#include <windows.h>

// Where the menu adverts' block stands in the tray menu.
enum MenuAdvertsPosition : DWORD
{
    MenuAdvertsTop = 0,
    MenuAdvertsMid = 1,
    MenuAdvertsDynamic = 2,
};

// The highest and the stored priority of an advert whose priority is out of range.
constexpr DWORD LowestAdvertPriority = 1;
constexpr DWORD HighestAdvertPriority = 10;
constexpr DWORD DefaultAdvertPriority = 5;

// The menu adverts of the tray menu.
class Menu_Adverts
{
public:
    struct Advert
    {
        MString title;
        bool enabled = false;
        MString url;
        DWORD priority = DefaultAdvertPriority;
        // Spent by each menu that shows the advert, refilled to the priority.
        DWORD running = DefaultAdvertPriority;
        unsigned __int64 impressions = 0;
        unsigned __int64 clicks = 0;

        Advert() = default;
        Advert(const MString& title, bool enabled, const MString& url, DWORD priority)
            : title(title), enabled(enabled), url(url), priority(priority), running(priority)
        {
        }
    };

    // The held record before the first document: no adverts, not enabled.
    Menu_Adverts() = default;
    // position: exactly "top" or "mid"; anything else is dynamic.
    Menu_Adverts(bool enabled, bool webHomeAppDefault, const MString& titleText, bool titleBold, bool titleItalic,
                 bool titleUnderlined, bool titleIcon, bool titleNormalHeight, bool titleHasSeparator,
                 const MString& titleUrl, const char* position, int maxDisplayedEntries, bool fixedItemsPositions);
    Menu_Adverts(const Menu_Adverts&) = delete;
    Menu_Adverts& operator=(const Menu_Adverts&) = delete;
    virtual ~Menu_Adverts() = default;

    // Set on the held record: no adverts are offered.
    BYTE flag = 0;
    bool Enabled = false;
    MList<Advert> adverts;
    bool Web_Home_App_Default = true;
    MString Title_Text;
    bool Title_Bold = true;
    bool Title_Italic = false;
    bool Title_Underlined = false;
    bool Title_Icon = false;
    bool Title_Normal_Height = true;
    bool Title_Has_Separator = true;
    MString Title_URL;
    DWORD Position = MenuAdvertsDynamic;
    int Max_Displayed_Entries = 1;
    bool Fixed_Items_Positions = true;
};

// The overlay adverts shown over slides and in the photo viewer; the held
// record is guarded by its own lock.
class Overlay_Adverts
{
public:
    struct Advert
    {
        MString leading_title;
        MString auxiliary_title;
        bool enabled = false;
        MString advertClass;
        MString content;
        MString url;
        DWORD priority = DefaultAdvertPriority;
        DWORD running = DefaultAdvertPriority;
        unsigned __int64 impressions = 0;
        unsigned __int64 follows = 0;

        // "<leading title> <auxiliary title>": how adverts and their
        // statistics find each other.
        MString Key() const;
    };

    Overlay_Adverts() = default;
    Overlay_Adverts(const Overlay_Adverts&) = delete;
    Overlay_Adverts& operator=(const Overlay_Adverts&) = delete;
    virtual ~Overlay_Adverts() = default;

    BYTE flag = 0;
    bool Enabled = false;
    CriticalSection lock;
    // Run-time state of the photo viewer's overlay: openings since the last
    // overlay advert and when the viewer last closed (seconds since 1970).
    DWORD openings = 0;
    __int64 closedAt = 0;
    DWORD Incidence = 0;
    DWORD MC_Lag_Time = 0;
    bool MC_Has_Title = true;
    bool MC_Title_Bold = false;
    bool MC_Title_Italic = false;
    bool MC_Title_Underlined = true;
    bool MC_Title_Icon = false;
    bool MC_Title_Normal_Height = true;
    MList<Advert> adverts;
};

// When online slides come among the local ones; read by the main window
// under the lock only.
class SlideAdvertsSettings
{
public:
    SlideAdvertsSettings() = default;
    SlideAdvertsSettings(const SlideAdvertsSettings&) = delete;
    SlideAdvertsSettings& operator=(const SlideAdvertsSettings&) = delete;
    virtual ~SlideAdvertsSettings() = default;

    CriticalSection lock;
    // Set: no online slide is due (also while no adverts settings arrived).
    // Clear in every parsed record.
    BYTE suspendOnline = 1;
    BYTE enabled = 0;
    DWORD incidence = 0;
};
