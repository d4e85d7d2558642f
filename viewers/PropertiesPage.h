// The slide-properties window's page: the current slide's properties as one
// line of XHTML styled by the server's "wnd-properties.css", and the window
// size it remembers. Names and values come from the server, so every one is
// escaped for the place it goes (element text, attribute, script string).
#pragma once

#include "foundation/Containers.h"
#include "foundation/StringEx.h"
#include "server/SlideProperties.h"

#include <windows.h>

// One row of the window: name, whether the value is a link, value.
using Content_propetrty = ContentPropertyRow;

// "&", "<", ">", the double quote and the apostrophe as XML entities: safe
// in element text and in attributes of either quote.
MString HtmlEscape(const MString& text);
// The text as the inside of a JavaScript string literal: letters, digits
// and a few harmless signs stay, everything else becomes \uXXXX, so neither
// quote, backslash, line break nor markup can end the literal.
MString ScriptStringEscape(const MString& text);

// What the page says around the rows.
struct PropertiesPageTexts
{
    MString windowTitle;
    MString header;      // the table's header cell
    MString linkTooltip; // the title of a link cell
    MString styleSheet;  // address of the style sheet
    unsigned __int64 version = 0; // appended so the browser never reuses a stale sheet
    MString language;    // "BG" or "EN"
};

// The texts of the running program: its strings, the server's style sheet,
// the time as version and the user-interface language.
PropertiesPageTexts CurrentPropertiesPageTexts(const MString& windowTitle);

// The text a link cell shows: the address up to the first "/" after its
// scheme ("http://" or "https://", any case), the whole address without one.
MString ShownLinkText(const MString& link);

MString BuildPropertiesPage(const MList<Content_propetrty>& properties, const PropertiesPageTexts& texts);

// "Slide Properties Window": the inner size the window had when it was last
// closed in its normal state.
extern const wchar_t SlidePropertiesWindowValueName[];
constexpr DWORD DefaultPropertiesWindowWidth = 1280;
constexpr DWORD DefaultPropertiesWindowHeight = 720;

// The stored size; a value of the wrong type or size is deleted and the
// default answered.
void ReadSlidePropertiesWindowSize(DWORD& width, DWORD& height);
// Stores the window's client size when it is neither minimised nor
// maximised; a failed write deletes the value.
void SaveSlidePropertiesWindowSize(HWND window);

struct IStream;
struct IWebBrowser2;

// The page's UTF-16 text with its NUL in movable global memory behind a new
// stream (which frees the memory); null when memory is short.
IStream* CreatePageStream(const MString& page);
// Puts the page into the browser without a file: a blank document, then
// the page loaded into it from a stream. A step that fails ends it quietly
// (false).
bool LoadHtml(IWebBrowser2* browser, const MString& page);
