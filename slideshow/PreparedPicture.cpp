#include "slideshow/PreparedPicture.h"

#include "resources/window/ProgramResourceIds.h"
#include "slideshow/StatusCard.h"

PreparedPicture::PreparedPicture()
    : m_mediaCard(LoadPngBitmap(GetModuleHandleW(nullptr), IDP_MEDIA_CARD)),
      m_textCard(LoadPngBitmap(GetModuleHandleW(nullptr), IDP_TEXT_CARD))
{
}

PreparedPicture::~PreparedPicture() = default;

void PreparedPicture::Take(BitmapPtr picture, std::unique_ptr<PreparedSlide> source)
{
    m_picture = std::move(picture);
    m_source = std::move(source);
}
