// The picture the main window presents next (and shows now once it is
// presented): a slide's picture or a status card. A picture decoded from a
// file reads from the file's bytes: the prepared slide that holds them is
// kept with it and goes after it. Also the card artwork.
#pragma once

#include "slideshow/LocalSlidePreparation.h"
#include "slideshow/SlideRendering.h"

#include <memory>

class PreparedPicture
{
public:
    PreparedPicture();
    PreparedPicture(const PreparedPicture&) = delete;
    PreparedPicture& operator=(const PreparedPicture&) = delete;
    ~PreparedPicture();

    Gdiplus::Bitmap* Get() const { return m_picture.get(); }
    explicit operator bool() const { return m_picture != nullptr; }
    Gdiplus::Bitmap& operator*() const { return *m_picture; }

    // The picture (and the slide whose bytes it reads from, or none) becomes
    // the prepared one; the old picture goes before the bytes it may read from.
    void Take(BitmapPtr picture, std::unique_ptr<PreparedSlide> source);

private:
    // Declared first so that it outlives the picture.
    std::unique_ptr<PreparedSlide> m_source;
    BitmapPtr m_picture;
    BitmapPtr m_mediaCard;
    BitmapPtr m_textCard;
};
