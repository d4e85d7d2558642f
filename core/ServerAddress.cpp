#include "core/LumivaneModule.h"

#include "crypto/ProtectedTexts.h"

MStringEx<wchar_t> ReadStoredServerBaseAddress()
{
    // Runs during static initialisation: nothing may escape. A program
    // whose protected texts cannot be opened has no server address, and its
    // server requests fail.
    try
    {
        return StoredServerBaseAddress();
    }
    catch (...)
    {
        return MStringEx<wchar_t>();
    }
}
