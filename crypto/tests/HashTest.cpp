#include "TestHelpers.h"

using namespace CryptoTest;

// Published digests: RFC 1319 (MD2), RFC 1320 (MD4), RFC 1321 (MD5) and the
// FIPS 180 examples (SHA-1, SHA-256, SHA-384, SHA-512).
TEST(Hash, PublishedVectors)
{
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    struct Case
    {
        ALG_ID id;
        std::string message;
        const char* digest;
    } cases[] = {
        {CALG_MD2, "", "8350e5a3e24c153df2275c9f80692773"},
        {CALG_MD2, "abc", "da853b0d3f88d99b30283a69e6ded6bb"},
        {CALG_MD2, "message digest", "ab4f496bfb2a530b219ff33031fe06b0"},
        {CALG_MD2, alphabet, "4e8ddff3650292ab5a4108c3aa47940b"},
        {CALG_MD4, "abc", "a448017aaf21d8525fc10ae87aa6729d"},
        {CALG_MD5, "", "d41d8cd98f00b204e9800998ecf8427e"},
        {CALG_MD5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {CALG_MD5, "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {CALG_SHA1, "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {CALG_SHA1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {CALG_SHA1, twoBlocks, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {CALG_SHA_256, "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {CALG_SHA_256, "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {CALG_SHA_256, twoBlocks, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {CALG_SHA_384, "abc",
         "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7"},
        {CALG_SHA_512, "abc",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
         "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
    };
    for (const Case& c : cases)
    {
        MAAuthenticator hasher = MakeHasher(c.id);
        MemoryPH<unsigned char> digest;
        hasher.Hash(Bytes(c.message), digest, false);
        EXPECT_EQ(ToHex(digest), c.digest) << std::hex << c.id << " of \"" << c.message << "\"";
    }
}

TEST(Hash, ReverseFlagTurnsTheDigestAround)
{
    MAAuthenticator sha1 = MakeHasher(CALG_SHA1);
    MemoryPH<unsigned char> digest;
    sha1.Hash(MemoryPH<unsigned char>(0), digest, true);
    EXPECT_EQ(ToHex(digest), "0907d8af90186095efbf55320d4b6b5eeea339da");
}

TEST(Hash, AuthenticatorHoldsASignatureKeyOfItsLength)
{
    MAAuthenticator hasher(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(1024),
                           MAAuthenticator::MAAuthAlgHash(CALG_SHA1), 7);
    EXPECT_EQ(hasher.GetOptions(), 7u);
    ALG_ID algorithm = 0;
    DWORD bits = 0, size = sizeof(algorithm);
    ASSERT_TRUE(CryptGetKeyParam(hasher.GetKey(), KP_ALGID, reinterpret_cast<BYTE*>(&algorithm), &size, 0));
    EXPECT_EQ(algorithm, static_cast<ALG_ID>(CALG_RSA_SIGN));
    size = sizeof(bits);
    ASSERT_TRUE(CryptGetKeyParam(hasher.GetKey(), KP_KEYLEN, reinterpret_cast<BYTE*>(&bits), &size, 0));
    EXPECT_EQ(bits, 1024u);

    hasher.GenerateKey(MAsymmetric::KeyLength(512));
    size = sizeof(bits);
    ASSERT_TRUE(CryptGetKeyParam(hasher.GetKey(), KP_KEYLEN, reinterpret_cast<BYTE*>(&bits), &size, 0));
    EXPECT_EQ(bits, 512u);
    EXPECT_EQ(hasher.GetKeyLength().Bits(), 512);
}

TEST(HashFile, EmptyFileGivesTheEmptyDigestAfterOneProgressCall)
{
    MAAuthenticator sha1 = MakeHasher(CALG_SHA1);
    TempFile file;
    CountingObserver observer;
    MemoryPH<unsigned char> digest;
    EXPECT_TRUE(HashFile(sha1, file.Handle(), 0, 0, digest, false, &observer));
    EXPECT_EQ(ToHex(digest), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    ASSERT_EQ(observer.calls.size(), 1u);
    EXPECT_EQ(observer.calls[0].reached, 0u);
    EXPECT_EQ(observer.calls[0].total, 0u);
    EXPECT_EQ(observer.calls[0].chunk, 0u);
}

TEST(HashFile, HashesTheWholeFileAndKeepsThePosition)
{
    // Two and a half read buffers, so the last read is short.
    MemoryPH<unsigned char> contents(0x280000);
    for (unsigned __int64 i = 0; i < contents.GetCount(); ++i)
        contents[i] = static_cast<unsigned char>(i * 7 + (i >> 12));
    TempFile file;
    file.Write(contents);
    file.Seek(1000);

    MAAuthenticator sha256 = MakeHasher(CALG_SHA_256);
    MemoryPH<unsigned char> expected, digest, reversed;
    sha256.Hash(contents, expected, false);
    CountingObserver observer;
    EXPECT_TRUE(HashFile(sha256, file.Handle(), 5, 10, digest, &observer));
    EXPECT_TRUE(digest.Equals(expected));
    EXPECT_EQ(file.Position(), 1000u);
    ASSERT_EQ(observer.calls.size(), 4u);
    EXPECT_EQ(observer.calls[3].reached, 0x280000u);
    EXPECT_EQ(observer.calls[3].total, 0x280000u);
    EXPECT_EQ(observer.calls[3].chunk, 0x100000u);

    EXPECT_TRUE(HashFile(sha256, file.Handle(), 0, 0, reversed, true, nullptr));
    ReverseByteOrder(reversed);
    EXPECT_TRUE(reversed.Equals(expected));
}

TEST(HashFile, StoppedByTheObserver)
{
    TempFile file;
    file.Write(Bytes("some bytes to hash"));
    file.Seek(4);
    MAAuthenticator md5 = MakeHasher(CALG_MD5);
    MemoryPH<unsigned char> digest = Bytes("old");
    CountingObserver stopAtOnce(1);
    EXPECT_FALSE(HashFile(md5, file.Handle(), 0, 0, digest, false, &stopAtOnce));
    EXPECT_TRUE(digest.IsEmpty());
    EXPECT_EQ(file.Position(), 4u);
}

TEST(HashFile, WaitsAtTheGate)
{
    TempFile file;
    file.Write(Bytes("gated"));
    HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    struct GatedObserver : MObserver
    {
        using MObserver::MObserver;
        bool Progress(unsigned __int64, unsigned __int64, unsigned __int64) override { return true; }
    } observer(gate);
    MAAuthenticator md5 = MakeHasher(CALG_MD5);
    MemoryPH<unsigned char> digest;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* parameter) -> DWORD {
            Sleep(200);
            SetEvent(static_cast<HANDLE>(parameter));
            return 0;
        },
        gate, 0, nullptr);
    const ULONGLONG started = GetTickCount64();
    EXPECT_TRUE(HashFile(md5, file.Handle(), 0, 0, digest, false, &observer));
    EXPECT_GE(GetTickCount64() - started, 150u);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(gate);
}
