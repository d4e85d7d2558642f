// Numbers of the dialog templates, controls and strings of the language
// modules ("Resources EN US.dll", "Resources BG BG.dll"). The program refers
// to their contents only by these numbers. Shared by the resource scripts and
// the C++ code; keep it to #define lines. One section per subsystem: a new
// feature adds its numbers to its subsystem's section.
#pragma once

// ---- Application shell --------------------------------------------------

// Captions and program names.
#define IDS_PRODUCT_CAPTION 70
#define IDS_PRODUCT_NAME 71

// Message-box buttons, in control-id order: string = control id + 257.
#define IDS_BUTTON_OK 258
#define IDS_BUTTON_CANCEL 259
#define IDS_BUTTON_ABORT 260
#define IDS_BUTTON_RETRY 261
#define IDS_BUTTON_IGNORE 262
#define IDS_BUTTON_YES 263
#define IDS_BUTTON_NO 264
#define IDS_BUTTON_CLOSE 265
#define IDS_BUTTON_HELP 266

// Edit context menu: labels and shortcut texts.
#define IDS_EDIT_DELETE_SHORTCUT 147
#define IDS_EDIT_COPY 148
#define IDS_EDIT_COPY_SHORTCUT 149
#define IDS_EDIT_PASTE 150
#define IDS_EDIT_PASTE_SHORTCUT 151
#define IDS_EDIT_UNDO 191
#define IDS_EDIT_UNDO_SHORTCUT 192
#define IDS_EDIT_CUT 193
#define IDS_EDIT_CUT_SHORTCUT 194
#define IDS_EDIT_SELECT_ALL 195
#define IDS_EDIT_SELECT_ALL_SHORTCUT 196
#define IDS_EDIT_DELETE 199

// Wait dialog.
#define IDD_WAIT 105
#define IDC_WAIT_ICON 490
#define IDC_WAIT_ELAPSED 491
#define IDC_WAIT_MESSAGE 492
#define IDC_WAIT_CANCEL 493
#define IDS_WAIT_ELAPSED 359
#define IDS_WAIT_QUESTION 370
#define IDS_WAIT_LOADING_PROPERTIES 444
#define IDS_WAIT_STARTING 758

// Controller: the hidden parent window and the controller dialog.
#define IDD_HIDDEN_PARENT 102
#define IDD_CONTROLLER 103

// The controller's commands: the menu-adverts site link and the help topic
// folder of the rotation help.
#define IDS_SITE_LINK 73
#define IDS_HELP_TOPIC_FOLDER 386
// Slide properties offered for online slides only.
#define IDS_NOTICE_NO_PROPERTIES_FOR_FILE 752
#define IDS_NOTICE_NO_PROPERTIES_FOR_SLIDE 753

// Start-up and failures.
#define IDS_ANOTHER_COPY_RUNS 119
#define IDS_COM_FAILED 174
#define IDS_COM_SECURITY_FAILED 337
#define IDS_PROGRAM_FAILED 293
#define IDS_TRAY_ICON_REFUSED 256

// Tray icon tooltips (formatted with IDS_PRODUCT_NAME) and their suffix.
#define IDS_TRAY_SHOWN 115
#define IDS_TRAY_PAUSED 225
#define IDS_TRAY_STARTING 340
#define IDS_TRAY_WAITING 544
#define IDS_TRAY_HIDDEN 545
#define IDS_TRAY_CLOSING 546
#define IDS_TRAY_NEW_RELEASE 236

// ---- Slide-show main window ---------------------------------------------

#define IDD_MAIN 109
#define IDC_MAIN_PICTURE 190

// Tracking tooltip: titles and the texts the window loads at construction.
#define IDS_NOTICE_BUSY_TITLE 328
#define IDS_NOTICE_BUSY 327
#define IDS_NOTICE_TITLE_377 377
#define IDS_NOTICE_378 378
#define IDS_NOTICE_379 379
#define IDS_NOTICE_FADE_TITLE 381
#define IDS_NOTICE_FADE_RUNNING 382
#define IDS_NOTICE_442 442
#define IDS_NOTICE_PROPERTIES_TITLE 402
#define IDS_NOTICE_403 403
#define IDS_NOTICE_440 440
#define IDS_NOTICE_TITLE_438 438
#define IDS_NOTICE_439 439
#define IDS_NOTICE_COMMAND_TITLE 443
#define IDS_NOTICE_287 287
#define IDS_NOTICE_332 332
#define IDS_NOTICE_NO_PROPERTIES 441
#define IDS_NOTICE_NO_GALLERY 448
#define IDS_NOTICE_NO_OTHER_SLIDES 449
#define IDS_NOTICE_452 452
#define IDS_NOTICE_451 451
#define IDS_NOTICE_GALLERY_TITLE 468
#define IDS_NOTICE_469 469
#define IDS_NOTICE_470 470
#define IDS_NOTICE_471 471
#define IDS_NOTICE_472 472
#define IDS_NOTICE_NOT_IN_GALLERY 563
#define IDS_STARTUP_NOTICE_TITLE 548
#define IDS_SLIDE_TOOLTIP 581

// Status cards and the preview card.
#define IDS_CARD_CAPTION 50
#define IDS_PREVIEW_CARD 103
#define IDS_ONLINE_SLIDE_WAITING 114
#define IDS_CARD_TITLE 247
#define IDS_CARD_TOOLTIP 580

// The slide step: status cards, the busy titles and the texts of the
// states of an online fetch.
#define IDS_CARD_NOTHING_PREPARED 223
#define IDS_CARD_NOTHING_SHOWABLE 224
#define IDS_CARD_NO_ONLINE_GALLERY 226
#define IDS_CARD_NO_SELECTION 233
#define IDS_CARD_STEP_FAILED 246
#define IDS_CARD_ONLY_ONE_FILE 325
#define IDS_CARD_NO_EARLIER_FILE 330
#define IDS_NOTICE_LOCAL_BUSY_TITLE 360
#define IDS_NOTICE_ONLINE_BUSY_TITLE 361
#define IDS_ONLINE_NO_CONNECTION 190
#define IDS_ONLINE_REFUSED 218
#define IDS_ONLINE_LOADING 235
#define IDS_ONLINE_SERVER_ERROR 238
#define IDS_ONLINE_GALLERY_EMPTY 240
#define IDS_ONLINE_GALLERY_MISSING 241
#define IDS_ONLINE_FILTER_EMPTY 242
#define IDS_ONLINE_NO_FURTHER_SLIDE 243
#define IDS_ONLINE_REPLY_UNREADABLE 245
#define IDS_ONLINE_REQUEST_FAILED 248
#define IDS_ONLINE_SECURE_FAILED 344
#define IDS_ONLINE_REPLY_DAMAGED 345
#define IDS_ONLINE_UPGRADE_NEEDED 356
#define IDS_ONLINE_PREPARING 453
// A received slide that cannot be shown: no content (358), a picture that
// cannot be decoded (234), a slide of a file that cannot be decoded (547).
#define IDS_ONLINE_SLIDE_UNREADABLE 234
#define IDS_ONLINE_SLIDE_EMPTY 358
#define IDS_FILE_SLIDE_UNREADABLE 547
// The tray tooltip of an advert slide.
#define IDS_ADVERT_TOOLTIP 583

// ---- Server communication ----------------------------------------------

// A server reply that cannot be read: failure code and location (362); a
// server document that cannot be read: code, location and detail (385).
#define IDS_SERVER_REPLY_MALFORMED 362
#define IDS_SERVER_DOCUMENT_MALFORMED 385
// The worker's report of an unexpected failure (197, formatted with the
// product caption 70).
#define IDS_DOWNLOAD_UNEXPECTED_FAILURE 197
// The credits line of an online slide: creator, editor, approver.
#define IDS_SLIDE_CREDITS 863
// Labels of the fixed rows of the slide-properties window, the text of an
// empty value, and the three words of the fourth row's value.
#define IDS_CONTENT_ROW_FIRST 745
#define IDS_CONTENT_ROW_SECOND 746
#define IDS_CONTENT_ROW_THIRD 861
#define IDS_CONTENT_ROW_FOURTH 754
#define IDS_CONTENT_ROW_LAST 862
#define IDS_CONTENT_VALUE_EMPTY 749
#define IDS_CONTENT_VALUE_OMITTED 755
#define IDS_CONTENT_VALUE_DISABLED 756

// ---- Document viewers ---------------------------------------------------

// Reading a document file.
#define IDS_DOCUMENT_TOO_LARGE 301
#define IDS_DOCUMENT_UNREADABLE 302

// The web-document viewer and the slide-properties window.
#define IDS_SLIDE_PROPERTIES 747
#define IDS_SLIDE_PROPERTIES_LINK_TIP 757

// ---- Gallery selection --------------------------------------------------

#define IDD_SELECTED_FILES 111

// Saving a gallery and choosing the gallery in use.
#define IDS_GALLERY_NO_NAME 560
#define IDS_GALLERY_SAVE_FAILED 561
#define IDS_GALLERY_EMPTY 283
#define IDS_GALLERY_ONLY_ENTRY_FAILED 217
#define IDS_GALLERY_ALL_ENTRIES_FAILED 331
#define IDS_GALLERY_ONE_ENTRY_FAILED 290
#define IDS_GALLERY_SOME_ENTRIES_FAILED 289

// Why a gallery entry is refused.
#define IDS_SCAN_NOT_FOUND 133
#define IDS_SCAN_UNSUPPORTED 138
#define IDS_SCAN_TOO_SMALL 288
#define IDS_SCAN_WINDOWS_FOLDER 322
#define IDS_SCAN_PROGRAMS_FOLDER 324
#define IDS_SCAN_HIDDEN 333

// ---- Settings dialogs ---------------------------------------------------

// Settings dialog and about box.
#define IDD_SETTINGS 110
#define IDD_ABOUT_BOX 114

// Introduction.
#define IDD_INTRODUCTION 101
#define IDC_INTRO_BACKGROUND 400
#define IDC_INTRO_TITLE 401
#define IDC_INTRO_TEXT 402
#define IDC_INTRO_PICTURE 403
#define IDC_INTRO_SUBTITLE 404
#define IDC_INTRO_DETAILS 410
#define IDC_INTRO_CHECK 411
#define IDC_INTRO_CONTINUE 412
#define IDP_INTRO_PICTURE 136
#define IDS_INTRO_TITLE 237
#define IDS_INTRO_TEXT 536
#define IDS_INTRO_SUBTITLE 537
#define IDS_INTRO_DETAILS 570

// Language choice.
#define IDD_LANGUAGE 106
#define IDC_LANGUAGE_LABEL 420
#define IDC_LANGUAGE_LIST 421
#define IDC_LANGUAGE_OK 422
#define IDC_LANGUAGE_CANCEL 423
#define IDC_LANGUAGE_FOCUS 424
#define IDS_LANGUAGE_CONFIRM 254
#define IDS_LANGUAGE_SAVE_FAILED 255
#define IDS_LANGUAGE_TITLE 257

// ---- Release check and upgrade -------------------------------------------

#define IDD_CHECK_FOR_NEW_RELEASE 104
