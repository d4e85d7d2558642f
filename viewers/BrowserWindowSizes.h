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

// WM_GETMINMAXINFO of the viewer (frame: outer minus inner size; monitor:
// the rectangle a maximised window covers). With the constant aspect only
// the smallest height follows the system's smallest width by the opening
// aspect; otherwise the smallest size is the smallest inner size plus the
// frame. The largest size is the largest inner size plus the frame, within
// the largest window.
void ViewerMinMaxInfo(const DocumentDisplayParameters& parameters, SIZE frame, SIZE maxTrack, const RECT& monitor,
                      MINMAXINFO& info);
// WM_SIZING with the constant aspect: the dragged rectangle keeps the
// opening aspect within the largest inner size; the corner opposite the
// dragged edge or corner stays where it is.
void ConstantAspectSizing(const DocumentDisplayParameters& parameters, SIZE frame, WPARAM edge, RECT& rect);
