// The slide the main window shows now: its file (kept between runs), kind
// and title, and what an online slide said of itself. Lives on the main
// window's thread; the controller reads it from the window's snapshot.
#pragma once

#include "foundation/StringEx.h"
#include "server/SlideProperties.h"
#include "slideshow/LocalSlidePreparation.h"

class SlideOnScreen
{
public:
    // What a received slide brings beside its kind, title and file.
    struct Received
    {
        SlideProperties properties;
        MStringEx<wchar_t> propertiesText;
        MStringEx<wchar_t> description;
        MStringEx<wchar_t> address;
        MStringEx<wchar_t> document;
        bool advert = false;
    };

    const MStringEx<wchar_t>& Path() const { return m_path; }
    void SetPath(const MStringEx<wchar_t>& path) { m_path = path; }
    SlideKind Kind() const { return m_kind; }
    void SetKind(SlideKind kind) { m_kind = kind; }
    const MStringEx<wchar_t>& Title() const { return m_title; }
    // The text under the title in the photo viewer's caption card: an
    // online slide's own description; a picture file's title.
    const MStringEx<wchar_t>& Description() const { return m_description; }
    // An advert slide's viewer shows no overlay advert.
    bool IsAdvert() const { return m_advert; }
    // An online media item's or document's address on the server and the
    // text the server sent with it (both empty for a file).
    const MStringEx<wchar_t>& Address() const { return m_address; }
    const MStringEx<wchar_t>& Document() const { return m_document; }
    // The online slide's link and id (its slide-link command and statistics).
    const MStringEx<wchar_t>& Link() const { return m_link; }
    const MStringEx<wchar_t>& Id() const { return m_id; }
    bool IsOnline() const { return m_kind == OnlinePicture || m_kind == OnlineMedia || m_kind == OnlineDocument; }

    // What a received slide carried goes (the file, link and id stay).
    void ForgetReceived();
    // A prepared file: it says nothing of itself beyond its title.
    void TakeFile(SlideKind kind, const MStringEx<wchar_t>& title);
    void TakeLinkAndId(const MStringEx<wchar_t>& link, const MStringEx<wchar_t>& id);
    // A slide built from the online record.
    void TakeReceived(SlideKind kind, const MStringEx<wchar_t>& title, const MStringEx<wchar_t>& path,
                      const Received& received);

    // The rows the slide-properties window lists: the fixed rows of what
    // the slide said of itself, then its content properties.
    void PropertyRows(MList<ContentPropertyRow>& rows) const;

private:
    MStringEx<wchar_t> m_path;
    SlideKind m_kind = SlideNone;
    MStringEx<wchar_t> m_title;
    MStringEx<wchar_t> m_description;
    bool m_advert = false;
    // What an online slide said of itself (empty for a file), and its
    // properties text as it came.
    SlideProperties m_properties;
    MStringEx<wchar_t> m_propertiesText;
    MStringEx<wchar_t> m_address;
    MStringEx<wchar_t> m_document;
    MStringEx<wchar_t> m_link;
    MStringEx<wchar_t> m_id;
};
