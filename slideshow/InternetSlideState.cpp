#include "slideshow/InternetSlideState.h"

#include "server/ReceivedSlide.h"

#include <cstring>

void InternetSlideState::Reset()
{
    state = Idle;
    advert = 0;
    content.Clear();
    firstText.Clear();
    identity.Clear();
    secondText.Clear();
    galleryName.Clear();
    file.Clear();
    authCode.Release(true);
    authCode.Clear();
    displayFlag = 2;
    galleryLanguage = 1033;
}

void InternetSlideState::StartSession(const SelectedOnlineGallery& gallery, DWORD order, int level, bool start)
{
    Reset();
    galleryName = gallery.name;
    galleryLanguage = gallery.language;
    displayOrder = order;
    forwardLevel = level;
    sessionStart = start ? 1 : 0;
}

bool InternetSlideState::IsContentUnchanged() const
{
    if (identity.IsEmpty() || content.IsEmpty())
        return false;
    try
    {
        const MemoryPH<unsigned char> now = SlideIdentity(content);
        return now.GetCount() == identity.GetCount() &&
               std::memcmp(now.GetData(), identity.GetData(), static_cast<size_t>(now.GetCount())) == 0;
    }
    catch (const QuilloryError&)
    {
        return false;
    }
}

bool InternetSlideState::IsOfGallery(const MStringEx<wchar_t>& selected) const
{
    if (galleryName.IsEmpty() || selected.IsEmpty())
        return false;
    if (galleryName == selected)
        return true;
    // A gallery path is the "/"-joined chain of names from the top.
    const unsigned __int64 length = selected.GetLength();
    return galleryName.GetLength() > length + 1 && galleryName.Left(length) == selected &&
           galleryName.GetText()[length] == L'/';
}
