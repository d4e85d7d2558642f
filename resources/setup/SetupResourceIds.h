// Resource ids of Quillory Setup's own resources (resources/setup/).
#pragma once

#define IDI_SETUP 100
#define IDD_SETUP 101
// Resource type "PNG": the artwork of the plain-installation dialog.
#define IDP_SETUP_ARTWORK 103

// Controls of IDD_SETUP.
#define IDC_SETUP_PICTURE 286
#define IDC_SETUP_INSTALL 298

// String table (English and Bulgarian).
#define IDS_SETUP_ALREADY_RUNNING 103
#define IDS_SETUP_PACKAGE_NOT_STARTED_CD 105
#define IDS_SETUP_README_NOT_OPENED 106
#define IDS_SETUP_TOO_FEW_PARAMETERS 108
#define IDS_SETUP_PACKAGE_NOT_STARTED 112
// Outcomes of the uninstall-install step reported to the user.
#define IDS_SETUP_PACKAGE_MISSING 120
#define IDS_SETUP_INSTALLER_NOT_STARTED 121
#define IDS_SETUP_UNINSTALL_FAILED 122
#define IDS_SETUP_RESTORED_PREVIOUS 123
#define IDS_SETUP_RESTORE_FAILED 124
#define IDS_SETUP_NO_PREVIOUS 125
