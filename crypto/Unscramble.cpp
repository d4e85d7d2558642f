#include "crypto/Unscramble.h"

bool UnscrambleBytes(MAtom<unsigned char>& data, const MAtom<unsigned char>& key)
{
    if (key.GetCount() < 7)
        return false;
    if (data.IsEmpty())
        throw MCryptException(3);

    const unsigned char addend = key[0], multiplier = key[1];
    const unsigned rounds = key[2] + 49u;
    const std::uint32_t start = static_cast<std::uint32_t>(key[3]) | static_cast<std::uint32_t>(key[4]) << 8 |
                                static_cast<std::uint32_t>(key[5]) << 16 | static_cast<std::uint32_t>(key[6]) << 24;
    unsigned char* d = data.GetData();
    const std::uint32_t n = static_cast<std::uint32_t>(data.GetCount());
    const unsigned __int64 last = data.GetCount() - 1;

    // Byte arithmetic wraps modulo 256, the counter modulo 2^32.
    std::uint32_t t = n * rounds + start;
    for (unsigned round = 0; round < rounds; ++round)
    {
        for (unsigned __int64 i = last; i >= 1; --i)
        {
            --t;
            d[i] = static_cast<unsigned char>(d[i] - (d[i - 1] + (t & 0xFF) * multiplier + addend));
        }
        --t;
        d[0] = static_cast<unsigned char>(d[0] - (d[last] + (t & 0xFF) * multiplier + addend));
    }
    d[0] = static_cast<unsigned char>(d[0] + d[last]);
    return true;
}

void FillRandomBytes(MAtom<unsigned char>& bytes)
{
    if (bytes.IsEmpty())
        return;
    MCryptBase context(PROV_RSA_FULL, EnhancedRsaFullProviderName, CryptContextFlags);
    unsigned char* next = bytes.GetData();
    for (unsigned __int64 left = bytes.GetCount(); left > 0;)
    {
        const DWORD piece = static_cast<DWORD>(left < 0x40000000 ? left : 0x40000000);
        if (!CryptGenRandom(context.GetProvider(), piece, next))
            ThrowLastCryptError();
        next += piece;
        left -= piece;
    }
}

MSmartPtr<SecureBytes> DeriveKeyFromText(MStringEx<wchar_t>& text)
{
    MSmartPtr<SecureBytes> key(new SecureBytes());
    try
    {
        MAAuthenticator sha512(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                               MAAuthenticator::MAAuthAlgHash(CALG_SHA_512));
        SecureBytes a, b;
        sha512.Hash(text.TextView().AsBytes(), a, true);
        text.Reverse();
        sha512.Hash(text.TextView().AsBytes(), b, true);
        a.Append(b);
        sha512.Hash(a, *key, false);

        // The text was a secret: nothing of it stays in the released buffer.
        ShellMemory<unsigned char> characters = text.AsBytes();
        FillRandomBytes(characters);
    }
    catch (...)
    {
        AtomDetail::SecureZero(text.GetData(), text.GetByteCount());
        text.Clear();
        throw;
    }
    text.Clear();
    return key;
}
