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
