#include "slideshow/PathMatching.h"

#include "foundation/FolderPath.h"
#include "slideshow/PrimeTableHash.h"

unsigned __int64 FolderPathHash(const MString& text)
{
    return PrimeTableHash(UpperCased(text));
}

PathReference::PathReference(const MString& text) : m_text(text), m_hash(FolderPathHash(text)) {}

bool PathMatches(const PathReference& reference, const MString& candidate)
{
    const MString normalised = NormalizeFolderPath(candidate);
    if (normalised.GetLength() != reference.Text().GetLength())
        return false;
    return FolderPathHash(normalised) == reference.Hash() && EqualsIgnoringCase(normalised, reference.Text());
}

bool PathMatches(const MString& reference, const MString& candidate)
{
    return PathMatches(PathReference(reference), candidate);
}

bool PathLiesUnder(const MString& reference, const MString& candidate)
{
    return IsStrictSubPath(NormalizeFolderPath(candidate), reference);
}
