#include "crypto/Symmetric.h"

#include "crypto/FileRange.h"

#include <algorithm>

namespace
{
constexpr unsigned __int64 HashPiece = 0x40000000;
}

MSymmetric::MSymmetric(DWORD providerType, const wchar_t* providerName, const MAtom<unsigned char>& passPhrase,
                       ALG_ID keyAlgorithm, const HashAlgId& hash, const KeyLengthBase& length)
    : MCryptBase(providerType, providerName, CryptContextFlags)
{
    // The base destructor releases the context when this constructor throws.
    if (passPhrase.IsEmpty())
        throw MCryptException(13);

    HCRYPTHASH hashObject = 0;
    if (!CryptCreateHash(m_provider, hash.Id(), 0, 0, &hashObject))
        ThrowLastCryptError();
    DWORD error = 0;
    const unsigned char* next = passPhrase.GetData();
    for (unsigned __int64 left = passPhrase.GetCount(); left > 0 && !error;)
    {
        const DWORD piece = static_cast<DWORD>(std::min(left, HashPiece));
        if (!CryptHashData(hashObject, next, piece, 0))
            error = GetLastError();
        next += piece;
        left -= piece;
    }
    const DWORD mode = CRYPT_MODE_CBC, padding = PKCS5_PADDING;
    if (!error && !CryptDeriveKey(m_provider, keyAlgorithm, hashObject, KeyGenFlags(length.Bits()), &m_key))
    {
        error = GetLastError();
        m_key = 0;
    }
    if (!error && (!CryptSetKeyParam(m_key, KP_MODE, reinterpret_cast<const BYTE*>(&mode), 0) ||
                   !CryptSetKeyParam(m_key, KP_PADDING, reinterpret_cast<const BYTE*>(&padding), 0)))
        error = GetLastError();
    CryptDestroyHash(hashObject);
    if (error)
    {
        DestroyKey();
        throw MCryptException(9, error);
    }
}

MSymmetric::~MSymmetric() { DestroyKey(); }

void MSymmetric::DestroyKey()
{
    if (m_key)
        CryptDestroyKey(m_key);
    m_key = 0;
}

void MSymmetric::ImportKey(const MAtom<unsigned char>& blob)
{
    DestroyKey();
    m_key = ImportKeyBlob(blob);
}

void MSymmetric::RestartChain()
{
    DWORD size = 0;
    if (!CryptGetKeyParam(m_key, KP_IV, nullptr, &size, 0) || size == 0)
        return;
    SecureBytes iv(size);
    if (CryptGetKeyParam(m_key, KP_IV, iv.GetData(), &size, 0))
        CryptSetKeyParam(m_key, KP_IV, iv.GetData(), 0);
}

bool MSymmetric::EncryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                             MObserver* observer)
{
    return ProcessFile(true, input, from, to, output, observer);
}

bool MSymmetric::DecryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                             MObserver* observer)
{
    return ProcessFile(false, input, from, to, output, observer);
}

bool MSymmetric::ProcessFile(bool encrypt, HANDLE input, unsigned __int64 from, unsigned __int64 to,
                             HANDLE output, MObserver* observer)
{
    const CryptFiles::FileRange range(input, output, from, to);
    const DWORD chunkBytes = 1000 - 1000 % BlockLength();
    const unsigned __int64 chunks = (range.length + chunkBytes - 1) / chunkBytes;
    DWORD room = chunkBytes;
    if (encrypt && !CryptEncrypt(m_key, 0, TRUE, 0, nullptr, &room, 0))
        ThrowLastCryptError();
    SecureBytes buffer(std::max(room, chunkBytes));

    try
    {
        for (unsigned __int64 i = 0; i < chunks; ++i)
        {
            DWORD length = static_cast<DWORD>(std::min<unsigned __int64>(chunkBytes, range.length - i * chunkBytes));
            if (observer)
            {
                observer->WaitAtGate();
                if (!observer->Progress(i * chunkBytes + length, range.length, chunkBytes))
                {
                    if (i > 0)
                        RestartChain();
                    range.RestoreBoth(input, output);
                    return false;
                }
            }
            DWORD read = 0;
            if (!ReadFile(input, buffer.GetData(), length, &read, nullptr))
                ThrowLastCryptError();
            if (read != length)
                throw MCryptException(9, ERROR_HANDLE_EOF);
            const BOOL final = i + 1 == chunks;
            const BOOL done = encrypt
                ? CryptEncrypt(m_key, 0, final, 0, buffer.GetData(), &length, static_cast<DWORD>(buffer.GetCount()))
                : CryptDecrypt(m_key, 0, final, 0, buffer.GetData(), &length);
            if (!done)
                ThrowLastCryptError();
            DWORD written = 0;
            if (!WriteFile(output, buffer.GetData(), length, &written, nullptr))
                ThrowLastCryptError();
            if (written != length)
                throw MCryptException(9, ERROR_WRITE_FAULT);
        }
    }
    catch (...)
    {
        RestartChain();
        throw;
    }
    range.RestoreInput(input);
    return true;
}

// ---- hash identities --------------------------------------------------------

MStringEx<wchar_t> MSCryptAES::HashAlgAES::Name() const { return KnownName(m_id, 7); }

MList<MSmartPtr<const MCryptBase::HashAlgId>> MSCryptAES::HashAlgAES::AllowedList() const
{
    static const ALG_ID ids[] = {CALG_SHA_512, CALG_SHA_384, CALG_SHA_256, CALG_SHA1, CALG_MD2, CALG_MD4, CALG_MD5};
    return MakeList<HashAlgAES>(ids, sizeof(ids) / sizeof(ids[0]));
}

// RC4 keys know only the four older hashes.
MStringEx<wchar_t> MSCryptRC4::HashAlgRC4::Name() const { return KnownName(m_id, 4); }

MList<MSmartPtr<const MCryptBase::HashAlgId>> MSCryptRC4::HashAlgRC4::AllowedList() const
{
    static const ALG_ID ids[] = {CALG_SHA1, CALG_MD2, CALG_MD4, CALG_MD5};
    return MakeList<HashAlgRC4>(ids, sizeof(ids) / sizeof(ids[0]));
}
