// The hand-over at the end of an online round: the record's reply becomes
// the slide the main window draws, the reply's flag byte becomes the
// registry value "Internet Control", the pending cache file becomes the
// current one, and the session code moves to the displayed slide.
#pragma once

#include "server/OnlineSlideRecord.h"
#include "server/SlideCacheFile.h"
#include "server/SlideProperties.h"

// Displayed kinds of the online slides (the main window's SlideKind).
constexpr int DisplayedOnlinePicture = 1;
constexpr int DisplayedOnlineMedia = 2;
constexpr int DisplayedOnlineDocument = 4;

// The markers that enclose the three sections of a reply's second text.
extern const wchar_t SlidePropertiesMarker[];
extern const wchar_t SecondSectionMarker[];
extern const wchar_t ThirdSectionMarker[];

// The text after the first marker up to the next copy of it; empty when
// either copy is missing.
MStringEx<wchar_t> ReplySection(const MStringEx<wchar_t>& text, const wchar_t* marker);

// What the main window draws an online slide from.
struct ReceivedSlide
{
    // -1: the record held no online slide, the displayed kind stays.
    int displayedKind = -1;
    BYTE advert = 0;
    MemoryPH<unsigned char> content;
    MStringEx<wchar_t> firstText;
    MStringEx<wchar_t> galleryName;
    DWORD galleryLanguage = 1033;
    SlideProperties properties;
    // The properties section as it came: its name=value items set the
    // fields above, its name=flag=value items are the content properties
    // that the slide-properties window lists.
    MStringEx<wchar_t> propertiesText;
    MStringEx<wchar_t> secondSection;
    MStringEx<wchar_t> thirdSection;
};

// Writes "Internet Control" (one byte); a failed write deletes the value.
void StoreInternetControlValue(BYTE value);

// For a record in state 1, 2 or 3: the slide into out, "Internet Control"
// from the reply's flag, the pending cache committed, the displayed slide's
// code released (on a thread of its own) and replaced by the record's. Then
// the record's outcome is reset (state 0, texts and content emptied).
void SaveInternetControlState(OnlineSlideRecord& record, ReceivedSlide& out, inet_authentication_data& displayedCode,
                              const SlideCacheFolder& cache = SlideCacheFolder());

// The identity of a slide: SHA-1 of its final content (after a media or
// document slide's content was replaced by its card), bytes reversed.
MemoryPH<unsigned char> SlideIdentity(const MAtom<unsigned char>& finalContent);
