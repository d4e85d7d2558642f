// A checksum over bytes built on a table of primes: the status cards, the
// current-slide record, the walk's bookkeeping and the slide cache file
// compare buffers by it.
#pragma once

#include "foundation/StringEx.h"

#include <cstddef>

// Entries of the prime table: P[0] = 1 and P[k] = the k-th prime.
constexpr unsigned PrimeTableSize = 4000001;

// P[index] for index < PrimeTableSize; the table is computed once per
// process on first use and shared read-only by all threads.
unsigned PrimeTableEntry(unsigned index);

// Sum over i of (P[i mod PrimeTableSize] x P[b[i]]) mod 2^32, the sum taken
// modulo 2^64. An empty buffer gives 0.
unsigned __int64 PrimeTableHash(const void* bytes, size_t count);
unsigned __int64 PrimeTableHash(const MAtom<unsigned char>& buffer);
// The bytes of the text's UTF-16 units, the terminating NUL included.
unsigned __int64 PrimeTableHash(const MStringEx<wchar_t>& text);
