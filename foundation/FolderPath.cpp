#include "foundation/FolderPath.h"

#include <cwctype>

namespace
{
MString FromRange(const wchar_t* text, size_t length)
{
    MString result{ElementCount(length)};
    for (size_t i = 0; i < length; ++i)
        result[i] = text[i];
    return result;
}

size_t Levels(const MString& text)
{
    size_t count = 0;
    const size_t length = static_cast<size_t>(text.GetLength());
    for (size_t i = 0; i < length; ++i)
        if (text[i] == L'\\')
            ++count;
    if (length && text[length - 1] == L'\\' && count)
        --count;
    return count;
}

bool StartsWithIgnoringCase(const MString& text, const MString& prefix)
{
    const size_t length = static_cast<size_t>(prefix.GetLength());
    if (length == 0 || text.GetLength() < length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (towupper(text[i]) != towupper(prefix[i]))
            return false;
    return true;
}
}

MString NormalizeFolderPath(const MString& text)
{
    const size_t length = static_cast<size_t>(text.GetLength());
    if (length == 0)
        return text;
    if (length == 2 && text[1] == L':')
        return text + L"\\";
    if (length == 3 && text[1] == L':' && text[2] == L'\\')
        return text;
    MString result = text;
    for (size_t i = 0; i < length; ++i)
        if (result[i] == L'/')
            result[i] = L'\\';
    size_t end = length;
    while (end > 0 && result[end - 1] == L'\\')
        --end;
    return end == length ? result : FromRange(result.GetText(), end);
}

bool IsStrictSubPath(const MString& folder, const MString& path)
{
    const size_t folderLength = static_cast<size_t>(folder.GetLength());
    if (folderLength == 0 || path.IsEmpty() || folderLength == path.GetLength())
        return false;
    if (Levels(path) <= Levels(folder))
        return false;
    if (!StartsWithIgnoringCase(path, folder))
        return false;
    if (folder[folderLength - 1] == L'\\')
        return true;
    return path[folderLength] == L'\\';
}

bool EqualsIgnoringCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength)
{
    if (aLength != bLength)
        return false;
    for (size_t i = 0; i < aLength; ++i)
        if (a[i] != b[i] && towupper(a[i]) != towupper(b[i]))
            return false;
    return true;
}

bool EqualsIgnoringCase(const MString& a, const MString& b)
{
    return EqualsIgnoringCase(a.GetText(), static_cast<size_t>(a.GetLength()), b.GetText(),
                              static_cast<size_t>(b.GetLength()));
}

MString UpperCased(const MString& text)
{
    MString result = text;
    const size_t length = static_cast<size_t>(text.GetLength());
    for (size_t i = 0; i < length; ++i)
        result[i] = static_cast<wchar_t>(towupper(result[i]));
    return result;
}

bool IsTrueText(const MString& text)
{
    for (const wchar_t* word : {L"true", L"yes", L"on", L"1"})
        if (EqualsIgnoringCase(text, MString(word)))
            return true;
    return false;
}

std::vector<MString> SplitAtSeparator(const MString& text, const MString& separator)
{
    std::vector<MString> pieces;
    const size_t length = static_cast<size_t>(text.GetLength());
    const size_t step = static_cast<size_t>(separator.GetLength());
    if (step == 0)
    {
        if (length)
            pieces.push_back(text);
        return pieces;
    }
    size_t start = 0;
    for (size_t i = 0; i + step <= length;)
    {
        if (EqualsIgnoringCase(text.GetText() + i, step, separator.GetText(), step))
        {
            if (i > start)
                pieces.push_back(FromRange(text.GetText() + start, i - start));
            i += step;
            start = i;
        }
        else
            ++i;
    }
    if (length > start)
        pieces.push_back(FromRange(text.GetText() + start, length - start));
    return pieces;
}

MString FileNameOf(const MString& path)
{
    return path.AfterLast(L'\\', true);
}

MString WithoutExtension(const MString& name)
{
    return name.BeforeLast(L'.', true);
}

MString ExtensionOf(const MString& path)
{
    return path.AfterLast(L'.', false);
}
