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

// The tray menu: entries (the title lines are formatted with IDS_PRODUCT_NAME;
// the file-operations popup shares IDS_EDIT_DELETE).
#define IDS_MENU_EXIT 101
#define IDS_MENU_GALLERIES 102
#define IDS_MENU_NEXT_SLIDE 113
#define IDS_MENU_OPEN_VIEWER 126
#define IDS_MENU_EDIT 153
#define IDS_MENU_SHOW 176
#define IDS_MENU_HIDE 177
#define IDS_MENU_SETTINGS 178
#define IDS_MENU_ABOUT 179
#define IDS_MENU_HELP 180
#define IDS_MENU_NEXT_LOCAL_SLIDE 184
#define IDS_MENU_NEW_RELEASE 222
#define IDS_MENU_CLOSE_VIEWER 267
#define IDS_MENU_PROPERTIES 335
#define IDS_MENU_REMOVE_FROM_GALLERY 342
#define IDS_MENU_ROTATE_RIGHT 364
#define IDS_MENU_ROTATE_HALF 365
#define IDS_MENU_ROTATE_LEFT 366
#define IDS_MENU_TURN_LEFT 367
#define IDS_MENU_TURN_HALF 368
#define IDS_MENU_TURN_RIGHT 369
#define IDS_MENU_CLEAR_READ_ONLY 380
#define IDS_MENU_ROTATION_HELP 383
#define IDS_MENU_SLIDE_ADVERT 384
#define IDS_MENU_CURRENT_FILE 456
#define IDS_MENU_OPEN 457
#define IDS_MENU_PRINT 458
#define IDS_MENU_RECYCLE 459
#define IDS_MENU_WIPE 460
#define IDS_MENU_SHOW_IN_FOLDER 461
#define IDS_MENU_SHOW_IN_GALLERY 462
#define IDS_MENU_OPEN_WITH 464
#define IDS_MENU_ROTATE 465
#define IDS_MENU_RECYCLE_CONFIRM 466
#define IDS_MENU_WIPE_CONFIRM 467
#define IDS_MENU_SLIDE_PROPERTIES 473
#define IDS_MENU_PAUSE 501
#define IDS_MENU_RESUME 502
#define IDS_MENU_TITLE 503
#define IDS_MENU_TITLE_PAUSED 504
#define IDS_MENU_REMOVE_CONFIRM 562
#define IDS_MENU_SEND 574
#define IDS_MENU_SEND_MAIL 575
#define IDS_MENU_CLOSE_SLIDE_PROPERTIES 751
#define IDS_MENU_VISIT_SITE 72
// The commands on the current file: the slide changed (title
// IDS_NOTICE_FADE_TITLE); a shell verb, the open-with dialog or the e-mail
// failed (title IDS_FILE_COMMAND_FAILED); the e-mail's note text.
#define IDS_NOTICE_SLIDE_REPLACED 505
#define IDS_FILE_COMMAND_FAILED 239
#define IDS_SHELL_VERB_FAILED 155
#define IDS_OPEN_WITH_FAILED 463
#define IDS_MAIL_FAILED 576
#define IDS_MAIL_NOTE 577

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

// The gallery dialog: controls. The online half (502, 503, 504, 520 to
// 526) belongs to the online gallery choice.
#define IDC_SOURCE_LABEL 500
#define IDC_MEDIA_SOURCE 501
#define IDC_ONLINE_LABEL 502
#define IDC_ONLINE_GALLERY 503
#define IDC_FILTER_SWITCH 504
#define IDC_LOCAL_GALLERY 505
#define IDC_NEW_GALLERY 506
#define IDC_RENAME_GALLERY 507
#define IDC_DELETE_GALLERY 508
#define IDC_FILE_LIST 509
#define IDC_ADD_FILES 510
#define IDC_ADD_FOLDER 511
#define IDC_REMOVE_FILES 512
#define IDC_FILE_COUNT 513
#define IDC_THUMBNAIL_SIZE 514
#define IDC_THUMBNAIL_LABEL 515
#define IDC_THUMBNAIL_UNIT 516
#define IDC_SIZE_GRIP 517
#define IDC_SELECTION_OK 518
#define IDC_SELECTION_CANCEL 519
#define IDC_FILTER_NOTICE 520
#define IDC_CONJUNCTION_FIRST 521
#define IDC_CONJUNCTION_LAST 524
#define IDC_FILTER_LABEL 525
#define IDC_RELOAD_PROPERTIES 526

// The gallery dialog: caption, sources, tooltips, column headers.
#define IDS_SELECTION_CAPTION 116
#define IDS_SOURCE_ONLINE 826
#define IDS_SOURCE_LOCAL 827
#define IDS_TIP_RELOAD_PROPERTIES 859
#define IDS_TIP_FILTER_SWITCH 860
#define IDS_TIP_CONJUNCTION 343
#define IDS_TIP_MEDIA_SOURCE 308
#define IDS_TIP_ONLINE_GALLERY 309
#define IDS_TIP_LOCAL_GALLERY 549
#define IDS_TIP_NEW_GALLERY 550
#define IDS_TIP_RENAME_GALLERY 552
#define IDS_TIP_DELETE_GALLERY 551
#define IDS_TIP_FILE_LIST 311
#define IDS_TIP_ADD_FILES 295
#define IDS_TIP_ADD_FOLDER_OLD 297
#define IDS_TIP_ADD_FOLDER 321
#define IDS_TIP_REMOVE_FILES 305
#define IDS_TIP_THUMBNAIL_SIZE 307
#define IDS_COLUMN_NAME 110
#define IDS_COLUMN_STATUS 271
#define IDS_COLUMN_KIND 372
#define IDS_COLUMN_WIDTH 140
#define IDS_COLUMN_HEIGHT 172
#define IDS_COLUMN_DURATION 227
#define IDS_COLUMN_TYPE 111
#define IDS_COLUMN_SIZE 130
#define IDS_COLUMN_FOLDER 129
#define IDS_SYSMENU_RELOAD_PROPERTIES 216
#define IDS_NO_ONLINE_GALLERY_CHOSEN 221
#define IDS_ONLINE_GALLERY_PLACEHOLDER 249

// Adding files and folders.
#define IDS_ADD_FILES_TITLE 136
#define IDS_ADD_FILES_BUTTON 319
#define IDS_ADD_FILES_TOO_MANY 137
#define IDS_ADD_FOLDER_TITLE 274
#define IDS_ADD_FOLDER_BUTTON 318
#define IDS_BROWSE_FOLDER_TITLE 312

// Gallery commands and the name dialog.
#define IDD_LOCAL_GALLERY_NAME 100
#define IDC_NAME_PROMPT 530
#define IDC_NAME_EDIT 531
#define IDC_NAME_OK 532
#define IDC_NAME_CANCEL 533
#define IDS_NAME_PROMPT_NEW 553
#define IDS_NAME_PROMPT_RENAME 554
#define IDS_NAME_NOT_PRINTABLE 555
#define IDS_NAME_BACKSLASH 556
#define IDS_NAME_EMPTY 557
#define IDS_NAME_EXISTS 558
#define IDS_NAME_CASE_ONLY 339
#define IDS_GALLERY_CREATE_FAILED 559
#define IDS_GALLERY_RENAME_FAILED 338
#define IDS_GALLERY_DELETE_FAILED 564
#define IDS_FILE_NAME_EMPTY 160
#define IDS_FILE_NAME_FORBIDDEN 161
#define IDS_FILE_NAME_DOTS 162
#define IDS_FILE_NAME_LEADING_DOT 163
#define IDS_FILE_NAME_TRAILING_DOT 164
#define IDS_FILE_NAME_DEVICE 165
#define IDS_FILE_NAME_TOO_LONG 166
#define IDS_FILE_NAME_EXISTS 167
#define IDS_FILE_NAME_HINT 168
#define IDS_FILE_EXTENSION_CHANGE 169
#define IDS_FILE_RENAME_FAILED 170
#define IDS_FILE_RENAME_STORE_FAILED 171

// The scan: reports, summaries and the columns' texts.
#define IDS_SCAN_SUMMARY_LIST 131
#define IDS_SCAN_SUMMARY_LINE 132
#define IDS_SCAN_FOLDERS_MERGED 139
#define IDS_SCAN_SOME_FAILED 230
#define IDS_SCAN_NO_THUMBNAIL 231
#define IDS_IMAGE_LIST_FAILED 232
#define IDS_SCAN_SUMMARY_OTHERS 252
#define IDS_SCAN_NO_TYPE 270
#define IDS_STATUS_OK 272
#define IDS_STATUS_MISSING 273
#define IDS_STATUS_NO_TYPE 276
#define IDS_SCAN_ONE_FAILED 291
#define IDS_STATUS_PROTECTED 323
#define IDS_STATUS_HIDDEN 334
#define IDS_KIND_PICTURE 373
#define IDS_KIND_MEDIA 374
#define IDS_KIND_DOCUMENT 375
#define IDS_SCAN_CDROM_QUESTION 579
#define IDS_COUNT_SELECTED 173
#define IDS_COUNT_ADDING_SELECTED 277
#define IDS_COUNT_SCANNING_SELECTED 278
#define IDS_COUNT_ADDING 279
#define IDS_COUNT_SCANNING 280

// Rotation, the clipboard, the list's commands. The entries the list shares
// with the tray menu (edit, properties, the six turns, their help, the
// failed verb) are the tray menu's strings.
#define IDS_ROTATE_FAILED 371
#define IDS_COPY_FAILED 143
#define IDS_PASTE_FAILED 144
#define IDS_MENU_RENAME 108
#define IDS_MENU_RENAME_SHORTCUT 109
#define IDS_MENU_ADD_FILES 145
#define IDS_MENU_REMOVE 146
#define IDS_LIST_MENU_OPEN 152
#define IDS_VERB_QUESTION 154
#define IDS_VERB_FAILED_LAST IDS_SHELL_VERB_FAILED
#define IDS_VERB_FAILED 156
#define IDS_MENU_INVERT 157
#define IDS_MENU_REFRESH 158
#define IDS_MENU_REFRESH_SHORTCUT 159
#define IDS_MENU_SELECT_ALL 281
#define IDS_MENU_SELECT_NONE 282
#define IDS_MENU_ADD_FOLDER_OLD 317
#define IDS_MENU_ADD_FOLDER 320
#define IDS_LIST_MENU_ROTATE 363
#define IDS_MENU_SHOW_IN_EXPLORER 392
#define IDS_EXPLORER_QUESTION 393
#define IDS_EXPLORER_FAILED 394
#define IDS_MENU_PLAY 512
#define IDS_VERB_REPORT 514
#define IDS_VERB_REPORT_OTHERS 515
#define IDS_VERB_MISSING 516
#define IDS_VERB_NOT_OFFERED 517

// ---- Online gallery filter ----------------------------------------------

// The stored filter could not be read (796); the property list request:
// its general failure (219, formatted with the product name 71), a failed
// request (244, with the error location), a crypto failure (850, with the
// code), an unknown reply status (398).
#define IDS_FILTER_STORED_DAMAGED 796
#define IDS_PROPERTIES_FAILED 219
#define IDS_PROPERTIES_REQUEST_FAILED 244
#define IDS_PROPERTIES_CRYPT_FAILED 850
#define IDS_PROPERTIES_BAD_STATUS 398
// Typed search values.
#define IDS_VALUE_EMPTY 804
#define IDS_VALUE_SCRIPT 805
#define IDS_VALUE_TEXT_TOO_LONG 806
#define IDS_VALUE_TOKEN_TOO_LONG 807
#define IDS_VALUE_BAD_DATE 811
#define IDS_VALUE_BAD_DATE_TIME 813
#define IDS_VALUE_BAD_YEAR_WEEK 814
#define IDS_VALUE_BAD_YEAR_MONTH 815
#define IDS_VALUE_BAD_YEAR_ERA 816
#define IDS_VALUE_BAD_ROMAN_ERA 817
#define IDS_VALUE_BAD_NUMBER_ERA 818
#define IDS_VALUE_BAD_INT64 819
#define IDS_VALUE_BAD_UINT64 820
#define IDS_VALUE_BAD_REAL 821
#define IDS_VALUE_BAD_DECIMAL 822
#define IDS_VALUE_BAD_DURATION 823
#define IDS_VALUE_STORED_INVALID 845
#define IDS_VALUE_NO_WEEK_53 846
#define IDS_VALUE_TOKEN_CHARACTERS 847

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
#define IDC_RELEASE_HEADING 380
#define IDC_RELEASE_CHANGES 381
#define IDC_RELEASE_WEB_SITE 382
#define IDC_RELEASE_ICON 383
#define IDC_RELEASE_DOWNLOAD 384
#define IDC_RELEASE_PROGRESS 385
#define IDC_RELEASE_STATUS 386
#define IDC_RELEASE_BYTES 387
#define IDC_RELEASE_FILE_NAME 388
#define IDC_RELEASE_SIZE 389
#define IDC_RELEASE_FOCUS 390
#define IDC_RELEASE_CANCEL 391
// The release dialog's title (with the product caption), its heading (caption,
// server version) and the web-site button's caption without a package.
#define IDS_RELEASE_TITLE 112
#define IDS_RELEASE_HEADING 329
#define IDS_RELEASE_VISIT_WEB_SITE 520
// Change notes when the release document has none (product caption).
#define IDS_RELEASE_DEFAULT_CHANGES 118
// Saving the package: an unsupported Windows (product name), the save
// dialog's title (caption), a file that cannot be made (name, path, error).
#define IDS_RELEASE_UNSUPPORTED_SYSTEM 518
#define IDS_RELEASE_SAVE_TITLE 519
#define IDS_RELEASE_FILE_NOT_CREATED 521
// The size line: unknown, or the byte count.
#define IDS_RELEASE_SIZE_UNKNOWN 522
#define IDS_RELEASE_SIZE 523
// The download's status lines.
#define IDS_UPGRADE_CONNECTING 526
#define IDS_UPGRADE_DOWNLOADING 527
#define IDS_UPGRADE_VERIFYING 528
// The download's failures; the last argument of each is the web site.
#define IDS_UPGRADE_DOWNLOAD_FAILED 524
#define IDS_UPGRADE_UNEXPECTED 525
#define IDS_UPGRADE_BAD_REPLY 530
#define IDS_UPGRADE_DIGEST_MISMATCH 531
#define IDS_UPGRADE_VERIFY_FAILED 532
#define IDS_UPGRADE_VERIFY_CRYPTO_FAILED 533
#define IDS_UPGRADE_FAILED_AT 534
#define IDS_UPGRADE_EMPTY_PACKAGE 539
#define IDS_UPGRADE_SERVER_MESSAGE 582
// The hand-over: the program closes for the setup (product name); a step
// that failed (name, step, name).
#define IDS_UPGRADE_SETUP_STARTS 535
#define IDS_UPGRADE_HANDOVER_FAILED 529
