// The ground of the CryptoAPI classes: the provider context, the RSA key
// holder, the key-length rules and the hash identities.
#pragma once

#include "crypto/CryptException.h"
#include "foundation/Containers.h"
#include "foundation/SmartPtr.h"
#include "foundation/StringEx.h"

#include <windows.h>
#include <wincrypt.h>

// A byte buffer that is zeroed before it is released: keys, secrets, plaintexts.
using SecureBytes = SecureMemory<MemoryPH<unsigned char>, unsigned char>;

// Every context of the program is an ephemeral one on the machine key set.
constexpr DWORD CryptContextFlags = CRYPT_VERIFYCONTEXT | CRYPT_MACHINE_KEYSET;

extern const wchar_t* const EnhancedRsaFullProviderName; // "Microsoft Enhanced Cryptographic Provider v1.0"
extern const wchar_t* const EnhancedRsaAesProviderName;  // "Microsoft Enhanced RSA and AES Cryptographic Provider"

// The name of the RSA and AES provider on this system: Windows XP and Server
// 2003 (5.1, 5.2) ship it as "(Prototype)".
const wchar_t* RsaAesProviderName();

// The version of the running system from RtlGetVersion (which, unlike
// GetVersionEx, is not shimmed for the program's manifest); false when ntdll
// does not offer it.
bool QuerySystemVersion(RTL_OSVERSIONINFOW& version);

// Owns one provider context.
class MCryptBase
{
public:
    // Which key sizes an algorithm accepts: Minimum <= bits <= Maximum and a
    // multiple of Step.
    class KeyLengthBase
    {
    public:
        virtual ~KeyLengthBase() = default;

        virtual unsigned short Minimum() const = 0;
        virtual unsigned short Maximum() const = 0;
        virtual unsigned short Step() const = 0;
        // The next valid length; MCryptException 8 and no change past the maximum.
        virtual void Increase();
        // MCryptException 8 and no change for a length outside the rules.
        virtual void Set(unsigned bits);
        virtual bool LessThan(const KeyLengthBase& other) const { return m_bits < other.m_bits; }

        unsigned short Bits() const { return m_bits; }
        bool IsValid(unsigned bits) const;

    protected:
        KeyLengthBase() = default;

        unsigned short m_bits = 0;
    };

    // The policy of one algorithm; built from a bit count with the same check as Set.
    template <unsigned short Min, unsigned short Max, unsigned short StepBits>
    class KeyLengthPolicy : public KeyLengthBase
    {
    public:
        explicit KeyLengthPolicy(unsigned bits) { Set(bits); }
        unsigned short Minimum() const override { return Min; }
        unsigned short Maximum() const override { return Max; }
        unsigned short Step() const override { return StepBits; }
    };

    // A CryptoAPI hash identity. The derived identities name the hashes that
    // a family of keys may use.
    class HashAlgId
    {
    public:
        explicit HashAlgId(ALG_ID id) : m_id(id) {}
        // Lists of identities delete them through this base.
        virtual ~HashAlgId() = default;

        // A heap copy of the same class and id.
        virtual HashAlgId* Clone() const { return new HashAlgId(*this); }
        // The base knows no names and no list.
        virtual MStringEx<wchar_t> Name() const { return MStringEx<wchar_t>(); }
        virtual MList<MSmartPtr<const HashAlgId>> AllowedList() const { return MList<MSmartPtr<const HashAlgId>>(); }

        ALG_ID Id() const { return m_id; }

    protected:
        HashAlgId(const HashAlgId&) = default;

        // "MD2" .. "SHA2-512" for the ids the program knows; MCryptException
        // 16 for others, and for those beyond knownCount of the table.
        static MStringEx<wchar_t> KnownName(ALG_ID id, unsigned knownCount);
        // Clones of the given prototype for each id, in order.
        template <class Derived> static MList<MSmartPtr<const HashAlgId>> MakeList(const ALG_ID* ids, unsigned count)
        {
            MList<MSmartPtr<const HashAlgId>> list;
            for (unsigned i = 0; i < count; ++i)
                list.Append(new MSmartPtr<const HashAlgId>(new Derived(ids[i])));
            return list;
        }

        ALG_ID m_id;
    };

    // Acquires the context; MCryptException {1, error} when there is none.
    MCryptBase(DWORD providerType, const wchar_t* providerName, DWORD flags);
    MCryptBase(const MCryptBase&) = delete;
    MCryptBase& operator=(const MCryptBase&) = delete;
    virtual ~MCryptBase();

    // A context of this object's provider type, or 0 with the failure's
    // error. A missing key set is created and opened to Authenticated Users;
    // when only that access list fails, the context is still returned (and
    // the error reported).
    HCRYPTPROV AcquireContext(const wchar_t* providerName, DWORD flags, DWORD& error) const;

    HCRYPTPROV GetProvider() const { return m_provider; }
    DWORD GetProviderType() const { return m_providerType; }

protected:
    // Releases the context; for constructors that fail after acquiring it.
    void ReleaseContext();
    // Imports a key blob into this context: MCryptException 11 for a blob
    // larger than CryptoAPI takes, the system's error for a refused one.
    HCRYPTKEY ImportKeyBlob(const MAtom<unsigned char>& blob) const;

    HCRYPTPROV m_provider = 0;
    DWORD m_providerType;
};

// Holds one RSA key pair on its context.
class MAsymmetric : public MCryptBase
{
public:
    class KeyLength : public MCryptBase::KeyLengthPolicy<512, 16384, 64>
    {
    public:
        using KeyLengthPolicy::KeyLengthPolicy;
    };

    MAsymmetric(DWORD providerType, const wchar_t* providerName, DWORD flags, const KeyLength& length);
    ~MAsymmetric() override;

    virtual void GenerateKey(const KeyLength& length) = 0;
    virtual void GenerateKey() = 0;
    virtual KeyLength GetKeyLength() const { return m_keyLength; }
    // Imports a key blob (public or private); its length must follow the RSA
    // rules, else MCryptException 8 (the key is held all the same and the
    // stored length is unchanged).
    virtual void ImportKey(const MAtom<unsigned char>& blob);

    // A new key pair of the stored length: a signature key or a key-exchange key.
    void CreateKey(bool signature);
    // The PUBLICKEYBLOB of the held key; MCryptException 10 without one.
    MemoryPH<unsigned char> ExportPublicKey() const;

    HCRYPTKEY GetKey() const { return m_key; }

protected:
    void DestroyKey();

    HCRYPTKEY m_key = 0;
    KeyLength m_keyLength;
};

// CryptoAPI's key-size word: the bits in the high 16 bits.
inline DWORD KeyGenFlags(unsigned bits) { return static_cast<DWORD>(bits) << 16 | CRYPT_EXPORTABLE | CRYPT_NO_SALT; }
