// Numbers of the language modules: application shell (see LanguageIds.h).
#pragma once

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
#define IDS_WORKER_FAILED 292
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
