// Numbers of the language modules: release check and upgrade (see LanguageIds.h).
#pragma once

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
