#include "TestHelpers.h"

#include "crypto/Symmetric.h"
#include "foundation/SystemUtilities.h"

using namespace CryptoTest;

TEST(KeyLength, RulesOfEachAlgorithm)
{
    struct Case
    {
        const char* algorithm;
        unsigned bits;
        bool valid;
    } cases[] = {
        {"RSA", 512, true},   {"RSA", 16384, true}, {"RSA", 2048, true},  {"RSA", 16448, false},
        {"RSA", 1000, false}, {"RSA", 448, false},  {"RSA", 65536 + 1024, false},
        {"AES", 128, true},   {"AES", 192, true},   {"AES", 256, true},   {"AES", 320, false},
        {"AES", 160, false},  {"RC4", 40, true},    {"RC4", 48, false},   {"RC4", 32, false},
    };
    for (const Case& c : cases)
    {
        const unsigned code = CryptCode([&] {
            if (c.algorithm == std::string("RSA"))
                MAsymmetric::KeyLength length(c.bits);
            else if (c.algorithm == std::string("AES"))
                MSCryptAES::KeyLength length(c.bits);
            else
                MSCryptRC4::KeyLength length(c.bits);
        });
        EXPECT_EQ(code, c.valid ? 0u : 8u) << c.algorithm << " " << c.bits;
    }
}

TEST(KeyLength, IncreaseAndSetKeepTheLengthOnFailure)
{
    MAsymmetric::KeyLength rsa(16320);
    rsa.Increase();
    EXPECT_EQ(rsa.Bits(), 16384);
    EXPECT_EQ(CryptCode([&] { rsa.Increase(); }), 8u);
    EXPECT_EQ(rsa.Bits(), 16384);
    EXPECT_EQ(CryptCode([&] { rsa.Set(1000); }), 8u);
    EXPECT_EQ(rsa.Bits(), 16384);

    MSCryptAES::KeyLength aes(128);
    aes.Increase();
    EXPECT_EQ(aes.Bits(), 192);
    EXPECT_TRUE(MAsymmetric::KeyLength(512).LessThan(MAsymmetric::KeyLength(576)));
    EXPECT_FALSE(MAsymmetric::KeyLength(576).LessThan(MAsymmetric::KeyLength(576)));
}

TEST(HashAlgId, NamesAndAllowedLists)
{
    EXPECT_EQ(MAAuthenticator::MAAuthAlgHash(CALG_SHA_256).Name(), MString(L"SHA2-256"));
    EXPECT_EQ(MSCryptAES::HashAlgAES(CALG_SHA_512).Name(), MString(L"SHA2-512"));
    EXPECT_EQ(MSCryptRC4::HashAlgRC4(CALG_SHA1).Name(), MString(L"SHA-1"));
    EXPECT_EQ(MSCryptRC4::HashAlgRC4(CALG_MD2).Name(), MString(L"MD2"));
    EXPECT_EQ(CryptCode([] { MSCryptRC4::HashAlgRC4(CALG_SHA_256).Name(); }), 16u);
    EXPECT_EQ(CryptCode([] { MAAuthenticator::MAAuthAlgHash(CALG_RC4).Name(); }), 16u);
    EXPECT_TRUE(MCryptBase::HashAlgId(CALG_SHA1).Name().IsEmpty());
    EXPECT_EQ(MCryptBase::HashAlgId(CALG_SHA1).AllowedList().GetCount(), 0u);

    auto names = [](const MCryptBase::HashAlgId& id) {
        std::wstring joined;
        MList<MSmartPtr<const MCryptBase::HashAlgId>> list = id.AllowedList();
        for (unsigned __int64 i = 0; i < list.GetCount(); ++i)
            joined += std::wstring((*list.GetAt(i))->Name().GetText()) + L" ";
        return joined;
    };
    EXPECT_EQ(names(MAAuthenticator::MAAuthAlgHash(CALG_MD5)), L"SHA2-512 SHA2-384 SHA2-256 SHA-1 MD2 MD4 MD5 ");
    EXPECT_EQ(names(MSCryptAES::HashAlgAES(CALG_MD5)), L"SHA2-512 SHA2-384 SHA2-256 SHA-1 MD2 MD4 MD5 ");
    EXPECT_EQ(names(MSCryptRC4::HashAlgRC4(CALG_MD5)), L"SHA-1 MD2 MD4 MD5 ");

    std::unique_ptr<MCryptBase::HashAlgId> clone(MSCryptRC4::HashAlgRC4(CALG_MD4).Clone());
    EXPECT_EQ(clone->Id(), static_cast<ALG_ID>(CALG_MD4));
    EXPECT_EQ(CryptCode([&] { clone->Name(); }), 0u);
}

TEST(CryptException, Messages)
{
    EXPECT_EQ(MCryptException(0).Message(), MString(L"Unknown."));
    EXPECT_EQ(MCryptException(18).Message(), MString(L"Unknown."));
    EXPECT_EQ(MCryptException(1, 5).Message(), MString(L"Acquire Crypt Context."));
    EXPECT_EQ(MCryptException(13).Message(), MString(L"Invalid Password Size."));
    EXPECT_EQ(MCryptException(17).Message(), MString(L"Bad data."));

    const MString denied = MCryptException(9, 5).Message();
    EXPECT_EQ(denied, FormatSystemError(5));
    ASSERT_FALSE(denied.IsEmpty());
    const wchar_t last = denied.GetText()[denied.GetLength() - 1];
    EXPECT_NE(last, L'\n');
    EXPECT_NE(last, L'\r');
    EXPECT_NE(last, L' ');
}

TEST(CryptBase, AcquiresBothProvidersAndRefusesAnUnknownOne)
{
    MCryptBase full(PROV_RSA_FULL, EnhancedRsaFullProviderName, CryptContextFlags);
    MCryptBase aes(PROV_RSA_AES, RsaAesProviderName(), CryptContextFlags);
    EXPECT_NE(full.GetProvider(), 0u);
    EXPECT_NE(aes.GetProvider(), 0u);
    EXPECT_EQ(aes.GetProviderType(), static_cast<DWORD>(PROV_RSA_AES));

    try
    {
        MCryptBase missing(PROV_RSA_FULL, L"No Such Cryptographic Provider", CryptContextFlags);
        FAIL() << "acquired a provider that does not exist";
    }
    catch (const MCryptException& failure)
    {
        EXPECT_EQ(failure.code, 1u);
        EXPECT_NE(failure.error, 0u);
    }
}

TEST(CryptBase, MissingKeySetIsCreatedAndUsable)
{
    // Without CRYPT_VERIFYCONTEXT the default machine key set is opened; once
    // it is deleted that fails with NTE_BAD_KEYSET, and AcquireContext makes
    // a new one. Whether its access list could be set or not, it works.
    MCryptBase base(PROV_RSA_FULL, EnhancedRsaFullProviderName, CryptContextFlags);
    auto deleteKeySet = [] {
        HCRYPTPROV none = 0;
        CryptAcquireContextW(&none, nullptr, EnhancedRsaFullProviderName, PROV_RSA_FULL,
                             CRYPT_MACHINE_KEYSET | CRYPT_DELETEKEYSET);
    };
    deleteKeySet();
    HCRYPTPROV provider = 0;
    ASSERT_FALSE(CryptAcquireContextW(&provider, nullptr, EnhancedRsaFullProviderName, PROV_RSA_FULL,
                                      CRYPT_MACHINE_KEYSET));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(NTE_BAD_KEYSET));

    DWORD error = 0;
    provider = base.AcquireContext(EnhancedRsaFullProviderName, CRYPT_MACHINE_KEYSET, error);
    ASSERT_NE(provider, 0u) << "error " << error;
    BYTE random[8] = {};
    EXPECT_TRUE(CryptGenRandom(provider, sizeof(random), random));
    CryptReleaseContext(provider, 0);
    deleteKeySet();
}
