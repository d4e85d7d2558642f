#include "server/RequestTexts.h"

#include "foundation/SystemUtilities.h"

#include <cstring>
#include <ctime>

MStringEx<wchar_t> NewRequestId()
{
    return MStringEx<wchar_t>(sX::Format(), L"%0.4u%0.4I64u", GetTickCount(),
                              static_cast<unsigned __int64>(std::time(nullptr)));
}

MStringEx<wchar_t> AgentText()
{
    return MStringEx<wchar_t>(sX::Format(), L"%s %s", ProductName,
                              MStringEx<wchar_t>(L"ProductVersion", nullptr).GetText());
}

MemoryPH<unsigned char> Utf8Bytes(const MStringEx<wchar_t>& text)
{
    const MStringEx<char> utf8 = WideToUtf8String(text);
    MemoryPH<unsigned char> bytes(utf8.GetLength());
    if (utf8.GetLength())
        std::memcpy(bytes.GetData(), utf8.GetData(), static_cast<size_t>(utf8.GetLength()));
    return bytes;
}
