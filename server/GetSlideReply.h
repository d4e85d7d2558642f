// The reply of the slide POST on "get-slide.aspx": its three layers (AES,
// RSA, AES) removed, its framing checked field by field, and what it holds
// handed to the round's record. Nothing of a reply changes any state before
// the whole reply has been checked.
#pragma once

#include "crypto/ACrypt.h"
#include "crypto/AesCipher.h"
#include "server/OnlineSlideRecord.h"

#include <functional>

// A malformed reply, or a message from the server in place of a slide
// (code 16, with the message). The codes are listed in docs/protocol.md.
class DownloadDataError : public QuilloryError
{
public:
    explicit DownloadDataError(unsigned code, const MStringEx<wchar_t>& message = MStringEx<wchar_t>())
        : m_code(code), m_message(message)
    {
    }
    unsigned Code() const noexcept override { return m_code; }
    const char* what() const noexcept override { return "slide reply"; }
    const MStringEx<wchar_t>& Message() const { return m_message; }

private:
    unsigned m_code;
    MStringEx<wchar_t> m_message;
};

// DownloadDataError codes.
enum DownloadDataCode : unsigned
{
    ReplyEmptyAfterUnwrapping = 1,
    ReplyWrongKind = 2,
    ReplyTooShort = 3,
    ReplyEmptyContent = 5,
    ReplyEmptyFirstText = 6,
    ReplyPictureSecondField = 7,
    ReplyWrongFlag = 8,
    ReplyEmptyCachePayload = 12,
    ReplyFieldsDoNotFit = 13,
    ReplyEmptySessionCode = 14,
    ReplyOddTextLength = 15,
    ReplyServerMessage = 16,
    ReplyFirstLayerEmpty = 20,
    ReplyShorterThanPrefix = 21,
    ReplyRsaLayerNotBlocks = 22,
};

// The shortest reply there is.
constexpr unsigned __int64 MinimumSlideReplyBytes = 19;
// Reply kinds: the slides, and the range of server messages.
constexpr unsigned char ReplyKindPicture = 1;
constexpr unsigned char ReplyKindMedia = 2;
constexpr unsigned char ReplyKindDocument = 3;
constexpr unsigned char ReplyKindFirstMessage = 128;
constexpr unsigned char ReplyKindLastMessage = 138;

// A checked slide reply; the views point into the reply buffer.
struct GetSlideReply
{
    unsigned char kind = 0;
    ShellMemory<unsigned char> content;
    MStringEx<wchar_t> firstText;
    MStringEx<wchar_t> secondText;
    unsigned char flag = 0;
    ShellMemory<unsigned char> cachePayload;
    // RSA cipher text of the new session code (kinds 2 and 3).
    ShellMemory<unsigned char> sessionCode;
};

// Reads the plaintext reply whole; every length is checked against what
// was received. Throws DownloadDataError.
GetSlideReply ParseGetSlideReply(const MAtom<unsigned char>& reply);

// The RSA part of the middle layer for request number n: whole blocks of
// the client key for n x (block size) bytes of plaintext.
unsigned __int64 RsaLayerBytes(unsigned n, unsigned blockBytes);

// Removes the three layers of the reply body: AES-CBC, then n bytes of
// prefix and the RSA part, then AES-CBC again over the RSA plaintext and
// what follows it. False when the stop event was seen; throws
// DownloadDataError 20, 21, 22 or 1 for a malformed body and
// MCryptException where the ciphers refuse it.
bool UnwrapGetSlideReply(const AesCipher& cipher, const MACrypt& clientKey, unsigned n,
                         const MAtom<unsigned char>& body, MemoryPH<unsigned char>& reply, HANDLE stop);

// Checks the reply whole (its session code decrypted with the client key
// included), then hands the cache payload to writeCache, then fills the
// record: kind, advert, content, texts, display flag, and for kinds 2 and 3
// the new session code (the old code is released on this thread first);
// for kind 1 the held code is released and emptied. A server message fills
// the record's second text and throws DownloadDataError 16. A reply that
// fails a check throws and changes nothing; when writeCache answers false
// nothing changes either and the answer is false.
bool ProcessGetSlideReply(OnlineSlideRecord& record, const MACrypt& clientKey, const MAtom<unsigned char>& reply,
                          bool advertDue, const std::function<bool(const MAtom<unsigned char>&)>& writeCache);
