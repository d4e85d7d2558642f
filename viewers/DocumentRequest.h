// The request that loads an online or local document into the web-document
// viewer: a browser navigation (GET of the document's address) whose headers
// name the product, the user-interface language and the media volume, ask
// the server to render the document slide, and carry the content session's
// auth code re-encrypted for the server.
#pragma once

#include "server/HeaderList.h"

// Header names of the request, in the order sent.
extern const wchar_t DocRequestVersionHeader[];
extern const wchar_t DocRequestTypeHeader[];
extern const wchar_t PlayerVolumeHeader[];

// Navigation flags: no history, neither read from nor write to the cache.
constexpr long DocumentNavigateFlags = 14;

// The headers for a document whose session auth code is authCode, held
// encrypted under the auth-code key (empty for a local file: the header
// then carries one encrypted padding block). Throws on a crypto or version
// resource failure; every secret is wiped before it returns.
HeaderList BuildDocumentRequestHeaders(const MAtom<unsigned char>& authCode);

struct IWebBrowser2;

// Navigates browser to address (none when empty) with the document
// request's headers; Navigate's own answer is passed back.
HRESULT NavigateToDocument(IWebBrowser2* browser, const MString& address, const MAtom<unsigned char>& authCode);
