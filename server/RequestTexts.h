// Texts that every request to the server carries: the request id that keys
// the scrambling of its reply, the agent, and the UTF-8 bytes of a text.
#pragma once

#include "foundation/StringEx.h"

// "%0.4u%0.4I64u" of the tick count and the seconds since 1970.
MStringEx<wchar_t> NewRequestId();
// "%s %s" of the product name and the own version block's "ProductVersion".
MStringEx<wchar_t> AgentText();
// The UTF-8 bytes of a text, without its NUL.
MemoryPH<unsigned char> Utf8Bytes(const MStringEx<wchar_t>& text);
