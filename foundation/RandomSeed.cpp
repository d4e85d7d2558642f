#include "foundation/RandomSeed.h"

#include <atomic>
#include <cstdlib>

namespace
{
std::atomic<SeedTickSource> TickSource{&GetTickCount};
}

void SeedThreadRandom(DWORD factor)
{
    // The product wraps at 32 bits as the tick count itself does.
    srand(static_cast<unsigned>(TickSource.load()() * factor));
}

void SetSeedTickSource(SeedTickSource source)
{
    TickSource.store(source ? source : &GetTickCount);
}
