// Digests through CryptoAPI: of byte buffers and of whole files.
#pragma once

#include "crypto/CryptBase.h"

// Progress of a long file operation, and a way to hold or stop it: the
// operation waits on the gate (when there is one) before every chunk, and
// stops when Progress answers false.
class MObserver
{
public:
    explicit MObserver(HANDLE gate = nullptr) : m_gate(gate) {}
    virtual ~MObserver() = default;

    // Bytes reached, bytes in all, bytes in one chunk; false stops the work.
    virtual bool Progress(unsigned __int64 reached, unsigned __int64 total, unsigned __int64 chunk) = 0;

    HANDLE GetGate() const { return m_gate; }
    // Waits without time-out on the gate, when it is a handle.
    void WaitAtGate() const;

protected:
    HANDLE m_gate;
};

// A context with an RSA signature key of its own and a chosen hash.
class MAAuthenticator : public MAsymmetric
{
public:
    // The hashes of digest and signature objects.
    class MAAuthAlgHash : public MCryptBase::HashAlgId
    {
    public:
        explicit MAAuthAlgHash(ALG_ID id) : HashAlgId(id) {}
        HashAlgId* Clone() const override { return new MAAuthAlgHash(*this); }
        MStringEx<wchar_t> Name() const override;
        MList<MSmartPtr<const HashAlgId>> AllowedList() const override;
    };

    // Generates a signature key pair of the given length at once.
    MAAuthenticator(DWORD providerType, const wchar_t* providerName, const KeyLength& length,
                    const MAAuthAlgHash& hash, DWORD options = 0);

    void GenerateKey(const KeyLength& length) override;
    void GenerateKey() override;

    // The digest of the input in CryptoAPI's order, or byte-reversed.
    void Hash(const MAtom<unsigned char>& input, MAtom<unsigned char>& digest, bool reverse) const;

    const MAAuthAlgHash& GetHashId() const { return m_hash; }
    DWORD GetOptions() const { return m_options; }

    // The digest of an open hash object into the buffer; shared with HashFile.
    static void TakeDigest(HCRYPTHASH hash, MAtom<unsigned char>& digest, bool reverse);

private:
    MAAuthAlgHash m_hash;
    // Stored for the callers; no operation here reads it.
    DWORD m_options;
};

// The digest of the whole open file, whatever range the caller gives (from
// and to are not used), with the file position kept. False, with an empty
// digest and the position kept, when the observer stopped the work.
bool HashFile(const MAAuthenticator& hasher, HANDLE file, unsigned __int64 from, unsigned __int64 to,
              MAtom<unsigned char>& digest, bool reverse, MObserver* observer);
// The same, in CryptoAPI's byte order.
bool HashFile(const MAAuthenticator& hasher, HANDLE file, unsigned __int64 from, unsigned __int64 to,
              MAtom<unsigned char>& digest, MObserver* observer);

// Reverses the bytes in place: CryptoAPI's little-endian blobs, digests and
// cipher blocks to the big-endian order of the wire and back.
void ReverseByteOrder(MAtom<unsigned char>& bytes);
