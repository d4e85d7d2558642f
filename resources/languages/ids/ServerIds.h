// Numbers of the language modules: server communication (see LanguageIds.h).
#pragma once

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
