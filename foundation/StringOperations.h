// Searching, comparing, cutting, trimming, splitting and replacing of
// MStringEx; included by StringEx.h. They work on the text, the count - 1
// elements before the terminating NUL.
#pragma once

#include "foundation/Containers.h"

#include <cstring>
#include <cwchar>

namespace StringDetail
{
// The C runtime's case mapping of the current locale, in place up to the
// first NUL.
inline void MapLower(wchar_t* text) { _wcslwr(text); }
inline void MapLower(char* text) { _strlwr(text); }
inline void MapUpper(wchar_t* text) { _wcsupr(text); }
inline void MapUpper(char* text) { _strupr(text); }
inline int CompareNoCase(const wchar_t* a, const wchar_t* b, size_t count) { return _wcsnicmp(a, b, count); }
inline int CompareNoCase(const char* a, const char* b, size_t count) { return _strnicmp(a, b, count); }

// A case-mapped copy of a string; every run between inner NULs is mapped too.
template <class T> MStringEx<T> CaseMapped(const MStringEx<T>& text, bool upper)
{
    MStringEx<T> copy(text);
    T* data = copy.GetData();
    const unsigned __int64 length = copy.GetLength();
    for (unsigned __int64 i = 0; i < length; ++i)
    {
        if (data[i] == 0)
            continue;
        if (upper)
            MapUpper(data + i);
        else
            MapLower(data + i);
        while (i < length && data[i] != 0)
            ++i;
    }
    return copy;
}

// The first position at or after start where part (partLength elements)
// occurs in text, or ~0.
template <class T>
unsigned __int64 FindIn(const T* text, unsigned __int64 length, const T* part, unsigned __int64 partLength,
                        unsigned __int64 start)
{
    if (start >= length || partLength > length - start)
        return ~0ull;
    for (unsigned __int64 position = start; position <= length - partLength; ++position)
        if (partLength == 0 || std::memcmp(text + position, part, static_cast<size_t>(partLength * sizeof(T))) == 0)
            return position;
    return ~0ull;
}

// Narrow text tests each byte as a signed value, so only the ASCII spaces
// match there; bytes above 0x7F never do.
inline bool IsWhiteSpace(char c) { return (c >= 9 && c <= 13) || c == 32; }
inline bool IsWhiteSpace(wchar_t c)
{
    return (c >= 9 && c <= 13) || c == 32 || c == 0x85 || c == 0xA0 || c == 0x1680 || c == 0x180E ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

// Where the text stops for the scans that end at the first NUL.
template <class T> unsigned __int64 LengthToNul(const T* text, unsigned __int64 length)
{
    for (unsigned __int64 i = 0; i < length; ++i)
        if (text[i] == 0)
            return i;
    return length;
}

// A new string of count elements of text.
template <class T> MStringEx<T> Piece(const T* text, unsigned __int64 count)
{
    MStringEx<T> piece{ElementCount(count)};
    if (count)
        std::memcpy(piece.GetData(), text, static_cast<size_t>(count * sizeof(T)));
    return piece;
}
}

template <class T>
unsigned __int64 MStringEx<T>::Find(const MStringEx& part, unsigned __int64 start, bool matchCase) const
{
    if (matchCase)
        return StringDetail::FindIn(this->m_data, GetLength(), part.m_data, part.GetLength(), start);
    const MStringEx text = StringDetail::CaseMapped(*this, false);
    const MStringEx lowerPart = StringDetail::CaseMapped(part, false);
    return StringDetail::FindIn(text.m_data, text.GetLength(), lowerPart.m_data, lowerPart.GetLength(), start);
}

template <class T> unsigned __int64 MStringEx<T>::FindChar(T c, unsigned __int64 start, bool matchCase) const
{
    const unsigned __int64 length = GetLength();
    if (start >= length)
        return npos;
    const T* text = this->m_data;
    MStringEx lowered;
    if (!matchCase)
    {
        lowered = StringDetail::CaseMapped(*this, false);
        text = lowered.m_data;
        T one[2] = {c, 0};
        StringDetail::MapLower(one);
        c = one[0];
    }
    for (unsigned __int64 i = start; i < length && text[i] != 0; ++i)
        if (text[i] == c)
            return i;
    return npos;
}

template <class T> bool MStringEx<T>::StartsWith(const MStringEx& prefix, bool matchCase) const
{
    const unsigned __int64 prefixLength = prefix.GetLength();
    if (prefixLength == 0 || GetLength() < prefixLength)
        return false;
    const size_t bytes = static_cast<size_t>(prefixLength * sizeof(T));
    if (matchCase)
        return std::memcmp(this->m_data, prefix.m_data, bytes) == 0;
    return std::memcmp(StringDetail::CaseMapped(*this, true).m_data, StringDetail::CaseMapped(prefix, true).m_data,
                       bytes) == 0;
}

template <class T> bool MStringEx<T>::EqualsNoCase(const MStringEx& other) const
{
    if (this->m_count != other.m_count)
        return false;
    return StringDetail::CompareNoCase(this->m_data, other.m_data, static_cast<size_t>(GetLength())) == 0;
}

template <class T> bool MStringEx<T>::ContainsAnyOf(const T* set) const
{
    if (!set || !set[0] || IsEmpty())
        return false;
    for (unsigned __int64 i = 0; i < GetLength(); ++i)
        for (const T* s = set; *s; ++s)
            if (this->m_data[i] == *s)
                return true;
    return false;
}

template <class T> MStringEx<T> MStringEx<T>::Mid(unsigned __int64 position, unsigned __int64 length) const
{
    const unsigned __int64 textLength = GetLength();
    if (position >= textLength || length == 0)
        return MStringEx();
    const unsigned __int64 rest = textLength - position;
    return StringDetail::Piece(this->m_data + position, length < rest ? length : rest);
}

template <class T> MStringEx<T> MStringEx<T>::Mid(unsigned __int64 position) const
{
    if (position >= GetLength())
        return MStringEx();
    return StringDetail::Piece(this->m_data + position, GetLength() - position);
}

template <class T> MStringEx<T> MStringEx<T>::Left(unsigned __int64 length) const
{
    return StringDetail::Piece(this->m_data, length < GetLength() ? length : GetLength());
}

template <class T> MStringEx<T> MStringEx<T>::BeforeLast(T c, bool wholeIfAbsent) const
{
    const unsigned __int64 length = StringDetail::LengthToNul(this->m_data, GetLength());
    for (unsigned __int64 i = length; i-- > 0;)
        if (this->m_data[i] == c)
            return StringDetail::Piece(this->m_data, i);
    return wholeIfAbsent && !IsEmpty() ? *this : MStringEx();
}

template <class T> MStringEx<T> MStringEx<T>::AfterLast(T c, bool wholeIfAbsent) const
{
    const unsigned __int64 length = StringDetail::LengthToNul(this->m_data, GetLength());
    for (unsigned __int64 i = length; i-- > 0;)
        if (this->m_data[i] == c)
            return StringDetail::Piece(this->m_data + i + 1, length - i - 1);
    return wholeIfAbsent && !IsEmpty() ? *this : MStringEx();
}

template <class T> MStringEx<T> MStringEx<T>::AfterNth(T c, unsigned __int64 n, bool wholeIfMissing) const
{
    if (IsEmpty())
        return MStringEx();
    const unsigned __int64 length = StringDetail::LengthToNul(this->m_data, GetLength());
    unsigned __int64 seen = 0;
    for (unsigned __int64 i = 0; n != 0 && i < length; ++i)
        if (this->m_data[i] == c && ++seen == n)
            return StringDetail::Piece(this->m_data + i + 1, length - i - 1);
    return wholeIfMissing ? *this : MStringEx();
}

template <class T> MStringEx<T>& MStringEx<T>::Remove(T c)
{
    const unsigned __int64 length = GetLength();
    unsigned __int64 kept = 0;
    for (unsigned __int64 i = 0; i < length; ++i)
        if (this->m_data[i] != c)
            this->m_data[kept++] = this->m_data[i];
    this->m_data[kept] = 0;
    this->SetCount(kept + 1);
    return *this;
}

template <class T> MList<MStringEx<T>> MStringEx<T>::Split(MStringEx separator, bool matchCase) const
{
    MList<MStringEx> pieces;
    const unsigned __int64 length = GetLength();
    if (separator.IsEmpty())
    {
        for (unsigned __int64 i = 0; i < length; ++i)
            pieces.Append(new MStringEx(StringDetail::Piece(this->m_data + i, 1)));
        return pieces;
    }
    // Searched once in mapped copies; the pieces come from the text itself.
    const MStringEx text = matchCase ? *this : StringDetail::CaseMapped(*this, false);
    if (!matchCase)
        separator = StringDetail::CaseMapped(separator, false);
    const unsigned __int64 separatorLength = separator.GetLength();
    unsigned __int64 start = 0;
    while (start < length)
    {
        unsigned __int64 found =
            StringDetail::FindIn(text.m_data, length, separator.m_data, separatorLength, start);
        if (found == npos)
            found = length;
        if (found > start)
            pieces.Append(new MStringEx(StringDetail::Piece(this->m_data + start, found - start)));
        start = found == length ? length : found + separatorLength;
    }
    return pieces;
}

template <class T> MList<MStringEx<T>>* MStringEx<T>::SplitOnHeap(MStringEx separator, bool matchCase) const
{
    return new MList<MStringEx>(Split(std::move(separator), matchCase));
}

template <class T>
MStringEx<T>& MStringEx<T>::Replace(const MStringEx& what, const MStringEx& replacement, bool matchCase)
{
    const unsigned __int64 length = GetLength(), whatLength = what.GetLength();
    if (whatLength == 0)
        return *this;
    const MStringEx text = matchCase ? *this : StringDetail::CaseMapped(*this, false);
    const MStringEx sought = matchCase ? what : StringDetail::CaseMapped(what, false);
    // First count the occurrences to size the new text once.
    unsigned __int64 occurrences = 0;
    for (unsigned __int64 at = StringDetail::FindIn(text.m_data, length, sought.m_data, whatLength, 0); at != npos;
         at = StringDetail::FindIn(text.m_data, length, sought.m_data, whatLength, at + whatLength))
        ++occurrences;
    if (occurrences == 0)
        return *this;
    const unsigned __int64 replacementLength = replacement.GetLength();
    MStringEx result{ElementCount(length - occurrences * whatLength + occurrences * replacementLength)};
    T* out = result.m_data;
    unsigned __int64 start = 0;
    for (unsigned __int64 at = StringDetail::FindIn(text.m_data, length, sought.m_data, whatLength, 0); at != npos;
         at = StringDetail::FindIn(text.m_data, length, sought.m_data, whatLength, start))
    {
        std::memcpy(out, this->m_data + start, static_cast<size_t>((at - start) * sizeof(T)));
        out += at - start;
        std::memcpy(out, replacement.m_data, static_cast<size_t>(replacementLength * sizeof(T)));
        out += replacementLength;
        start = at + whatLength;
    }
    std::memcpy(out, this->m_data + start, static_cast<size_t>((length - start) * sizeof(T)));
    this->Swap(result);
    return *this;
}

template <class T> MStringEx<T>& MStringEx<T>::TrimLeft()
{
    const unsigned __int64 length = GetLength();
    unsigned __int64 k = 0;
    while (k < length && StringDetail::IsWhiteSpace(this->m_data[k]))
        ++k;
    if (k != 0)
    {
        MStringEx rest = StringDetail::Piece(this->m_data + k, length - k);
        this->Swap(rest);
    }
    return *this;
}

template <class T> MStringEx<T>& MStringEx<T>::TrimRight()
{
    const unsigned __int64 length = GetLength();
    unsigned __int64 kept = length;
    while (kept > 0 && StringDetail::IsWhiteSpace(this->m_data[kept - 1]))
        --kept;
    if (kept != length)
    {
        MStringEx rest = StringDetail::Piece(this->m_data, kept);
        this->Swap(rest);
    }
    return *this;
}

template <class T> MStringEx<T>& MStringEx<T>::Trim()
{
    TrimLeft();
    return TrimRight();
}

template <class T> MStringEx<T>& MStringEx<T>::TrimLeft(T c)
{
    const unsigned __int64 length = GetLength();
    unsigned __int64 k = 0;
    while (k < length && this->m_data[k] == c)
        ++k;
    if (k != 0)
    {
        MStringEx rest = StringDetail::Piece(this->m_data + k, length - k);
        this->Swap(rest);
    }
    return *this;
}

template <class T> MStringEx<T>& MStringEx<T>::TrimRight(T c)
{
    const unsigned __int64 length = GetLength();
    unsigned __int64 kept = length;
    while (kept > 0 && this->m_data[kept - 1] == c)
        --kept;
    if (kept != length)
    {
        MStringEx rest = StringDetail::Piece(this->m_data, kept);
        this->Swap(rest);
    }
    return *this;
}

template <class T> MStringEx<T>& MStringEx<T>::Trim(T c)
{
    TrimLeft(c);
    return TrimRight(c);
}

template <class T> MStringEx<T> MStringEx<T>::FromInt64(__int64 value)
{
    if constexpr (std::is_same<T, wchar_t>::value)
        return MStringEx(sX::Format(), L"%I64d", value);
    else
        return MStringEx(sX::Format(), "%I64d", value);
}
