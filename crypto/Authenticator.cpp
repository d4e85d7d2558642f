#include "crypto/Authenticator.h"

#include "crypto/FileRange.h"

#include <algorithm>

namespace
{
constexpr unsigned __int64 HashPiece = 0x40000000;
constexpr unsigned __int64 FileReadBuffer = 0x100000;

// Destroys a hash object at scope end.
class HashHolder
{
public:
    HashHolder(HCRYPTPROV provider, ALG_ID id)
    {
        if (!CryptCreateHash(provider, id, 0, 0, &m_hash))
        {
            m_hash = 0;
            ThrowLastCryptError();
        }
    }
    HashHolder(const HashHolder&) = delete;
    HashHolder& operator=(const HashHolder&) = delete;
    ~HashHolder()
    {
        if (m_hash)
            CryptDestroyHash(m_hash);
    }
    operator HCRYPTHASH() const { return m_hash; }

private:
    HCRYPTHASH m_hash = 0;
};

void HashBytes(HCRYPTHASH hash, const unsigned char* data, unsigned __int64 bytes)
{
    while (bytes > 0)
    {
        const DWORD piece = static_cast<DWORD>(std::min(bytes, HashPiece));
        if (!CryptHashData(hash, data, piece, 0))
            ThrowLastCryptError();
        data += piece;
        bytes -= piece;
    }
}
}

void MObserver::WaitAtGate() const
{
    if (m_gate && m_gate != INVALID_HANDLE_VALUE)
        WaitForSingleObject(m_gate, INFINITE);
}

void ReverseByteOrder(MAtom<unsigned char>& bytes)
{
    if (bytes.GetCount() >= 2)
        std::reverse(bytes.GetData(), bytes.GetData() + bytes.GetCount());
}

// ---- hash identities --------------------------------------------------------

MStringEx<wchar_t> MAAuthenticator::MAAuthAlgHash::Name() const { return KnownName(m_id, 7); }

MList<MSmartPtr<const MCryptBase::HashAlgId>> MAAuthenticator::MAAuthAlgHash::AllowedList() const
{
    static const ALG_ID ids[] = {CALG_SHA_512, CALG_SHA_384, CALG_SHA_256, CALG_SHA1, CALG_MD2, CALG_MD4, CALG_MD5};
    return MakeList<MAAuthAlgHash>(ids, sizeof(ids) / sizeof(ids[0]));
}

// ---- MAAuthenticator ----------------------------------------------------------

MAAuthenticator::MAAuthenticator(DWORD providerType, const wchar_t* providerName, const KeyLength& length,
                                 const MAAuthAlgHash& hash, DWORD options)
    : MAsymmetric(providerType, providerName, CryptContextFlags, length), m_hash(hash), m_options(options)
{
    // The base releases the context when the key cannot be made.
    CreateKey(true);
}

void MAAuthenticator::GenerateKey(const KeyLength& length)
{
    m_keyLength = length;
    GenerateKey();
}

void MAAuthenticator::GenerateKey() { CreateKey(true); }

void MAAuthenticator::TakeDigest(HCRYPTHASH hash, MAtom<unsigned char>& digest, bool reverse)
{
    DWORD size = 0, sizeBytes = sizeof(size);
    if (!CryptGetHashParam(hash, HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &sizeBytes, 0))
        ThrowLastCryptError();
    digest.Resize(size);
    if (!CryptGetHashParam(hash, HP_HASHVAL, digest.GetData(), &size, 0))
        ThrowLastCryptError();
    digest.SetCount(size);
    if (reverse)
        ReverseByteOrder(digest);
}

void MAAuthenticator::Hash(const MAtom<unsigned char>& input, MAtom<unsigned char>& digest, bool reverse) const
{
    HashHolder hash(m_provider, m_hash.Id());
    HashBytes(hash, input.GetData(), input.GetCount());
    TakeDigest(hash, digest, reverse);
}

// ---- files --------------------------------------------------------------------

bool HashFile(const MAAuthenticator& hasher, HANDLE file, unsigned __int64, unsigned __int64,
              MAtom<unsigned char>& digest, bool reverse, MObserver* observer)
{
    unsigned __int64 kept = 0;
    if (!CryptFiles::GetPosition(file, kept) || !CryptFiles::SetPosition(file, 0))
        ThrowLastCryptError();

    HashHolder hash(hasher.GetProvider(), hasher.GetHashId().Id());
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size))
        ThrowLastCryptError();
    const unsigned __int64 total = static_cast<unsigned __int64>(size.QuadPart);
    MemoryPH<unsigned char> buffer(std::min(total, FileReadBuffer));

    unsigned __int64 hashed = 0;
    for (;;)
    {
        if (observer)
        {
            observer->WaitAtGate();
            if (!observer->Progress(hashed, total, buffer.GetCount()))
            {
                digest.Clear();
                CryptFiles::SetPosition(file, kept);
                return false;
            }
        }
        DWORD read = 0;
        if (!ReadFile(file, buffer.GetData(), static_cast<DWORD>(buffer.GetCount()), &read, nullptr))
            ThrowLastCryptError();
        if (read == 0)
            break;
        HashBytes(hash, buffer.GetData(), read);
        hashed += read;
    }
    MAAuthenticator::TakeDigest(hash, digest, reverse);
    if (!CryptFiles::SetPosition(file, kept))
        ThrowLastCryptError();
    return true;
}

bool HashFile(const MAAuthenticator& hasher, HANDLE file, unsigned __int64 from, unsigned __int64 to,
              MAtom<unsigned char>& digest, MObserver* observer)
{
    return HashFile(hasher, file, from, to, digest, false, observer);
}
