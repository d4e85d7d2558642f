// The private messages between the controller, the slide-show main window
// and the worker threads, and the controller's command ids. A message that
// carries heap objects has its typed pair of post and take functions beside
// its id (or beside its payload's type, where that lives in a higher layer).
#pragma once

#include "foundation/Containers.h"
#include "foundation/PostOwned.h"
#include "foundation/StringEx.h"

#include <windows.h>

#include <memory>

// ---- To the controller ----
// A message box for another thread: wParam a heap MString (freed by the
// receiver), lParam the MessageBoxW flags.
constexpr UINT WM_MESSAGE_BOX_REQUEST = WM_USER + 8;
inline bool PostMessageBoxRequest(HWND window, std::unique_ptr<MString> text, UINT flags)
{
    return PostOwnedInWParam(window, WM_MESSAGE_BOX_REQUEST, std::move(text), flags);
}
inline std::unique_ptr<MString> TakeMessageBoxRequest(WPARAM wParam)
{
    return TakeOwnedFromWParam<MString>(wParam);
}
// Callback message of the notification-area icon.
constexpr UINT WM_TRAY_CALLBACK = WM_USER + 10;
// The main window's right click: context menu at the point in wParam.
constexpr UINT WM_CONTEXT_MENU_REQUEST = WM_USER + 11;
// Result of a release check: lParam a heap ReleaseInfo or 0 (its pair
// lives beside ReleaseInfo).
constexpr UINT WM_RELEASE_CHECK_RESULT = WM_USER + 13;
// wParam 1: the main window registers itself (lParam its window; 0 when it
// goes); otherwise: its first slide is shown, the release check starts.
constexpr UINT WM_MAIN_WINDOW_READY = WM_USER + 21;
// Tray state: wParam 0 add the icon, 1 to 5 its state, 6 a new slide title
// (lParam a heap MString, freed by the receiver).
constexpr UINT WM_TRAY_STATE = WM_USER + 29;
// Opens the gallery dialog; lParam a heap MString path or 0.
constexpr UINT WM_OPEN_SELECTED_FILES = WM_USER + 30;
inline bool PostOpenSelectedFiles(HWND controller, std::unique_ptr<MString> path)
{
    return PostOwned(controller, WM_OPEN_SELECTED_FILES, 0, std::move(path));
}
inline std::unique_ptr<MString> TakeOpenSelectedFiles(LPARAM lParam)
{
    return TakeOwned<MString>(lParam);
}
// The quit sequence.
constexpr UINT WM_QUIT_PROGRAM = WM_USER + 34;
// wParam 1: the task bar was created anew; 0: the Windows session ends.
constexpr UINT WM_TASKBAR_OR_END_SESSION = WM_USER + 36;
// Hidden parent to itself: register the program to start with Windows.
constexpr UINT WM_REGISTER_AUTO_START = WM_USER + 55;
// Controller to itself: start the main window's thread. Posted from the
// controller's WM_INITDIALOG, so it is taken after the hidden parent's
// WM_REGISTER_AUTO_START (posted earlier on the same thread): the Run value
// is settled before the main window reads it.
constexpr UINT WM_START_MAIN_WINDOW = WM_USER + 80;
// From the adverts-and-statistics thread (the pairs of the first three live
// beside their payloads' types, in adverts/AdvertsMessages.h).
constexpr UINT WM_MENU_ADVERTS = WM_USER + 65;
constexpr UINT WM_OVERLAY_ADVERTS = WM_USER + 66;
constexpr UINT WM_SLIDE_ADVERTS = WM_USER + 67;
constexpr UINT WM_ADVERTS_FAILED = WM_USER + 68;
constexpr UINT WM_OVERLAY_ADVERT_PLACED = WM_USER + 69;

// The wParam of WM_TRAY_STATE: add the icon; the main window is shown,
// hidden until the next cycle, faded out under the cursor (waiting), paused;
// the program closes; a new slide title.
enum class TrayState : WPARAM
{
    Add = 0,
    Shown = 1,
    Hidden = 2,
    Waiting = 3,
    Paused = 4,
    Closing = 5,
    // lParam a heap MString: the new slide title.
    Title = 6,
};
constexpr WPARAM TrayStateAdd = static_cast<WPARAM>(TrayState::Add);
constexpr WPARAM TrayStateShown = static_cast<WPARAM>(TrayState::Shown);
constexpr WPARAM TrayStateHidden = static_cast<WPARAM>(TrayState::Hidden);
constexpr WPARAM TrayStateWaiting = static_cast<WPARAM>(TrayState::Waiting);
constexpr WPARAM TrayStatePaused = static_cast<WPARAM>(TrayState::Paused);
constexpr WPARAM TrayStateClosing = static_cast<WPARAM>(TrayState::Closing);
constexpr WPARAM TrayStateTitle = static_cast<WPARAM>(TrayState::Title);

inline bool PostTrayTitle(HWND controller, std::unique_ptr<MString> title)
{
    return PostOwned(controller, WM_TRAY_STATE, TrayStateTitle, std::move(title));
}
// The title of a WM_TRAY_STATE; null for the other states.
inline std::unique_ptr<MString> TakeTrayTitle(WPARAM state, LPARAM lParam)
{
    return TakeOwned<MString>(state == TrayStateTitle ? lParam : 0);
}

// ---- To the main window (and to the controller's open dialog) ----
constexpr UINT WM_SHOW_SLIDE_FILE_AGAIN = WM_USER + 6;
// Close request to a dialog or viewer.
constexpr UINT WM_CLOSE_REQUEST = WM_USER + 14;
constexpr UINT WM_SET_SIDE = WM_USER + 15;
constexpr UINT WM_SET_TOPMOST = WM_USER + 4;
constexpr UINT WM_SHOW_SLIDE_PROPERTIES = WM_USER + 18;
constexpr UINT WM_SELECTION_CHANGED = WM_USER + 22;
constexpr UINT WM_NEXT_SLIDE = WM_USER + 23;
constexpr UINT WM_ONLINE_FETCH_ENDED = WM_USER + 25;
// wParam a title's string id and lParam a text's, or wParam NoticeRecord and
// lParam a heap record of title and text.
constexpr UINT WM_NOTICE = WM_USER + 26;
constexpr WPARAM NoticeRecord = static_cast<WPARAM>(-1);
inline bool PostNoticeRecord(HWND mainWindow, std::unique_ptr<Pair<MString, MString>> titleAndText)
{
    return PostOwned(mainWindow, WM_NOTICE, NoticeRecord, std::move(titleAndText));
}
// The record of a WM_NOTICE; null for a notice by string ids.
inline std::unique_ptr<Pair<MString, MString>> TakeNoticeRecord(WPARAM wParam, LPARAM lParam)
{
    return TakeOwned<Pair<MString, MString>>(wParam == NoticeRecord ? lParam : 0);
}
constexpr UINT WM_DIALOG_CLOSED = WM_USER + 27;
constexpr UINT WM_SHOW_HIDE = WM_USER + 28;
constexpr UINT WM_CLOSE_PHOTO_VIEWER = WM_USER + 35;
constexpr UINT WM_OPEN_VIEWER = WM_USER + 37;
constexpr UINT WM_CLOSE_VIEWER = WM_USER + 38;
constexpr UINT WM_BRING_TO_FRONT = WM_USER + 44;
constexpr UINT WM_ANNOUNCE_SLIDE = WM_USER + 46;
constexpr UINT WM_MEDIA_SOURCE_CHANGED = WM_USER + 56;
constexpr UINT WM_SET_ALPHA = WM_USER + 57;
constexpr UINT WM_FLASH_OPAQUE = WM_USER + 58;
constexpr UINT WM_CTRL_OVER_PICTURE = WM_USER + 59;
constexpr UINT WM_PAUSE_RESUME = WM_USER + 60;
constexpr UINT WM_RESTORE_TO_FRONT = WM_USER + 61;
constexpr UINT WM_GALLERY_CHANGED = WM_USER + 62;
constexpr UINT WM_CLOSE_SLIDE_PROPERTIES = WM_USER + 63;
// Sent by the controller before its settings dialog opens: lParam a
// SettingsCopy that the main window fills with its record and display area.
constexpr UINT WM_COPY_SETTINGS = WM_USER + 81;
// The settings dialog's saved copy: lParam a heap SettingsCopy, applied and
// stored by the main window on its own thread (its pair lives beside
// SettingsCopy).
constexpr UINT WM_APPLY_SETTINGS = WM_USER + 82;

// ---- WM_NEXT_SLIDE ----
// wParam: why the slide step runs (the main window's own steps use the
// other modes too).
enum SlideStepMode : int
{
    StepAfterFetch = 0,       // the timer's step after a fetch ended
    StepTimer = 1,            // the timer's ordinary step
    StepSelectionChanged = 2, // the gallery selection changed
    StepUserNext = 3,         // the user asked for the next slide
    StepCheckSelection = 4,   // check the selection (first step of an online source)
};
// lParam: whether the step may show an online slide or only a local one.
enum NextSlideSources : LPARAM
{
    NextSlideLocalOnly = 0,
    NextSlideAnySource = 1,
};

// ---- Controller commands (WM_COMMAND ids) ----
// The tray menu, the main window's context menu and the hot keys send them;
// help on a menu entry is context 65536 + id for ids within this range.
constexpr WORD ID_FIRST_COMMAND = 111;
constexpr WORD ID_MENU_ADVERTS_LINK = 111;
constexpr WORD ID_FIRST_MENU_ADVERT = 112;
constexpr WORD ID_LAST_MENU_ADVERT = 116;
constexpr WORD ID_OVERLAY_ADVERT = 117;
constexpr WORD ID_REMOVE_FROM_GALLERY = 118;
constexpr WORD ID_RESUME = 119;
constexpr WORD ID_PAUSE = 120;
constexpr WORD ID_FILE_PROPERTIES = 122;
constexpr WORD ID_RECYCLE_FILE = 123;
constexpr WORD ID_WIPE_FILE = 124;
constexpr WORD ID_SHOW_IN_FOLDER = 125;
constexpr WORD ID_SHOW_IN_GALLERY = 126;
constexpr WORD ID_EDIT_FILE = 127;
constexpr WORD ID_OPEN_WITH = 128;
constexpr WORD ID_PRINT_FILE = 129;
constexpr WORD ID_SHOW_MAIN_WINDOW = 130;
constexpr WORD ID_HIDE_MAIN_WINDOW = 131;
constexpr WORD ID_SETTINGS = 132;
constexpr WORD ID_GALLERIES = 133;
constexpr WORD ID_ABOUT = 134;
constexpr WORD ID_HELP = 135;
constexpr WORD ID_NEXT_SLIDE = 136;
constexpr WORD ID_NEXT_LOCAL_SLIDE = 137;
constexpr WORD ID_QUIT = 138;
constexpr WORD ID_CHECK_FOR_NEW_RELEASE = 139;
constexpr WORD ID_REOPEN_VIEWER = 140;
constexpr WORD ID_CLOSE_VIEWER = 141;
constexpr WORD ID_ROTATE_90 = 143;
constexpr WORD ID_ROTATE_180 = 144;
constexpr WORD ID_ROTATE_270 = 145;
constexpr WORD ID_CLEAR_READ_ONLY = 146;
constexpr WORD ID_ROTATION_HELP = 147;
constexpr WORD ID_SLIDE_ADVERT = 148;
constexpr WORD ID_VISIT_SITE = 149;
constexpr WORD ID_SEND_FILE = 150;
constexpr WORD ID_SLIDE_PROPERTIES = 151;
constexpr WORD ID_CLOSE_SLIDE_PROPERTIES = 152;
constexpr WORD ID_LAST_COMMAND = 152;

// ---- Reasons of WM_SHOW_HIDE (the low 32 bits of lParam) ----
// Show, slide timer untouched.
constexpr DWORD ShowReasonPlain = 0;
// Show and restart the slide timer.
constexpr DWORD ShowReasonResume = 1;
// Hide and pause the slide timer.
constexpr DWORD ShowReasonHide = 2;
// The presentation's own show, and the end of the shown part of a cycle.
constexpr DWORD ShowReasonPresentation = 3;
constexpr DWORD ShowReasonCycleEnd = 4;
// A controller dialog opens: show and pause the slide timer while it is open.
constexpr DWORD ShowReasonSettings = 0x80000010;
constexpr DWORD ShowReasonGalleries = 0x80000020;
constexpr DWORD ShowReasonAbout = 0x80000030;
constexpr DWORD ShowReasonRelease = 0x80000050;
constexpr DWORD ShowReasonViewer = 0x80000060;
// wParam of WM_SHOW_HIDE: bit 0 shows (clear hides), bit 4 first finishes a
// running cross-fade.
constexpr WPARAM ShowFlagShow = 0x01;
constexpr WPARAM ShowFlagFinishCrossFade = 0x10;

// ---- WM_DIALOG_CLOSED and WM_SELECTION_CHANGED ----
// wParam of WM_DIALOG_CLOSED: the dialog's result code in the low bits, this
// bit when the main window was visible at the opening.
constexpr DWORD DialogClosedWasVisible = 0x80000000;
// The low two bits of that result code, and their value when the program
// itself closed the dialog (quit, hide or the close broadcast).
constexpr DWORD DialogResultBits = 0x3;
constexpr DWORD DialogClosedByProgram = 2;
// lParam of WM_SELECTION_CHANGED when the gallery dialog changed nothing.
constexpr DWORD SelectionUnchanged = 0x40000000;
// Otherwise its change bits: the local selection, the online selection, and
// the content of a selected gallery.
constexpr DWORD SelectionChangedLocal = 0x1;
constexpr DWORD SelectionChangedOnline = 0x2;
constexpr DWORD SelectionChangedContent = 0x4;
// wParam of WM_SELECTION_CHANGED: with this bit the main window posts itself
// WM_DIALOG_CLOSED with the code in the other bits once the step is done.
constexpr DWORD SelectionThenDialogClosed = 0x40000000;
