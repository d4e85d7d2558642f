// The slide session key exchange: the server's public key from
// "get-pk.aspx", then a proof of the client's key and up to three session
// rounds on "get-slide.aspx", ending with the session's headers. Every
// reply comes scrambled with the request id that its own request carried.
// How the fields become header values is written in docs/protocol.md.
#pragma once

#include "crypto/ACrypt.h"
#include "server/HeaderList.h"

// The largest reply of the exchange that is read (docs/protocol.md): far
// above the key reply of a 16384-bit key and the framed replies.
constexpr unsigned __int64 SessionReplyLimit = 1024 * 1024;

// Runs the exchange, with two key pairs of SessionKeyPairs (made ahead, or
// made now). On success serverKeyBlob holds the server's public-key blob and
// sessionHeaders the session's headers (V, R, I, Q); false when the cancel
// event (or null) was seen signalled after a request or ended the wait for
// the key pairs. Both outputs are emptied first and filled only on success.
// Throws InternetException, MCryptException and ServerReplyError.
bool EstablishSlideSession(HeaderList& sessionHeaders, MAtom<unsigned char>& serverKeyBlob, HANDLE cancelEvent);

// Where a framed reply of one step reports itself malformed.
struct ReplyChecks
{
    unsigned wrongKind, wrongKindAt;
    unsigned shortReply, shortReplyAt;
};

// Unscrambles a framed reply with the request id its request carried,
// throws the server's refusal or a wrong kind, decrypts kind 0 with the
// client key and reads exactly fieldCount length-prefixed fields.
void OpenFramedReply(MemoryPH<unsigned char>& reply, const MStringEx<wchar_t>& requestId, const MACrypt& clientKey,
                     const ReplyChecks& checks, SecureBytes* fields, unsigned fieldCount);

// Reads the unscrambled "get-pk.aspx" reply: the key blob (decoded from its
// hexadecimal text) and the session text. ServerReplyError 5901 to 5906.
void ParseServerKeyReply(const MAtom<unsigned char>& reply, MAtom<unsigned char>& keyBlob,
                         MStringEx<wchar_t>& sessionText);

// The key that protects session codes on their way to the server: the
// hasher's digest, reversed, of "QuilloryQUILLORYquillory" (UTF-16 with its
// NUL), then the hasher's digest of that joined with the MD5 of the same
// text. Answers out.
MAtom<unsigned char>& CreateServerSessionCrypto(MAtom<unsigned char>& out, const MAAuthenticator& hasher);
