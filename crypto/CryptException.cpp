#include "crypto/CryptException.h"

#include "foundation/SystemUtilities.h"

namespace
{
const wchar_t* FixedText(unsigned code)
{
    switch (code)
    {
    case 1: return L"Acquire Crypt Context.";
    case 2: return L"Acknowledge Data - Invalid Data Stream.";
    case 3: return L"Decrypt.";
    case 4: return L"Encrypt.";
    case 5: return L"Create Signature.";
    case 6: return L"Verify Signature.";
    case 7: return L"Obtain Cipher Length.";
    case 8: return L"Invalid Key Length.";
    case 10: return L"Invalid Cryptographic Key.";
    case 11: return L"Invalid Memory Size.";
    case 12: return L"Invalid Memory Type.";
    case 13: return L"Invalid Password Size.";
    case 14: return L"Invalid Initialization Vector Size.";
    case 15: return L"Invalid Flags.";
    case 16: return L"Invalid Hash Algorithm.";
    case 17: return L"Bad data.";
    default: return L"Unknown.";
    }
}
}

MStringEx<wchar_t> MCryptException::Message() const
{
    if (code == 9)
        return FormatSystemError(error);
    return MStringEx<wchar_t>(sX::Format(), L"%s", FixedText(code));
}

void ThrowLastCryptError() { throw MCryptException(9, GetLastError()); }
