// Numbers of the resources that Quillory Window carries itself (its icons
// and artwork), shared by its resource script and the C++ code. Keep it to
// #define lines.
#pragma once

// Tray icon families, each with the variant shown while a new release waits.
#define IDI_PROGRAM 100
#define IDI_BUSY 124
#define IDI_SHOWN_NEW_RELEASE 126
#define IDI_BUSY_NEW_RELEASE 127
#define IDI_HIDDEN 177
#define IDI_HIDDEN_NEW_RELEASE 178

// Card artwork (resource type "PNG"): the base of every status card and
// the art of the status card, then the cards of text and media slides.
#define IDP_CARD_BASE 126
#define IDP_STATUS_ART 130
// The about box's logo.
#define IDP_LOGO 127
#define IDP_TEXT_CARD 133
#define IDP_MEDIA_CARD 134
#define IDP_WEB_CARD 138

// The gallery dialog: thumbnail fall-backs (PNG) for a file, a failure and a
// folder, and the thumbnail of audio and video files.
#define IDP_FILE_THUMBNAIL 131
#define IDP_FAILURE_THUMBNAIL 132
#define IDP_FOLDER_THUMBNAIL 135
#define IDP_MEDIA_THUMBNAIL 137

// The gallery dialog's buttons and context menu (icons).
#define IDI_ADD_FILES 103
#define IDI_REMOVE_FILES 104
#define IDI_COPY_FILES 105
#define IDI_PASTE_FILES 106
#define IDI_OPEN_FILES 107
#define IDI_EDIT_FILES 108
#define IDI_SELECT_FILES 109
#define IDI_REFRESH_FILES 110
#define IDI_RENAME_FILE 125
#define IDI_ADD_FOLDER 151
#define IDI_ROTATE 153
#define IDI_ROTATE_90 154
#define IDI_ROTATE_180 155
#define IDI_ROTATE_270 156
#define IDI_ROTATE_LEFT 157
#define IDI_ROTATE_HALF 158
#define IDI_ROTATE_RIGHT 159
#define IDI_ROTATE_HELP 161
#define IDI_SHOW_IN_EXPLORER 164
#define IDI_FILE_PROPERTIES 176
#define IDI_PLAY_FILE 181

// Drag cursors of the gallery's file list: move, copy, no drop.
#define IDC_DRAG_MOVE 175
#define IDC_DRAG_COPY 176
#define IDC_DRAG_NONE 177
