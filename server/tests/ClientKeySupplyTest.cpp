// The client key pairs made ahead for the download workers.
#include "server/ClientKeySupply.h"

#include "shell/core/ThreadCounter.h"

#include <gtest/gtest.h>

namespace
{
// Long enough for a 2048-bit key on a busy machine.
constexpr DWORD KeyBound = 120000;

TEST(ClientKeySupply, HandsOutEachPairOnce)
{
    ClientKeySupply supply;
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
    for (const MACrypt* pair : {ahead.get(), now.get()})
    {
        EXPECT_EQ(pair->GetKeyLength().Bits(), 2048u);
        MemoryPH<unsigned char> plain(300, 0x5A), cipher, back;
        pair->EncryptBuffer(plain, cipher);
        ASSERT_TRUE(pair->DecryptBuffer(cipher, back, nullptr));
        EXPECT_TRUE(back.Equals(plain));
    }
    EXPECT_FALSE(ahead->ExportPublicKey().Equals(now->ExportPublicKey()));
}

// The thread shares the supply's state, and the program's exit waits for it.
TEST(ClientKeySupply, APairBeingMadeOutlivesItsSupply)
{
    {
        ClientKeySupply supply;
        supply.PrepareNext();
    }
    EXPECT_EQ(WaitForSingleObject(ThreadCounterHolder.Get().IdleEvent(), KeyBound), WAIT_OBJECT_0);
}
} // namespace
