// RSA encryption of buffers and file ranges, and the file-cipher interface
// it shares with the session keys.
#pragma once

#include "crypto/Authenticator.h"

// Encrypts or decrypts the byte range [min(from, size), min(to, size)) of an
// open file and appends the result to another at its current position. True
// when the range is done, false when the observer stopped the work (both
// files are then back where they were).
class MCryptor
{
public:
    virtual ~MCryptor() = default;

    virtual bool IsAsymmetric() const = 0;
    // littleEndian: the peer takes cipher blocks in CryptoAPI's order.
    virtual bool EncryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                             bool littleEndian, MObserver* observer) = 0;
    virtual bool EncryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                             MObserver* observer) = 0;
    virtual bool DecryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                             bool littleEndian, MObserver* observer) = 0;
    virtual bool DecryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                             MObserver* observer) = 0;
    virtual void ImportKey(const MAtom<unsigned char>& blob) = 0;
};

// RSA on buffers and files in blocks of the key size, with PKCS#1 v1.5 or
// OAEP padding and an optional chaining of blocks: each plaintext chunk is
// XORed with the previous cipher block (the first with ChainSeed).
class MACrypt : public MAsymmetric, public MCryptor
{
public:
    // Chaining mode value that chains blocks; any other does not.
    static constexpr DWORD Chained = 1;

    // Generates a key-exchange key pair of the given length at once.
    MACrypt(DWORD providerType, const wchar_t* providerName, const KeyLength& length, DWORD paddingFlags,
            DWORD chainingMode);

    void GenerateKey(const KeyLength& length) override;
    void GenerateKey() override;

    bool IsAsymmetric() const override { return true; }
    bool EncryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output, bool littleEndian,
                     MObserver* observer) override;
    bool EncryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                     MObserver* observer) override
    {
        return EncryptFile(input, from, to, output, false, observer);
    }
    bool DecryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output, bool littleEndian,
                     MObserver* observer) override;
    bool DecryptFile(HANDLE input, unsigned __int64 from, unsigned __int64 to, HANDLE output,
                     MObserver* observer) override
    {
        return DecryptFile(input, from, to, output, false, observer);
    }
    void ImportKey(const MAtom<unsigned char>& blob) override { MAsymmetric::ImportKey(blob); }

    // The concatenated cipher blocks of the input, each of the key size, in
    // CryptoAPI's byte order.
    void EncryptBuffer(const MAtom<unsigned char>& input, MAtom<unsigned char>& output) const;
    // The joined plaintexts of the cipher blocks. The stop event (or null) is
    // polled every 16th block; when it is signalled the output is left empty
    // and the answer is false, so that no caller takes part of a plaintext.
    bool DecryptBuffer(const MAtom<unsigned char>& input, MAtom<unsigned char>& output, HANDLE stop) const;

    // A key-size buffer filled with copies of the SHA-1 digest of the key's
    // PUBLICKEYBLOB: the block before the first in chained mode.
    SecureBytes ChainSeed() const;

    DWORD GetPaddingFlags() const { return m_paddingFlags; }
    DWORD GetChainingMode() const { return m_chainingMode; }

private:
    unsigned BlockBytes() const { return m_keyLength.Bits() / 8u; }
    // Plaintext bytes per block: the key size less the padding's overhead.
    unsigned ChunkBytes() const;
    void CheckPaddingFlags() const;
    bool IsChained() const { return m_chainingMode == Chained; }

    DWORD m_paddingFlags;
    DWORD m_chainingMode;
};
