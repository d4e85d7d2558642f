// MStringEx: the string of the whole program, UTF-16 (wchar_t) for
// everything the user sees, paths, registry and URLs, and 8-bit (char) for
// UTF-8 exchanged with the server. A heap buffer that always ends in a NUL
// element: the count includes it, so the empty string has count 1.
#pragma once

#include "foundation/Atom.h"
#include "foundation/ByteMemory.h"
#include "foundation/StringException.h"
#include "foundation/StringResources.h"

#include <objbase.h>

#include <cstdarg>
#include <type_traits>

// Tag classes that give values of one representation distinct roles.
namespace sX
{
// Selects the printf-style string constructors.
struct Format
{
};
}

template <class T> class MList;

template <class T> class MStringEx : public MemoryPH<T>
{
    static_assert(std::is_same<T, wchar_t>::value || std::is_same<T, char>::value, "wide or narrow text only");

public:
    // Number base used when the text is parsed: 2, 8, 10 or 16.
    unsigned radix = 10;

    MStringEx() { SetEmpty(); }
    MStringEx(const T* text);
    MStringEx(const MStringEx& other) : MemoryPH<T>(other), radix(other.radix) {}
    MStringEx(MStringEx&& other) noexcept : MemoryPH<T>(std::move(other)), radix(other.radix) { other.SetEmpty(); }
    // Room for n characters: count n + 1, first and last element NUL.
    explicit MStringEx(const ElementCount& length);
    // The tag goes by reference: g++ passes an empty class by value in no
    // slot at all on x86_64, which puts va_start off by one argument.
    MStringEx(const sX::Format&, const T* format, ...);
    // Decimal digits of value ("%I64u"), in groups of three joined by ","
    // when group is set.
    template <class U = T, class = std::enable_if_t<std::is_same<U, wchar_t>::value>>
    MStringEx(bool group, unsigned __int64 value);
    // stopAtNul: the elements up to and including the first NUL (or all and a
    // NUL); otherwise all elements and a NUL.
    MStringEx(const MAtom<T>& atom, bool stopAtNul);
    // One character; NUL gives the empty string.
    template <class U = T, class = std::enable_if_t<std::is_same<U, char>::value>> explicit MStringEx(char c);
    // The braced upper-case text of a GUID in UTF-8.
    template <class U = T, class = std::enable_if_t<std::is_same<U, char>::value>> explicit MStringEx(const GUID& guid);
    // The text of a byte-counted block: its bytes / 2 units up to the first
    // NUL, then a NUL.
    template <class U = T, class = std::enable_if_t<std::is_same<U, wchar_t>::value>>
    explicit MStringEx(const MMemory<wchar_t>& memory);
    // The entry of the language module's string table (MStringException on
    // failure).
    template <class U = T, class = std::enable_if_t<std::is_same<U, wchar_t>::value>> explicit MStringEx(ResId id);
    // The entry of the language module's string table used as a printf
    // format for the arguments.
    template <class U = T, class = std::enable_if_t<std::is_same<U, wchar_t>::value>>
    MStringEx(const sX::Format&, unsigned id, ...);
    // The value of an entry ("ProductVersion", "FileDescription", ...) of
    // the version resource of the module's file.
    template <class U = T, class = std::enable_if_t<std::is_same<U, wchar_t>::value>>
    MStringEx(const wchar_t* entryName, HMODULE module);

    ~MStringEx() override = default;

    MStringEx& operator=(const MStringEx& other);
    MStringEx& operator=(MStringEx&& other) noexcept;
    MStringEx& operator=(const T* text);

    bool IsEmpty() const override { return this->m_count == 1; }
    MAtom<T>& Clear() override;

    unsigned __int64 GetLength() const { return this->m_count ? this->m_count - 1 : 0; }
    const T* GetText() const { return this->m_data; }

    // += : a new buffer holding both texts.
    MStringEx& Append(const MStringEx& other);
    MStringEx& operator+=(const MStringEx& other) { return Append(other); }
    MStringEx operator+(const T* text) const;
    MStringEx operator+(const MStringEx& other) const;
    bool operator==(const MStringEx& other) const { return this->Equals(other); }
    bool operator!=(const MStringEx& other) const { return !this->Equals(other); }

    // Replaces the text by printf-style formatting in the Microsoft C
    // runtime's format language; a null format clears the string.
    MStringEx& Format(const T* format, ...);
    // Replaces the text by the module's string-table entry; a null module
    // means the program's own. An empty entry gives the empty string and a
    // NUL inside the entry ends the text.
    template <class U = T, class = std::enable_if_t<std::is_same<U, wchar_t>::value>>
    MStringEx& LoadString(unsigned id, HMODULE module);
    MStringEx& FormatV(const T* format, va_list args);

    // The text without its terminating NUL.
    ShellMemory<T> TextView() const { return ShellMemory<T>(this->m_data, GetLength()); }
    // Reverses the characters in place; the NUL stays last.
    MStringEx& Reverse()
    {
        for (unsigned __int64 i = 0, j = GetLength(); j > i + 1; ++i, --j)
            std::swap(this->m_data[i], this->m_data[j - 1]);
        return *this;
    }

    MStringEx& InsertGroupSeparators(const T* separator);
    // The value of one digit in this string's radix; MStringException 10006
    // for a character that is no digit of it, 10007 for an unknown radix.
    unsigned DigitValue(T c) const;
    // Unsigned parse in radix; no sign, prefix or white space. An invalid
    // digit gives 0, an overflow all ones, both with false.
    bool ToUInt64(unsigned __int64& value) const;

    // Every element converted to UTF-8, the NUL included.
    template <class U = T, class = std::enable_if_t<std::is_same<U, wchar_t>::value>> MStringEx<char> ToUtf8() const;

    // Text output; withNul writes all elements, otherwise the text alone.
    // Each answers false on a failed open or write and stops there.
    bool WriteTextToHandle(HANDLE file, bool withNul) const;
    bool AppendTextToFile(const wchar_t* path, bool withNul) const;
    bool WriteTextFile(const wchar_t* path, bool withNul, DWORD creationDisposition, DWORD flagsAndAttributes,
                       DWORD* error) const;
    bool WriteTextFile(const wchar_t* path, bool withNul, DWORD creationDisposition,
                       DWORD flagsAndAttributes) const
    {
        return WriteTextFile(path, withNul, creationDisposition, flagsAndAttributes, nullptr);
    }

    // ---- searching, cutting, trimming, splitting, replacing ----
    // Positions and lengths are element indexes of the text; npos is not found.
    static constexpr unsigned __int64 npos = ~0ull;
    // matchCase false compares lower-cased copies (upper-cased for StartsWith)
    // mapped by the C runtime in the current locale.
    unsigned __int64 Find(const MStringEx& part, unsigned __int64 start, bool matchCase) const;
    unsigned __int64 FindChar(T c, unsigned __int64 start, bool matchCase) const;
    // False for an empty prefix.
    bool StartsWith(const MStringEx& prefix, bool matchCase) const;
    bool EqualsNoCase(const MStringEx& other) const;
    // Whether any character of the text occurs in the NUL-terminated set.
    bool ContainsAnyOf(const T* set) const;
    MStringEx Mid(unsigned __int64 position, unsigned __int64 length) const;
    MStringEx Mid(unsigned __int64 position) const;
    MStringEx Left(unsigned __int64 length) const;
    // The text before / after the last c; without one, the whole text when
    // wholeIfAbsent is set and the empty string otherwise.
    MStringEx BeforeLast(T c, bool wholeIfAbsent) const;
    MStringEx AfterLast(T c, bool wholeIfAbsent) const;
    // The text after the n-th c; with fewer, the empty string or the whole
    // text by wholeIfMissing.
    MStringEx AfterNth(T c, unsigned __int64 n, bool wholeIfMissing) const;
    // Removes every c in place.
    MStringEx& Remove(T c);
    // The non-empty pieces between occurrences of the separator; an empty
    // separator gives one piece per character.
    MList<MStringEx> Split(MStringEx separator, bool matchCase) const;
    // The same list on the heap, owned by the caller.
    MList<MStringEx>* SplitOnHeap(MStringEx separator, bool matchCase) const;
    // Replaces every occurrence; the replacement is not searched again. An
    // empty text to find changes nothing.
    MStringEx& Replace(const MStringEx& what, const MStringEx& replacement, bool matchCase);
    // White space: 9 to 13, 32 and the Unicode spaces (in narrow text only
    // the ASCII ones).
    MStringEx& TrimLeft();
    MStringEx& TrimRight();
    MStringEx& Trim();
    // Runs of c.
    MStringEx& TrimLeft(T c);
    MStringEx& TrimRight(T c);
    MStringEx& Trim(T c);
    // The decimal text of a signed 64-bit number.
    static MStringEx FromInt64(__int64 value);

private:
    void SetEmpty()
    {
        MemoryPH<T>::Resize(1);
        this->m_data[0] = 0;
    }
    void CopyText(const T* text, unsigned __int64 length);
};

using MString = MStringEx<wchar_t>;

template <class T> MStringEx<T> operator+(const T* text, const MStringEx<T>& string);

// A fresh GUID as braced text.
MStringEx<wchar_t> NewGuidString();
// The window's text, or the empty string when the window does not answer
// within 100 ms.
MStringEx<wchar_t> GetWindowTextString(HWND window);
// ToUtf8, then cut at the first NUL.
MStringEx<char> WideToUtf8String(const MStringEx<wchar_t>& text);

namespace StringDetail
{
int CountFormatted(const wchar_t* format, va_list args);
int CountFormatted(const char* format, va_list args);
void PrintFormatted(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);
void PrintFormatted(char* buffer, size_t count, const char* format, va_list args);
size_t TextLength(const wchar_t* text);
size_t TextLength(const char* text);
// UTF-16 units produced from UTF-8 bytes, converted in chunks; with a null
// target only counted.
unsigned __int64 Utf8ToUtf16(const char* source, unsigned __int64 bytes, wchar_t* target,
                             unsigned __int64 room);
unsigned __int64 Utf16ToUtf8(const wchar_t* source, unsigned __int64 units, char* target, unsigned __int64 room);
}

#include "foundation/StringExImpl.h"
#include "foundation/StringOperations.h"
