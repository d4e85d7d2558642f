// The keyed unscrambling pass over bytes that reach the program scrambled,
// random bytes, and a key derived from a text.
#pragma once

#include "crypto/AesCipher.h"

// Unscrambles the data in place with the first 7 bytes of the key: addend,
// multiplier, rounds less 49, and a 32-bit little-endian counter start.
// False, with the data unchanged, for a key of fewer than 7 bytes;
// MCryptException 3 for empty data.
bool UnscrambleBytes(MAtom<unsigned char>& data, const MAtom<unsigned char>& key);

// Fills the buffer from CryptoAPI's random generator (MCryptException 1 or 9
// when it fails).
void FillRandomBytes(MAtom<unsigned char>& bytes);

// 64 bytes from the text's UTF-16LE characters: SHA-512 of the text and of
// the text reversed, both byte-reversed, then SHA-512 of the two joined. The
// text is consumed: its characters are overwritten with random bytes and it
// is left empty.
MSmartPtr<SecureBytes> DeriveKeyFromText(MStringEx<wchar_t>& text);
