// Numbers of the language modules: document viewers (see LanguageIds.h).
#pragma once

#define IDD_RICH_TEXT 112
#define IDC_RICH_TEXT 270
#define IDD_LARGE_PHOTO 113

// Reading a document file.
#define IDS_DOCUMENT_TOO_LARGE 301
#define IDS_DOCUMENT_UNREADABLE 302
#define IDS_DOCUMENT_FAILED 303
// A viewer's library cannot be loaded (formatted with the library name).
#define IDS_VIEWER_LIBRARY_MISSING 304
// The photo viewer cannot scale the picture.
#define IDS_PHOTO_SCALING_FAILED 294

// The web-document viewer and the slide-properties window.
#define IDD_BROWSER 115
#define IDC_BROWSER 200
#define IDS_SLIDE_PROPERTIES 747
#define IDS_SLIDE_PROPERTIES_LINK_TIP 757
#define IDS_ONLINE_DOCUMENT_FAILED 306
#define IDS_SLIDE_PROPERTIES_FAILED 748

// The media-player viewer.
#define IDD_MEDIA_PLAYER 117
#define IDC_MEDIA_HOST 271
#define IDS_MEDIA_PLAYER_FAILED 228
#define IDS_MEDIA_SUBTITLE 296
#define IDS_MEDIA_OPEN_FAILED 298
#define IDS_MEDIA_PLAY_FAILED 299
#define IDS_MEDIA_PAUSE_FAILED 300
