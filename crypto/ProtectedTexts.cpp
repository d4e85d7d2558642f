#include "crypto/ProtectedTexts.h"

// Generated at build time from the version texts and the server base
// address: ProtectedText1 to ProtectedText3.
#include "crypto/ProtectedTextData.h"

namespace
{
// The version-resource entries the keys are made of, by index.
const wchar_t* const VersionEntries[8] = {L"ProductName",  L"ProductVersion",   L"FileDescription", L"FileVersion",
                                          L"InternalName", L"OriginalFilename", L"CompanyName",     L"LegalCopyright"};
const unsigned char StoredOrder[8] = {0, 1, 2, 3, 4, 5, 6, 7};
const unsigned char OuterOrder[8] = {7, 6, 5, 4, 3, 2, 1, 0};

MStringEx<wchar_t> OrderedVersionText(const unsigned char* order, unsigned __int64 count)
{
    MStringEx<wchar_t> joined;
    for (unsigned __int64 i = 0; i < count; ++i)
    {
        if (order[i] > 7)
            throw MCryptException(3);
        joined += MStringEx<wchar_t>(VersionEntries[order[i]], nullptr);
    }
    return joined;
}

// AES layer (key from the texts in the outer order), then the unscrambling
// pass with the key from the texts in the given order.
SecureBytes OpenEntry(unsigned long id, const unsigned char* order, unsigned __int64 count)
{
    const wchar_t* stored = ProtectedTextTable().GetValue(id);
    SecureBytes cipherText(std::wcslen(stored));
    for (unsigned __int64 i = 0; i < cipherText.GetCount(); ++i)
        cipherText[i] = static_cast<unsigned char>(stored[i] < 0x80 ? stored[i] : 0);
    if (!HexTextToBytes(cipherText))
        throw MCryptException(3);

    MStringEx<wchar_t> outerText = OrderedVersionText(OuterOrder, 8);
    MStringEx<wchar_t> innerText = OrderedVersionText(order, count);
    MSmartPtr<SecureBytes> outerSecret = DeriveKeyFromText(outerText);
    MSmartPtr<SecureBytes> innerKey = DeriveKeyFromText(innerText);

    SecureBytes plain;
    {
        MAAuthenticator sha512(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                               MAAuthenticator::MAAuthAlgHash(CALG_SHA_512));
        AesCipher outer(sha512, *outerSecret);
        outer.DecryptCbc(cipherText, plain, true);
    }
    UnscrambleBytes(plain, *innerKey);
    return plain;
}
}

const Dictionary<unsigned long, const wchar_t*>& ProtectedTextTable()
{
    using Entry = Pair<unsigned long, const wchar_t*>;
    static const Dictionary<unsigned long, const wchar_t*> table(
        new Entry(SessionSecretText, ProtectedText1), new Entry(ServerBaseAddressText, ProtectedText2),
        new Entry(CachePassPhraseText, ProtectedText3), nullptr);
    return table;
}

SecureBytes DescrambleStoredText(const MList<unsigned char>& indices)
{
    SecureBytes order(indices.GetCount());
    for (unsigned __int64 i = 0; i < indices.GetCount(); ++i)
        order[i] = *indices.GetAt(i);
    return OpenEntry(SessionSecretText, order.GetData(), order.GetCount());
}

SecureBytes OpenProtectedText(unsigned long id) { return OpenEntry(id, StoredOrder, 8); }

MStringEx<wchar_t> StoredServerBaseAddress()
{
    const SecureBytes bytes = OpenProtectedText(ServerBaseAddressText);
    return MStringEx<wchar_t>(ShellMemory<wchar_t>(reinterpret_cast<wchar_t*>(bytes.GetData()), bytes.GetCount() / 2),
                              false);
}
