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

// Settings dialog.
#define IDD_SETTINGS 110
#define IDC_SET_ORDER 201
#define IDC_SET_SIZE_SPIN 202
#define IDC_SET_SIZE 203
#define IDC_SET_OK 206
#define IDC_SET_CANCEL 207
#define IDC_SET_SLIDE_INTERVAL 208
#define IDC_SET_WINDOW_BORDER 209
#define IDC_SET_IMAGE_BORDER 210
#define IDC_SET_SLIDE_INTERVAL_SPIN 211
#define IDC_SET_SLIDE_TIMER 212
#define IDC_SET_SLIDE_DURATION 213
#define IDC_SET_HOT_KEYS 216
#define IDC_SET_LABEL_217 217
#define IDC_SET_LABEL_218 218
#define IDC_SET_AUTO_START 290
#define IDC_SET_CYCLE_LABEL 293
#define IDC_SET_INTERVAL_A 294
#define IDC_SET_INTERVAL_A_SPIN 295
#define IDC_SET_SHOWN_LABEL 296
#define IDC_SET_INTERVAL_B_SPIN 297
#define IDC_SET_INTERVAL_B 298
#define IDC_SET_ANCHOR 299
#define IDC_SET_SLIDE_UNIT 300
#define IDC_SET_UNIT_A 301
#define IDC_SET_UNIT_B 302
#define IDC_SET_VIEWER_OPTION 303
#define IDC_SET_IDLE 304
#define IDC_SET_SCREEN_SAVER 305
#define IDC_SET_IDLE_SPIN 306
#define IDC_SET_IDLE_TEXT 307
#define IDC_SET_LOCK 308
#define IDC_SET_IDLE_LABEL 309
#define IDC_SET_TRANSPARENCY_SPIN 310
#define IDC_SET_TRANSPARENCY 311
#define IDC_SET_LABEL_312 312
#define IDC_SET_TRAY_ICON 313
#define IDC_SET_SLIDE_LABEL 314
#define IDC_SET_MODE 315
// Window and picture borders: none, thin border, dialog frame, modal frame.
#define IDS_BORDER_NONE 104
#define IDS_BORDER_THIN 105
#define IDS_BORDER_DIALOG 106
#define IDS_BORDER_MODAL 107
// Order of display, anchor corner, operation modes, screen-saver modes.
#define IDS_ORDER_RANDOM 387
#define IDS_ORDER_BY_NAME 578
#define IDS_ANCHOR_AUTOMATIC 506
#define IDS_ANCHOR_TOP_LEFT 507
#define IDS_ANCHOR_TOP_RIGHT 508
#define IDS_ANCHOR_BOTTOM_LEFT 509
#define IDS_ANCHOR_BOTTOM_RIGHT 510
#define IDS_MODE_FADE_ON_HOVER 487
#define IDS_MODE_FADE_ON_CTRL_HOVER 488
#define IDS_MODE_CYCLE_FADE_ON_HOVER 489
#define IDS_MODE_CYCLE_FADE_ON_CTRL_HOVER 490
#define IDS_MODE_APP_WINDOW 538
#define IDS_MODE_TOOL_WINDOW 540
#define IDS_SAVER_OFF 474
#define IDS_SAVER_SPAN_FIT 475
#define IDS_SAVER_SPAN_FILL 476
#define IDS_SAVER_EACH_FIT 477
#define IDS_SAVER_EACH_FILL 478
#define IDS_SAVER_PRIMARY_FIT 479
#define IDS_SAVER_PRIMARY_FILL 480
// Time units, and durations beside the interval and idle edits.
#define IDS_UNIT_SECONDS 565
#define IDS_UNIT_MINUTES 284
#define IDS_IDLE_DAYS 285
#define IDS_IDLE_HOURS 286
#define IDS_DURATION_DAYS 357
#define IDS_DURATION_HOURS 566
#define IDS_DURATION_MINUTES_SECONDS 568
#define IDS_DURATION_HOURS_SECONDS 569
// Title and the balloon tips.
#define IDS_SETTINGS_TITLE 275
#define IDS_TIP_SIZE 313
#define IDS_TIP_WINDOW_BORDER 314
#define IDS_TIP_IMAGE_BORDER 315
#define IDS_TIP_SLIDE_INTERVAL 316
#define IDS_TIP_TRANSPARENCY 483
#define IDS_TIP_ORDER 484
#define IDS_TIP_SCREEN_SAVER 485
#define IDS_TIP_IDLE 486
#define IDS_TIP_INTERVAL_A 491
#define IDS_TIP_INTERVAL_B 492
#define IDS_TIP_MODE 499
#define IDS_TIP_ANCHOR 511
#define IDS_TIP_SLIDE_UNIT 567
#define IDS_TIP_UNIT_A 571
#define IDS_TIP_UNIT_B 572
// Checks of the confirm.
#define IDS_SIZE_EMPTY 182
#define IDS_SIZE_RANGE 181
#define IDS_SIZE_TOO_SMALL 573
#define IDS_TRANSPARENCY_EMPTY 455
#define IDS_TRANSPARENCY_RANGE 454
#define IDS_SLIDE_INTERVAL_EMPTY 175
#define IDS_SLIDE_INTERVAL_RANGE 183
#define IDS_IDLE_EMPTY 481
#define IDS_IDLE_RANGE 482
#define IDS_INTERVAL_A_EMPTY 493
#define IDS_INTERVAL_A_RANGE 494
#define IDS_INTERVAL_B_EMPTY 495
#define IDS_INTERVAL_B_RANGE 496
#define IDS_INTERVAL_A_NOT_LONGER 500

// Hot keys.
#define IDD_HOT_KEYS 108
#define IDC_HOT_KEY_6_LABEL 340
#define IDC_HOT_KEY_5 341
#define IDC_HOT_KEY_5_LABEL 342
#define IDC_HOT_KEY_6 347
#define IDC_HOT_KEY_6B_LABEL 348
#define IDC_HOT_KEY_2 353
#define IDC_HOT_KEY_2_LABEL 354
#define IDC_HOT_KEYS_OK 362
#define IDC_HOT_KEYS_CANCEL 363
#define IDC_HOT_KEY_7_LABEL 364
#define IDC_HOT_KEY_7 365
#define IDC_HOT_KEY_8_LABEL 366
#define IDC_HOT_KEY_4_LABEL 367
#define IDC_HOT_KEY_4 368
#define IDC_HOT_KEY_8 369
#define IDC_HOT_KEYS_CTRL 371
#define IDC_HOT_KEYS_ALT 372
#define IDC_HOT_KEYS_SHIFT 373
#define IDC_HOT_KEY_3 374
#define IDS_HOT_KEYS_TITLE 395
#define IDS_KEY_NONE 396
#define IDS_KEY_NUMPAD 397
#define IDS_HOT_KEYS_ONE_MODIFIER 399
#define IDS_HOT_KEYS_DUPLICATE 400
#define IDS_HOT_KEYS_REFUSED 401
#define IDS_HOT_KEYS_SHIFT_ONLY 404
#define IDS_KEY_LEFT 405
#define IDS_KEY_UP 406
#define IDS_KEY_RIGHT 407
#define IDS_KEY_DOWN 408
#define IDS_KEY_HELP 409
#define IDS_KEY_APPS 410
#define IDS_KEY_BROWSER_FIRST 411
#define IDS_KEY_OEM_8 429
#define IDS_KEY_BACKSPACE 430
#define IDS_KEY_SPACE 431
#define IDS_KEY_TAB 432
#define IDS_KEY_ENTER 433
#define IDS_KEY_SELECT 434
#define IDS_KEY_PRINT 435
#define IDS_KEY_CLEAR 436
#define IDS_KEY_EXECUTE 437

// About box.
#define IDD_ABOUT_BOX 114
#define IDC_ABOUT_LOGO 233
#define IDC_ABOUT_TEXT_FIRST 234
#define IDC_ABOUT_HEADING 234
#define IDC_ABOUT_TEXT_236 236
#define IDC_ABOUT_LINK_1 238
#define IDC_ABOUT_LINK_2 241
#define IDC_ABOUT_TEXT_243 243
#define IDC_ABOUT_TEXT_LAST 243
#define IDC_ABOUT_LANGUAGE 247
#define IDC_ABOUT_NAME 249
#define IDC_ABOUT_VERSION 250
#define IDC_ABOUT_COPYRIGHT_BEFORE 252
#define IDC_ABOUT_COPYRIGHT_MAKER 253
#define IDC_ABOUT_COPYRIGHT_AFTER 254
#define IDC_ABOUT_CLOSING 255
#define IDC_ABOUT_FOCUS 257
#define IDS_ABOUT_LOGO_LINK 76
#define IDS_ABOUT_LINK_1 77
#define IDS_ABOUT_LINK_1_TEXT 78
#define IDS_ABOUT_LINK_2 79
#define IDS_ABOUT_LINK_2_TEXT 80
#define IDS_ABOUT_MAKER_LINK 81
#define IDS_ABOUT_TITLE 185
#define IDS_ABOUT_CLOSING 187
#define IDS_ABOUT_VERSION 188

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
