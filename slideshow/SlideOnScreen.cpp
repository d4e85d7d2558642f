#include "slideshow/SlideOnScreen.h"

void SlideOnScreen::ForgetReceived()
{
    m_kind = SlideNone;
    m_title.Clear();
    m_description.Clear();
    m_advert = false;
    m_properties = SlideProperties();
    m_propertiesText.Clear();
    m_address.Clear();
    m_document.Clear();
}

void SlideOnScreen::TakeFile(SlideKind kind, const MStringEx<wchar_t>& title)
{
    m_kind = kind;
    m_title = title;
    m_description = title;
}

void SlideOnScreen::TakeLinkAndId(const MStringEx<wchar_t>& link, const MStringEx<wchar_t>& id)
{
    m_link = link;
    m_id = id;
}

void SlideOnScreen::TakeReceived(SlideKind kind, const MStringEx<wchar_t>& title, const MStringEx<wchar_t>& path,
                                 const Received& received)
{
    m_kind = kind;
    m_title = title;
    m_path = path;
    m_properties = received.properties;
    m_propertiesText = received.propertiesText;
    m_description = received.description;
    m_advert = received.advert;
    m_address = received.address;
    m_document = received.document;
}

void SlideOnScreen::PropertyRows(MList<ContentPropertyRow>& rows) const
{
    const ContentPropertyTexts texts{m_title, m_properties.description, m_properties.categories, m_properties.link,
                                     m_properties.credits};
    ParseContentProperties(texts, m_propertiesText, rows);
}
