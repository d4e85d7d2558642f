// Session keys derived from pass phrases, and whole-file encryption with them.
#pragma once

#include "crypto/ACrypt.h"

// A CryptoAPI session key made from the hash of a pass phrase (exportable,
// no salt), used in CBC mode with PKCS#5 padding. Files go through in chunks
// of 1000 bytes rounded down to whole blocks; every chunk but the last is
// that many bytes of cipher text, the last one carries the padding.
class MSymmetric : public MCryptBase, public MCryptor
{
public:
    // MCryptException 13 for an empty pass phrase.
    MSymmetric(DWORD providerType, const wchar_t* providerName, const MAtom<unsigned char>& passPhrase,
               ALG_ID keyAlgorithm, const HashAlgId& hash, const KeyLengthBase& length);
    ~MSymmetric() override;

    // Bytes.
    virtual DWORD BlockLength() const = 0;

    bool IsAsymmetric() const override { return false; }
    // A session key has no byte order to turn: the flag is ignored.
    bool EncryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output, bool,
                     MObserver* observer) override
    {
        return EncryptFile(input, from, to, output, observer);
    }
    bool EncryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                     MObserver* observer) override;
    bool DecryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output, bool,
                     MObserver* observer) override
    {
        return DecryptFile(input, from, to, output, observer);
    }
    bool DecryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                     MObserver* observer) override;
    // Replaces the session key by an imported one.
    void ImportKey(const MAtom<unsigned char>& blob) override;

    HCRYPTKEY GetKey() const { return m_key; }

private:
    bool ProcessFile(bool encrypt, HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                     MObserver* observer);
    // Puts the key back at its initialization vector after a run that did
    // not reach its final chunk, so the next run starts a fresh chain.
    void RestartChain();
    void DestroyKey();

    HCRYPTKEY m_key = 0;
};

class MSCryptAES : public MSymmetric
{
public:
    class KeyLength : public MCryptBase::KeyLengthPolicy<128, 256, 64>
    {
    public:
        using KeyLengthPolicy::KeyLengthPolicy;
    };
    // The hashes an AES key may be derived from.
    class HashAlgAES : public MCryptBase::HashAlgId
    {
    public:
        explicit HashAlgAES(ALG_ID id) : HashAlgId(id) {}
        HashAlgId* Clone() const override { return new HashAlgAES(*this); }
        MStringEx<wchar_t> Name() const override;
        MList<MSmartPtr<const HashAlgId>> AllowedList() const override;
    };

    MSCryptAES(DWORD providerType, const wchar_t* providerName, const MAtom<unsigned char>& passPhrase,
               ALG_ID keyAlgorithm, const HashAlgAES& hash, const KeyLength& length)
        : MSymmetric(providerType, providerName, passPhrase, keyAlgorithm, hash, length)
    {
    }

    DWORD BlockLength() const override { return 16; }
};

class MSCryptRC4 : public MSymmetric
{
public:
    class KeyLength : public MCryptBase::KeyLengthPolicy<40, 40, 8>
    {
    public:
        using KeyLengthPolicy::KeyLengthPolicy;
    };
    class HashAlgRC4 : public MCryptBase::HashAlgId
    {
    public:
        explicit HashAlgRC4(ALG_ID id) : HashAlgId(id) {}
        HashAlgId* Clone() const override { return new HashAlgRC4(*this); }
        MStringEx<wchar_t> Name() const override;
        MList<MSmartPtr<const HashAlgId>> AllowedList() const override;
    };

    MSCryptRC4(DWORD providerType, const wchar_t* providerName, const MAtom<unsigned char>& passPhrase,
               ALG_ID keyAlgorithm, const HashAlgRC4& hash, const KeyLength& length)
        : MSymmetric(providerType, providerName, passPhrase, keyAlgorithm, hash, length)
    {
    }

    DWORD BlockLength() const override { return 8; }
};
