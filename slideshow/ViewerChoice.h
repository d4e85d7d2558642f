// Which viewer opens the current slide, by its kind.
#pragma once

#include "slideshow/LocalSlidePreparation.h"

enum class SlideViewer
{
    None,
    // The large photo viewer; with adverts for every kind but the status card.
    Photo,
    PhotoWithAdverts,
    // The web-document viewer on the online document or on the file.
    OnlineDocument,
    WebDocumentFile,
    Media,
    RichText,
};

SlideViewer ViewerForSlide(SlideKind kind);
// Whether opening the slide counts as an open of an online slide.
bool CountsOnlineOpen(SlideKind kind);
