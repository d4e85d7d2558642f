// The six inner sizes of the web-document viewer (opening, smallest,
// largest): a document's display parameters are kept only when they make a
// sensible set as a whole; otherwise all six are replaced, never patched
// one by one.
#pragma once

#include "viewers/DocumentDisplayParameters.h"

// Largest inner size a document opens at by default.
constexpr DWORD DefaultDocumentWidth = 1280;
constexpr DWORD DefaultDocumentHeight = 720;

// True when parameters' sizes hold (smallest at least 200 x 100, smallest
// <= opening <= largest <= the largest window maxTrackWidth x
// maxTrackHeight, largest and opening not 0) and are kept; false when all
// six were replaced by the defaults for its resizable and aspect choices
// (a fixed-size window also gets the constant aspect).
bool ValidateViewerSizes(DocumentDisplayParameters& parameters, DWORD maxTrackWidth, DWORD maxTrackHeight);
