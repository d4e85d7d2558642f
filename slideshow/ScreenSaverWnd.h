// The screen-saver windows: when the user has been idle long enough the main
// window covers the monitors with them, as the screen-saver mode of its
// settings says. Each window fades in, shows the slide fitted into its area
// (or stays black), cross-fades every new slide in and is faded out or left
// behind a locked session when the screen saver ends. All of it runs on the
// main window's thread.
#pragma once

#include "slideshow/LocalSlidePreparation.h"
#include "slideshow/MonitorProvider.h"
#include "slideshow/SettingsTypes.h"
#include "slideshow/SlideRendering.h"
#include "standins/atl/AtlWindow.h"

#include <windows.h>

#include <vector>

// How a picture is placed in a screen-saver window.
enum class Fit_style : DWORD
{
    FitInside = 0,  // the smaller ratio: black bars
    Fill = 1,       // the larger ratio: the overflow is cut off
    ActualSize = 2, // ratio 1, centred
};

// Whether the slide of this kind is a picture: kinds 0, 1 and 0x80000001.
// Read as the kind's bits, so the held file picture (0xC0000001) counts as no
// picture and is shown at its own size.
bool IsPictureSlide(SlideKind kind);

// One window of the screen saver: its area in screen coordinates (the whole
// monitor, not its work area), how it fits the picture and whether it shows
// the slides at all (the others stay black).
struct ScreenSaverWindowPlan
{
    RECT area;
    Fit_style fit;
    bool showsSlides;
};

// The windows of a screen-saver mode over the monitors, in enumeration order:
// modes 1 and 2 one window over the union of all monitors; 3 and 4 one per
// monitor, only the primary one (holding the point 0, 0) showing slides; 5
// and 6 one per monitor, each showing slides. Odd modes fit a picture
// inside, even modes fill; a slide that is no picture is shown at actual
// size. Empty for mode 0 and when the monitors cannot be enumerated.
std::vector<ScreenSaverWindowPlan> PlanScreenSaverWindows(Screen_saver_mode mode, SlideKind kind,
                                                          const MonitorProvider& monitors);

// Where a width x height picture is drawn in a client of clientWidth x
// clientHeight. The scale is exact (compared as fractions); an enlarged
// picture that just fits a side is drawn 2 source pixels larger there, so
// that no seam of the background shows; a margin of 1 to 4 pixels is closed
// by stretching to the client's side; a picture larger than the client keeps
// its negative origin.
struct FitRect
{
    int x, y, width, height;
};
FitRect CalculateFitRect(Fit_style fit, int clientWidth, int clientHeight, unsigned width, unsigned height);

// A 24-bit RGB frame of the client's size, opaque black, with the picture
// (when there is one) drawn into its fit rectangle.
BitmapPtr ComposeScreenSaverFrame(Fit_style fit, int clientWidth, int clientHeight, Gdiplus::Bitmap* picture);

// Locking the session when the screen saver ends, and asking whether it is
// locked (0 locked, 1 unlocked, 2 unknown). The system's calls are the
// default; a test puts its own in place, since a test desktop cannot lock.
class SessionLocker
{
public:
    virtual ~SessionLocker() = default;
    virtual bool Lock() const = 0;
    virtual int QueryLockState() const = 0;
};
const SessionLocker& ScreenSaverLocker();
// Puts a locker in place (null: the system's again); answers the previous one.
const SessionLocker* SetScreenSaverLocker(const SessionLocker* locker);

class ScreenSaverWnd : public ATL::CWindowImpl<ScreenSaverWnd>
{
public:
    // A window that shows no slides stays black for its whole life.
    ScreenSaverWnd(const ScreenSaverWindowPlan& plan, Gdiplus::Bitmap* firstPicture);
    ~ScreenSaverWnd() override;

    static const wchar_t* GetWndClassName() { return L"ScreenSaverWnd"; }
    static const ATL::MessageMap<ScreenSaverWnd>& GetMessageMap();

    // Makes the window over its area, owned by owner, at alpha 0, and starts
    // the fade-in; false when the window cannot be made.
    bool Open(HWND owner);

    // Starts the cross-fade from the present frame to the picture (which the
    // caller keeps); nothing for a black window.
    void CrossFadeTo(Gdiplus::Bitmap& picture);

    void SetAlpha(BYTE alpha);
    BYTE Alpha() const { return m_alpha; }
    bool ShowsSlides() const { return m_showsSlides; }
    bool IsFadingIn() const { return m_fadeInTimer != 0; }
    bool IsCrossFading() const { return m_crossFadeTimer != 0; }
    // The frame the window shows now.
    Gdiplus::Bitmap* Frame() const { return m_frame.get(); }

    enum : UINT_PTR
    {
        FadeInTimerId = 108,
        CrossFadeTimerId = 116,
    };
    enum : int
    {
        PictureControlId = 195,
    };

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnFadeInTimer(UINT_PTR, BOOL&);
    LRESULT OnCrossFadeTimer(UINT_PTR, BOOL&);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    // The frame of the picture (or none) at the client's size; the drawing
    // itself is split out into ComposeScreenSaverFrame.
    void ComposeFrame(Gdiplus::Bitmap* picture);
    void RedrawPicture();

    const Fit_style m_fit;
    const RECT m_area;
    const bool m_showsSlides;
    // Only while the window is being made: the picture it starts with.
    Gdiplus::Bitmap* m_firstPicture;
    HWND m_pictureControl = nullptr;
    BYTE m_alpha = 0;
    UINT_PTR m_fadeInTimer = 0;
    UINT_PTR m_crossFadeTimer = 0;
    int m_crossFadeStep = 0;
    BitmapPtr m_frame;
    // The frame faded from and the new slide composed at the client's size,
    // while a cross-fade runs.
    BitmapPtr m_oldFrame;
    BitmapPtr m_newFrame;
};
