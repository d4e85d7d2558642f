#include "adverts/MenuAdverts.h"

#include "adverts/AdvertLists.h"
#include "crypto/Authenticator.h"
#include "crypto/CryptBase.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>

namespace
{
MAAuthenticator TitleHasher(ALG_ID hash)
{
    return MAAuthenticator(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                           MAAuthenticator::MAAuthAlgHash(hash), CRYPT_VERIFYCONTEXT | CRYPT_MACHINE_KEYSET);
}

// The three digest objects of the title order.
struct TitleHashers
{
    MAAuthenticator sha1 = TitleHasher(CALG_SHA1);
    MAAuthenticator sha512 = TitleHasher(CALG_SHA_512);
    MAAuthenticator md5 = TitleHasher(CALG_MD5);
};

MemoryPH<unsigned char> Utf16Bytes(const MString& text)
{
    const size_t bytes = static_cast<size_t>(text.GetLength()) * sizeof(wchar_t);
    MemoryPH<unsigned char> out(bytes);
    if (bytes)
        std::memcpy(out.GetData(), text.GetText(), bytes);
    return out;
}

void AppendHex(std::wstring& text, const MAAuthenticator& hasher, const MemoryPH<unsigned char>& input)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    MemoryPH<unsigned char> digest;
    hasher.Hash(input, digest, true);
    for (unsigned __int64 i = 0; i < digest.GetCount(); ++i)
    {
        text += digits[digest.GetData()[i] >> 4];
        text += digits[digest.GetData()[i] & 15];
    }
}

MString DigestText(const TitleHashers& hashers, const MString& title)
{
    const MemoryPH<unsigned char> bytes = Utf16Bytes(title);
    const MemoryPH<unsigned char> withOne = Utf16Bytes(MString(sX::Format(), L"%s1", title.GetText()));
    std::wstring text;
    AppendHex(text, hashers.sha1, bytes);
    AppendHex(text, hashers.sha512, bytes);
    AppendHex(text, hashers.md5, bytes);
    AppendHex(text, hashers.sha512, withOne);
    return MString(text.c_str());
}

bool EntryMayStayBefore(const Current_menu_adverts& a, const MString& aText, const Current_menu_adverts& b,
                        const MString& bText)
{
    if (a.priority != b.priority)
        return a.priority > b.priority;
    return std::wcscmp(aText.GetText(), bText.GetText()) >= 0;
}

void RefillCounters(Menu_Adverts& adverts)
{
    for (unsigned __int64 i = 0; i < adverts.adverts.GetCount(); ++i)
        adverts.adverts.GetAt(i)->running = adverts.adverts.GetAt(i)->priority;
}
}

MString AdvertTitleDigestText(const MString& title) { return DigestText(TitleHashers(), title); }

bool CompareAdvertTitles(const Current_menu_adverts& a, const Current_menu_adverts& b)
{
    if (a.priority != b.priority)
        return a.priority > b.priority;
    const TitleHashers hashers;
    return EntryMayStayBefore(a, DigestText(hashers, a.title), b, DigestText(hashers, b.title));
}

void SelectMenuAdverts(Menu_Adverts& adverts, MList<Current_menu_adverts>& current)
{
    if (!adverts.Enabled)
    {
        current.Clear();
        RefillCounters(adverts);
        return;
    }
    const unsigned __int64 limit =
        adverts.Max_Displayed_Entries < 0 ? 0 : (std::min)(static_cast<DWORD>(adverts.Max_Displayed_Entries), MenuAdvertSlotCount);

    MenuRankingContext ranking;
    for (unsigned __int64 i = 0; i < current.GetCount(); ++i)
        ranking.titles.Append(new MString(current.GetAt(i)->title));
    RankMenuAdverts(adverts.adverts, ranking);

    MList<Current_menu_adverts> chosen;
    for (unsigned __int64 i = 0; i < adverts.adverts.GetCount() && chosen.GetCount() < limit; ++i)
    {
        Menu_Adverts::Advert* advert = adverts.adverts.GetAt(i);
        if (!advert->enabled)
            continue;
        if (advert->running == 0)
        {
            RefillCounters(adverts);
            ranking.start = i;
            RankMenuAdverts(adverts.adverts, ranking);
            advert = adverts.adverts.GetAt(i);
            if (advert->running == 0)
                continue;
        }
        const DWORD slot = static_cast<DWORD>(chosen.GetCount());
        chosen.Append(new Current_menu_adverts{FirstMenuAdvertCommand + slot, FirstMenuAdvertIcon + slot,
                                               advert->title, advert->url, advert->priority});
        advert->impressions += 1;
        advert->running -= 1;
    }

    // The display order, by the same exchange as the rankings; each title's
    // digest text is taken once.
    if (chosen.GetCount() > 1)
    {
        const TitleHashers hashers;
        MList<MString> texts;
        for (unsigned __int64 i = 0; i < chosen.GetCount(); ++i)
            texts.Append(new MString(DigestText(hashers, chosen.GetAt(i)->title)));
        for (unsigned __int64 i = 0; i < chosen.GetCount(); ++i)
            for (unsigned __int64 j = i + 1; j < chosen.GetCount(); ++j)
                if (!EntryMayStayBefore(*chosen.GetAt(i), *texts.GetAt(i), *chosen.GetAt(j), *texts.GetAt(j)))
                {
                    std::swap(*chosen.GetAt(i), *chosen.GetAt(j));
                    std::swap(*texts.GetAt(i), *texts.GetAt(j));
                }
    }

    current.Clear();
    while (!chosen.IsEmpty())
    {
        Current_menu_adverts* entry = chosen.RemoveAt(0);
        if (adverts.Fixed_Items_Positions)
            current.Append(entry);
        else
        {
            const unsigned __int64 n = current.GetCount();
            const unsigned __int64 place = static_cast<unsigned __int64>(std::rand()) / (32767 / (n + 1) + 1);
            current.InsertAt(entry, (std::min)(place, n));
        }
    }
}

bool CountMenuAdvertClick(Menu_Adverts& adverts, const MList<Current_menu_adverts>& current, DWORD commandId,
                          AdvertStatsLists& stats, MString& url)
{
    const Current_menu_adverts* entry = nullptr;
    for (unsigned __int64 i = 0; i < current.GetCount() && !entry; ++i)
        if (current.GetAt(i)->commandId == commandId)
            entry = current.GetAt(i);
    if (!entry)
        return false;
    for (unsigned __int64 i = 0; i < adverts.adverts.GetCount(); ++i)
        if (adverts.adverts.GetAt(i)->title.EqualsNoCase(entry->title))
        {
            adverts.adverts.GetAt(i)->clicks += 1;
            break;
        }
    url = entry->url;
    stats.StoreMenuAdvertStats(adverts);
    return true;
}
