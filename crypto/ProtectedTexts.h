// The texts the program carries enciphered (docs/protected-texts.md): the
// session secret of the slide exchange, the server base address and the
// fixed part of the slide cache pass phrase.
#pragma once

#include "crypto/Unscramble.h"

enum ProtectedTextId : unsigned long
{
    SessionSecretText = 1,
    ServerBaseAddressText = 2,
    CachePassPhraseText = 3,
};

// Id -> stored (enciphered) text, built on first use and kept until exit.
const Dictionary<unsigned long, const wchar_t*>& ProtectedTextTable();

// Entry 1 opened with keys from the program's version texts taken in the
// order of the indices (each 0 to 7; MCryptException 3 otherwise). The
// order 0 to 7 gives the session secret itself, every other order other
// bytes of its length.
SecureBytes DescrambleStoredText(const MList<unsigned char>& indices);

// The plain bytes of an entry (DictionaryException 1 for an unknown id).
SecureBytes OpenProtectedText(unsigned long id);

// The server base address that the build stored, e.g. "http://127.0.0.1".
MStringEx<wchar_t> StoredServerBaseAddress();
