// Whether a file is playable media, and what the Windows Media Player object
// says about it: duration, picture size and title. The gallery scan (its
// MediaDuration step), the gallery's entry check and the slide preparation
// all ask through this one interface; the real answer comes from an
// invisible Windows Media Player object, and tests put a fake in its place.
#pragma once

#include "foundation/StringEx.h"

#include <memory>

struct MediaFacts
{
    double duration = 0.0; // seconds
    long width = 0;        // of the picture in a video, 0 for audio
    long height = 0;
    MString title;         // the item's "Title"; may be empty
};

class MediaProbe
{
public:
    virtual ~MediaProbe() = default;
    // True when the player opens the file as a media item without an error
    // and every fact could be read; the caller judges the duration.
    virtual bool Probe(const MString& path, MediaFacts& facts) = 0;
};

// The invisible Windows Media Player object of the calling thread (COM must
// be initialised there, apartment-threaded). When the object cannot be made,
// every probe answers false.
std::unique_ptr<MediaProbe> NewWindowsMediaPlayerProbe();
