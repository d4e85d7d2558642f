// The three advert documents of the server's adverts reply: XML text,
// scrambled with the request's identifier, read into new records. Every
// check failure throws ServerReplyError (string 385 with code, location and
// detail, or string 362 with code and location) and leaves out untouched.
#pragma once

#include "adverts/Adverts.h"

#include <memory>

// Codes of our own: a hex text with an odd number of digits, a character
// that is no hexadecimal digit, or an odd number of bytes.
constexpr unsigned MenuBadHexText = 1043;
constexpr unsigned OverlayBadHexText = 1132;

void ParseMenuAdverts(std::unique_ptr<Menu_Adverts>& out, const MAtom<unsigned char>& document,
                      const MString& requestId);
void ParseOverlayAdverts(std::unique_ptr<Overlay_Adverts>& out, const MAtom<unsigned char>& document,
                         const MString& requestId);
void ParseSlideAdverts(std::unique_ptr<SlideAdvertsSettings>& out, const MAtom<unsigned char>& document,
                       const MString& requestId);

// The same for documents already unscrambled.
void ReadMenuAdverts(std::unique_ptr<Menu_Adverts>& out, const MAtom<unsigned char>& text);
void ReadOverlayAdverts(std::unique_ptr<Overlay_Adverts>& out, const MAtom<unsigned char>& text);
void ReadSlideAdverts(std::unique_ptr<SlideAdvertsSettings>& out, const MAtom<unsigned char>& text);

// The UTF-8 bytes of a text without its NUL: the scrambling key of the
// adverts reply and its documents.
MemoryPH<unsigned char> AdvertsKey(const MString& requestId);
