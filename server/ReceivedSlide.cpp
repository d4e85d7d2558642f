#include "server/ReceivedSlide.h"

#include "crypto/Authenticator.h"
#include "foundation/Registry.h"

const wchar_t SlidePropertiesMarker[] = L"{777B6D94-4B2A-4680-B84A-F5DE4095E85C}";
const wchar_t SecondSectionMarker[] = L"{1939262F-407E-4076-9543-FF9A0AEE4CFC}";
const wchar_t ThirdSectionMarker[] = L"{7413A384-90EC-4B07-95CD-F2EF2D1834FA}";

MStringEx<wchar_t> ReplySection(const MStringEx<wchar_t>& text, const wchar_t* marker)
{
    const MStringEx<wchar_t> mark(marker);
    const unsigned __int64 none = static_cast<unsigned __int64>(-1);
    const unsigned __int64 first = text.Find(mark, 0, true);
    if (first == none)
        return MStringEx<wchar_t>();
    const unsigned __int64 start = first + mark.GetLength();
    const unsigned __int64 end = text.Find(mark, start, true);
    if (end == none)
        return MStringEx<wchar_t>();
    return text.Mid(start, end - start);
}

void StoreInternetControlValue(BYTE value) { WriteProductValue(InternetControlValueName, REG_BINARY, &value, 1); }

void SaveInternetControlState(OnlineSlideRecord& record, ReceivedSlide& out, inet_authentication_data& displayedCode,
                              const SlideCacheFolder& cache)
{
    out = ReceivedSlide();
    const int kinds[] = {DisplayedOnlinePicture, DisplayedOnlineMedia, DisplayedOnlineDocument};
    if (record.state >= OnlineStatePicture && record.state <= OnlineStateDocument)
    {
        out.displayedKind = kinds[record.state - OnlineStatePicture];
        out.advert = record.advert;
        out.content.Assign(record.content);
        StoreInternetControlValue(record.InternetControlByte());
        cache.Commit();
        displayedCode.Release(true);
        displayedCode.Clear();
        displayedCode.TakeOver(record.authCode);
        out.galleryName = record.galleryName;
        out.galleryLanguage = record.galleryLanguage;
        out.firstText = record.firstText;
        out.propertiesText = ReplySection(record.secondText, SlidePropertiesMarker);
        ParseSlideProperties(out.propertiesText, out.properties);
        out.secondSection = ReplySection(record.secondText, SecondSectionMarker);
        out.thirdSection = ReplySection(record.secondText, ThirdSectionMarker);
    }
    record.state = OnlineStateIdle;
    record.advert = 0;
    record.content.Clear();
    record.firstText.Clear();
    record.secondText.Clear();
    record.displayFlag = 2;
}

MemoryPH<unsigned char> SlideIdentity(const MAtom<unsigned char>& finalContent)
{
    const MAAuthenticator sha1(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(512),
                               MAAuthenticator::MAAuthAlgHash(CALG_SHA1));
    MemoryPH<unsigned char> digest;
    sha1.Hash(finalContent, digest, true);
    return digest;
}
