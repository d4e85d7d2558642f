#include "crypto/CryptBase.h"

const wchar_t* const EnhancedRsaFullProviderName = L"Microsoft Enhanced Cryptographic Provider v1.0";
const wchar_t* const EnhancedRsaAesProviderName = L"Microsoft Enhanced RSA and AES Cryptographic Provider";

bool QuerySystemVersion(RTL_OSVERSIONINFOW& version)
{
    using RtlGetVersionFunction = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll)
        return false;
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (!rtlGetVersion)
        return false;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    return rtlGetVersion(&version) >= 0;
}

const wchar_t* RsaAesProviderName()
{
    RTL_OSVERSIONINFOW version;
    if (QuerySystemVersion(version) && version.dwMajorVersion == 5 && version.dwMinorVersion > 0)
        return L"Microsoft Enhanced RSA and AES Cryptographic Provider (Prototype)";
    return EnhancedRsaAesProviderName;
}

// ---- key lengths ------------------------------------------------------------

bool MCryptBase::KeyLengthBase::IsValid(unsigned bits) const
{
    return bits >= Minimum() && bits <= Maximum() && bits % Step() == 0;
}

void MCryptBase::KeyLengthBase::Increase() { Set(static_cast<unsigned>(m_bits) + Step()); }

void MCryptBase::KeyLengthBase::Set(unsigned bits)
{
    if (!IsValid(bits))
        throw MCryptException(8);
    m_bits = static_cast<unsigned short>(bits);
}

// ---- hash identities ----------------------------------------------------------

MStringEx<wchar_t> MCryptBase::HashAlgId::KnownName(ALG_ID id, unsigned knownCount)
{
    static const struct
    {
        ALG_ID id;
        const wchar_t* name;
    } names[] = {{CALG_MD2, L"MD2"},          {CALG_MD4, L"MD4"},           {CALG_MD5, L"MD5"},
                 {CALG_SHA1, L"SHA-1"},       {CALG_SHA_256, L"SHA2-256"}, {CALG_SHA_384, L"SHA2-384"},
                 {CALG_SHA_512, L"SHA2-512"}};
    for (unsigned i = 0; i < knownCount && i < sizeof(names) / sizeof(names[0]); ++i)
        if (names[i].id == id)
            return MStringEx<wchar_t>(names[i].name);
    throw MCryptException(16);
}

// ---- provider context -------------------------------------------------------

MCryptBase::MCryptBase(DWORD providerType, const wchar_t* providerName, DWORD flags) : m_providerType(providerType)
{
    DWORD error = 0;
    m_provider = AcquireContext(providerName, flags, error);
    if (!m_provider)
        throw MCryptException(1, error);
}

MCryptBase::~MCryptBase() { ReleaseContext(); }

void MCryptBase::ReleaseContext()
{
    if (m_provider)
        CryptReleaseContext(m_provider, 0);
    m_provider = 0;
}

namespace
{
// Lets Authenticated Users read, write and use a key set this program made,
// so another account on the machine can open it. Answers the failure's
// error, or 0.
DWORD OpenKeySetToAuthenticatedUsers(HCRYPTPROV provider)
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_AUTHENTICATED_USER_RID, 0, 0, 0, 0, 0, 0, 0, &sid))
        return GetLastError();

    DWORD error = 0;
    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
    PACL acl = static_cast<PACL>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, aclSize));
    SECURITY_DESCRIPTOR descriptor;
    if (!acl)
        error = ERROR_NOT_ENOUGH_MEMORY;
    else if (!InitializeAcl(acl, aclSize, ACL_REVISION) ||
             !AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE, sid) ||
             !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
             !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) ||
             !CryptSetProvParam(provider, PP_KEYSET_SEC_DESCR, reinterpret_cast<BYTE*>(&descriptor),
                                DACL_SECURITY_INFORMATION))
        error = GetLastError();

    if (acl)
        HeapFree(GetProcessHeap(), 0, acl);
    FreeSid(sid);
    return error;
}
}

HCRYPTPROV MCryptBase::AcquireContext(const wchar_t* providerName, DWORD flags, DWORD& error) const
{
    HCRYPTPROV provider = 0;
    error = 0;
    if (CryptAcquireContextW(&provider, nullptr, providerName, m_providerType, flags) && provider)
        return provider;
    error = GetLastError();
    if (error != static_cast<DWORD>(NTE_BAD_KEYSET))
        return 0;

    provider = 0;
    if (!CryptAcquireContextW(&provider, nullptr, providerName, m_providerType, flags | CRYPT_NEWKEYSET) ||
        !provider)
    {
        error = GetLastError();
        return 0;
    }
    error = OpenKeySetToAuthenticatedUsers(provider);
    return provider;
}

// ---- RSA key holder ---------------------------------------------------------

MAsymmetric::MAsymmetric(DWORD providerType, const wchar_t* providerName, DWORD flags, const KeyLength& length)
    : MCryptBase(providerType, providerName, flags), m_keyLength(length)
{
}

MAsymmetric::~MAsymmetric() { DestroyKey(); }

void MAsymmetric::DestroyKey()
{
    if (m_key)
        CryptDestroyKey(m_key);
    m_key = 0;
}

void MAsymmetric::CreateKey(bool signature)
{
    DestroyKey();
    if (!CryptGenKey(m_provider, signature ? AT_SIGNATURE : CALG_RSA_KEYX, KeyGenFlags(m_keyLength.Bits()), &m_key))
    {
        m_key = 0;
        ThrowLastCryptError();
    }
}

MemoryPH<unsigned char> MAsymmetric::ExportPublicKey() const
{
    if (!m_key)
        throw MCryptException(10);
    DWORD size = 0;
    if (!CryptExportKey(m_key, 0, PUBLICKEYBLOB, 0, nullptr, &size))
        ThrowLastCryptError();
    MemoryPH<unsigned char> blob(size);
    if (!CryptExportKey(m_key, 0, PUBLICKEYBLOB, 0, blob.GetData(), &size))
        ThrowLastCryptError();
    blob.SetCount(size);
    return blob;
}

HCRYPTKEY MCryptBase::ImportKeyBlob(const MAtom<unsigned char>& blob) const
{
    if (blob.GetCount() > 0xFFFFFFFFull)
        throw MCryptException(11);
    HCRYPTKEY key = 0;
    if (!CryptImportKey(m_provider, blob.GetData(), static_cast<DWORD>(blob.GetCount()), 0, 0, &key))
        ThrowLastCryptError();
    return key;
}

void MAsymmetric::ImportKey(const MAtom<unsigned char>& blob)
{
    DestroyKey();
    m_key = ImportKeyBlob(blob);
    DWORD bits = 0, size = sizeof(bits);
    if (!CryptGetKeyParam(m_key, KP_KEYLEN, reinterpret_cast<BYTE*>(&bits), &size, 0))
        ThrowLastCryptError();
    m_keyLength.Set(bits);
}
