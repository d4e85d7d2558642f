// Seeding the C runtime's generator (rand), which keeps its state per
// thread: each thread that draws from it seeds it from the tick count when it
// starts, so that the show's random choices differ from run to run.
#pragma once

#include <windows.h>

// Seeds the calling thread's generator with the tick count times factor.
void SeedThreadRandom(DWORD factor);

// Where the seed's tick count comes from; GetTickCount unless a test puts
// its own in place. Null restores GetTickCount.
using SeedTickSource = DWORD(WINAPI*)();
void SetSeedTickSource(SeedTickSource source);
