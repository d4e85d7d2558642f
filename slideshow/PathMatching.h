// Path equality and containment for the local walk and its bookkeeping: the
// reference text is taken as it is (callers normalise it first), the
// candidate is normalised here. Equality compares 64-bit hashes of the
// upper-cased texts before the texts, so that list searches reject most
// entries without a text comparison.
#pragma once

#include "foundation/StringEx.h"

// PrimeTableHash of an upper-cased copy of the text (its UTF-16 bytes with
// the NUL).
unsigned __int64 FolderPathHash(const MString& text);

// A reference path with its hash computed once.
class PathReference
{
public:
    explicit PathReference(const MString& text);
    const MString& Text() const { return m_text; }
    unsigned __int64 Hash() const { return m_hash; }

private:
    MString m_text;
    unsigned __int64 m_hash;
};

// The normalised candidate equals the reference without regard to case.
bool PathMatches(const PathReference& reference, const MString& candidate);
bool PathMatches(const MString& reference, const MString& candidate);
// The reference path lies strictly below the normalised candidate folder.
bool PathLiesUnder(const MString& reference, const MString& candidate);
