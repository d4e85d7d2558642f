// The RSA key pairs made ahead for the online slide's road.
#include "server/KeyPairSupply.h"

#include "core/ThreadCounter.h"

#include <gtest/gtest.h>

namespace
{
// Long enough for a 2048-bit key on a busy machine.
constexpr DWORD KeyBound = 120000;

// The pair's private key undoes what its public key does.
void ExpectWorkingPair(const MACrypt& pair, unsigned bits)
{
    EXPECT_EQ(pair.GetKeyLength().Bits(), bits);
    MemoryPH<unsigned char> plain(300, 0x5A), cipher, back;
    pair.EncryptBuffer(plain, cipher);
    ASSERT_TRUE(pair.DecryptBuffer(cipher, back, nullptr));
    EXPECT_TRUE(back.Equals(plain));
}

TEST(KeyPairSupply, HandsOutEachPairOnce)
{
    KeyPairSupply supply(2048, 1);
    EXPECT_FALSE(supply.WaitUntilReady(0)) << "nothing is made before it is asked for";
    supply.PrepareNext();
    ASSERT_TRUE(supply.WaitUntilReady(KeyBound));
    supply.PrepareNext(); // one is ready: nothing more is made
    const std::unique_ptr<MACrypt> ahead = supply.Take(nullptr);
    ASSERT_TRUE(ahead);
    EXPECT_FALSE(supply.WaitUntilReady(KeyBound)) << "taken, and no second pair was made";

    // Without one made ahead, the pair is made on the calling thread.
    const std::unique_ptr<MACrypt> now = supply.Take(nullptr);
    ASSERT_TRUE(now);
    ExpectWorkingPair(*ahead, 2048);
    ExpectWorkingPair(*now, 2048);
    EXPECT_FALSE(ahead->ExportPublicKey().Equals(now->ExportPublicKey()));
}

// The session's supply keeps two pairs ready, and follows the server key's
// length: a pair of another length is made when asked for, and from then on
// made ahead.
TEST(KeyPairSupply, KeepsItsCountReadyAndFollowsTheLengthAskedFor)
{
    KeyPairSupply supply(512, 2);
    supply.PrepareNext();
    ASSERT_TRUE(supply.WaitUntilReady(KeyBound));
    const std::unique_ptr<MACrypt> first = supply.Take(nullptr);
    EXPECT_TRUE(supply.WaitUntilReady(0)) << "the second is ready too";
    const std::unique_ptr<MACrypt> second = supply.Take(512, nullptr);
    EXPECT_FALSE(supply.WaitUntilReady(KeyBound));
    ExpectWorkingPair(*first, 512);
    ExpectWorkingPair(*second, 512);

    supply.PrepareNext();
    ASSERT_TRUE(supply.WaitUntilReady(KeyBound));
    ExpectWorkingPair(*supply.Take(1024, nullptr), 1024);
    EXPECT_FALSE(supply.WaitUntilReady(KeyBound)) << "the pairs of 512 bits are dropped";
    supply.PrepareNext();
    ASSERT_TRUE(supply.WaitUntilReady(KeyBound));
    ExpectWorkingPair(*supply.Take(nullptr), 1024);
    ExpectWorkingPair(*supply.Take(nullptr), 1024);
}

// The thread shares the supply's state, and the program's exit waits for it.
TEST(KeyPairSupply, PairsBeingMadeOutliveTheirSupply)
{
    {
        KeyPairSupply supply(1024, 2);
        supply.PrepareNext();
    }
    EXPECT_EQ(WaitForSingleObject(ThreadCounterHolder.Get().IdleEvent(), KeyBound), WAIT_OBJECT_0);
}
} // namespace
