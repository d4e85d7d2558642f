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
// The badge beside an overlay advert in the photo viewer.
#define IDP_ADVERT_BADGE 129

// The icons of the tray menu's entries (art/menu/, make-menu-icons.sh); the
// title line shows IDI_PROGRAM.
#define IDI_MENU_EXIT 101
#define IDI_MENU_GALLERIES 102
#define IDI_MENU_EDIT 108
#define IDI_MENU_SHOW 111
#define IDI_MENU_HIDE 112
#define IDI_MENU_SETTINGS 113
#define IDI_MENU_ABOUT 114
#define IDI_MENU_HELP 115
#define IDI_MENU_NEXT_SLIDE 116
#define IDI_MENU_NEXT_LOCAL_SLIDE 117
#define IDI_MENU_NEW_RELEASE 128
#define IDI_MENU_OPEN_VIEWER 129
#define IDI_MENU_CLOSE_VIEWER 130
#define IDI_MENU_ROTATE 153
#define IDI_MENU_ROTATE_RIGHT 154
#define IDI_MENU_ROTATE_HALF 155
#define IDI_MENU_ROTATE_LEFT 156
#define IDI_MENU_TURN_LEFT 157
#define IDI_MENU_TURN_HALF 158
#define IDI_MENU_TURN_RIGHT 159
#define IDI_MENU_CLEAR_READ_ONLY 160
#define IDI_MENU_ROTATION_HELP 161
#define IDI_MENU_SLIDE_ADVERT 162
#define IDI_MENU_VISIT_SITE 163
#define IDI_MENU_CURRENT_FILE 166
#define IDI_MENU_RECYCLE 167
#define IDI_MENU_WIPE 168
#define IDI_MENU_SHOW_IN_FOLDER 169
#define IDI_MENU_SHOW_IN_GALLERY 170
#define IDI_MENU_OPEN 171
#define IDI_MENU_FILE_OPERATIONS 172
#define IDI_MENU_OPEN_WITH 174
#define IDI_MENU_PRINT 175
#define IDI_MENU_PROPERTIES 176
#define IDI_MENU_RESUME 179
#define IDI_MENU_PAUSE 180
#define IDI_MENU_REMOVE_FROM_GALLERY 182
#define IDI_MENU_SEND 183
#define IDI_MENU_SEND_MAIL 184
// The five menu-advert slots' icons.
#define IDI_MENU_ADVERT_1 185
#define IDI_MENU_ADVERT_2 186
#define IDI_MENU_ADVERT_3 187
#define IDI_MENU_ADVERT_4 188
#define IDI_MENU_ADVERT_5 189
#define IDI_MENU_ADVERT_TITLE 190
#define IDI_MENU_OVERLAY_ADVERT 191
#define IDI_MENU_SLIDE_PROPERTIES 192
#define IDI_MENU_CLOSE_SLIDE_PROPERTIES 193

// The gallery dialog: thumbnail fall-backs (PNG) for a file, a failure and a
// folder, and the thumbnail of audio and video files.
#define IDP_FILE_THUMBNAIL 131
#define IDP_FAILURE_THUMBNAIL 132
#define IDP_FOLDER_THUMBNAIL 135
#define IDP_MEDIA_THUMBNAIL 137

// The gallery dialog's buttons and context menu (icons); where the program
// has one icon for a menu entry and a button, both names give it.
#define IDI_ADD_FILES 103
#define IDI_REMOVE_FILES 104
#define IDI_COPY_FILES 105
#define IDI_PASTE_FILES 106
#define IDI_OPEN_FILES 107
#define IDI_EDIT_FILES IDI_MENU_EDIT
#define IDI_SELECT_FILES 109
#define IDI_REFRESH_FILES 110
#define IDI_RENAME_FILE 125
#define IDI_ADD_FOLDER 151
#define IDI_ROTATE IDI_MENU_ROTATE
#define IDI_ROTATE_90 IDI_MENU_ROTATE_RIGHT
#define IDI_ROTATE_180 IDI_MENU_ROTATE_HALF
#define IDI_ROTATE_270 IDI_MENU_ROTATE_LEFT
#define IDI_ROTATE_LEFT IDI_MENU_TURN_LEFT
#define IDI_ROTATE_HALF IDI_MENU_TURN_HALF
#define IDI_ROTATE_RIGHT IDI_MENU_TURN_RIGHT
#define IDI_ROTATE_HELP IDI_MENU_ROTATION_HELP
#define IDI_SHOW_IN_EXPLORER 164
#define IDI_FILE_PROPERTIES IDI_MENU_PROPERTIES
#define IDI_PLAY_FILE 181

// Drag cursors of the gallery's file list: move, copy, no drop.
#define IDC_DRAG_MOVE 175
#define IDC_DRAG_COPY 176
#define IDC_DRAG_NONE 177
