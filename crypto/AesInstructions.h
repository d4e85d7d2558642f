// AES in CBC mode with the processor's AES instructions (AES-NI). Only
// these functions are built for that instruction set; callers ask
// ProcessorHasAesInstructions first and use the table code otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

// Whether the processor offers the AES instructions and SSE4.1 (CPUID,
// asked once).
bool ProcessorHasAesInstructions();

// The round keys are the schedules of AesExpandEncryptionKey and
// AesExpandDecryptionKey (big-endian words, 4 x (rounds + 1) of them).

// CBC encryption of whole blocks, one after the other: each block is XORed
// with the one before (the IV for the first) and encrypted. previous (16
// bytes) goes in as the IV and comes out as the last cipher block.
void AesInstructionsEncryptCbc(const std::uint32_t* roundKeys, unsigned rounds, unsigned char* previous,
                               const unsigned char* input, unsigned char* output, std::size_t blocks);

// CBC decryption of whole blocks, several at a time: no block waits for
// the one before it. Input and output may be the same buffer.
void AesInstructionsDecryptCbc(const std::uint32_t* roundKeys, unsigned rounds, const unsigned char* iv,
                               const unsigned char* input, unsigned char* output, std::size_t blocks);
