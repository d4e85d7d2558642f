// Typed buffers ("atoms"): the storage under every buffer and string of the
// program. An atom holds a pointer to elements of T and their count; the
// derived kinds decide who owns the elements and how they are released.
#pragma once

#include <windows.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

class MHandle;
template <class T> class MStringEx;
template <class T> class ShellMemory;

// A count or position of elements (or bytes where the caller says so). Atom
// operations take positions by reference so that an advance flag can move the
// caller's position in place.
struct ElementCount
{
    unsigned __int64 value = 0;

    ElementCount() = default;
    ElementCount(unsigned __int64 count) : value(count) {}
    template <class A, class = decltype(&A::GetCount)>
    explicit ElementCount(const A& atom) : value(atom.GetCount()) {}

    ElementCount operator+(const ElementCount& other) const { return ElementCount(value + other.value); }
    ElementCount operator-(const ElementCount& other) const { return ElementCount(value - other.value); }
    ElementCount operator-(unsigned __int64 n) const { return ElementCount(value - n); }
    // Bytes to 16-bit units.
    ElementCount Half() const { return ElementCount(value / 2); }
};

namespace AtomDetail
{
// Byte size of count elements, refused when it cannot be addressed here (a
// 32-bit process cannot hold more than SIZE_T bytes).
template <class T> SIZE_T ByteSize(unsigned __int64 count)
{
    const unsigned __int64 bytes = count * sizeof(T);
    if (count != 0 && (bytes / sizeof(T) != count || bytes > static_cast<unsigned __int64>(static_cast<SIZE_T>(-1))))
        throw std::bad_alloc();
    return static_cast<SIZE_T>(bytes);
}

// The program allocates without HEAP_GENERATE_EXCEPTIONS: the structured
// exception that flag raises cannot be caught by g++ code, so a failed
// allocation is turned into std::bad_alloc here instead.
inline void* HeapTake(HANDLE heap, SIZE_T bytes)
{
    void* block = HeapAlloc(heap, 0, bytes);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void SecureZero(void* data, unsigned __int64 bytes);

// Called with every range SecureZero has just zeroed: the seam through which
// tests see that a secret is wiped, and wiped before its memory goes back to
// the heap. Null (the default) calls nothing. Returns the observer it replaces.
using WipeObserver = void (*)(const void* data, unsigned __int64 bytes);
WipeObserver SetWipeObserver(WipeObserver observer);
}

template <class T> class MAtom
{
public:
    using ElementType = T;

    virtual ~MAtom() = default;

    // Takes a copy of the source's elements (views ignore it).
    virtual MAtom& Assign(const MAtom& source) = 0;
    // 0 process heap, 1 movable global memory, 2 view.
    virtual unsigned StorageKind() const = 0;
    virtual bool IsResizable() const = 0;
    virtual bool IsEmpty() const { return m_count == 0; }
    virtual MAtom& Clear() = 0;
    virtual bool Equals(const MAtom& other) const;
    virtual bool NotEquals(const MAtom& other) const { return !Equals(other); }
    virtual MAtom& Resize(const ElementCount& count) = 0;

    // Copies never check bounds or resize: the caller keeps position + count
    // inside both atoms. Overlapping ranges are allowed.
    virtual MAtom& CopyRange(const ElementCount& target, const MAtom& source, const ElementCount& sourcePosition,
                             const ElementCount& count);
    virtual MAtom& CopyFrom(const MAtom& source);
    virtual MAtom& CopyAt(ElementCount& position, bool advance, const MAtom& source);
    virtual MAtom& CopyAt(const ElementCount& position, const MAtom& source);
    virtual MAtom& CopyRangeFrom(ElementCount& position, bool advance, const MAtom& source, const ElementCount& count);
    virtual MAtom& CopyRangeTo(const MAtom& source, ElementCount& sourcePosition, bool advance,
                               const ElementCount& count);
    virtual MAtom& CopyRange(ElementCount& target, bool advanceTarget, const MAtom& source,
                             ElementCount& sourcePosition, bool advanceSource, const ElementCount& count);

    // Resources (AtomPersistence.h).
    virtual MAtom& LoadFromResource(HMODULE module, const wchar_t* type, unsigned id);
    virtual MAtom& LoadFromResourceFile(const wchar_t* modulePath, const wchar_t* type, unsigned id);
    virtual MAtom& LoadFromLanguageResource(const wchar_t* type, unsigned id);
    virtual bool WriteToResource(const wchar_t* executablePath, const wchar_t* type, unsigned id,
                                 WORD primaryLanguage, WORD subLanguage, bool deleteExisting) const;

    // Moves the start of the elements by count, forward or backward; unless
    // keepCount is set the count follows so that the same end stays covered.
    virtual MAtom& Shift(const ElementCount& count, bool forward, bool keepCount);
    // Sets the count field only; no allocation, no release.
    virtual MAtom& SetCount(const ElementCount& count)
    {
        m_count = count.value;
        return *this;
    }

    // Files (AtomPersistence.h).
    virtual bool WriteFile(const wchar_t* path, DWORD flagsAndAttributes, DWORD* error) const;
    virtual bool WriteFile(const wchar_t* path, DWORD creationDisposition, DWORD flagsAndAttributes,
                           DWORD* error) const;
    virtual const MAtom& WriteToHandleAtStart(HANDLE file) const;
    virtual const MAtom& AppendToHandle(HANDLE file) const;
    virtual const MAtom& AppendToFile(const wchar_t* path) const;
    virtual const MAtom& WriteToHandle(HANDLE file) const;
    virtual MAtom& ReadFile(const wchar_t* path, const ElementCount& maximumCount, MHandle* holder);
    virtual MAtom& ReadFile(const wchar_t* path, MHandle& holder);
    virtual MAtom& ReadWholeFile(const wchar_t* path, bool missingIsEmpty);
    virtual MAtom& ReadWholeFile(const wchar_t* path) { return ReadWholeFile(path, false); }
    virtual MAtom& ReadFromHandle(MHandle& holder);
    virtual double Checksum() const;
    virtual unsigned __int64 ChecksumBits() const;

    T* GetData() const { return m_data; }
    unsigned __int64 GetCount() const { return m_count; }
    unsigned __int64 GetByteCount() const { return m_count * sizeof(T); }
    T& operator[](unsigned __int64 index) const { return m_data[index]; }

    // Views, without copying and without bounds checks.
    ShellMemory<T> View() const;
    // count bytes from a byte offset (byte atoms).
    ShellMemory<unsigned char> SubView(unsigned __int64 byteOffset, unsigned __int64 byteCount) const;
    // The same pointer seen as 64-bit elements; a remainder under 8 bytes is ignored.
    ShellMemory<unsigned __int64> AsUInt64View() const;
    // count 16-bit units from a BYTE offset, added unscaled, so odd offsets
    // give unaligned views.
    ShellMemory<wchar_t> WideSubView(unsigned __int64 byteOffset, unsigned __int64 unitCount) const;
    ShellMemory<unsigned char> AsBytes() const;
    // count elements from a BYTE offset, added unscaled (offsets into the
    // received messages of 32-bit records).
    ShellMemory<T> SubRange(unsigned __int64 byteOffset, unsigned __int64 count) const;

    // UTF-8 elements to UTF-16 units, exactly as many as the source gives: a
    // source that ends in its NUL yields a terminated string, and no NUL is added.
    MStringEx<wchar_t> Utf8ToWide() const;

protected:
    MAtom() = default;
    MAtom(T* data, unsigned __int64 count) : m_data(data), m_count(count) {}
    MAtom(const MAtom&) = default;
    MAtom& operator=(const MAtom&) = default;

    // Reads the file behind an open handle from its start into this buffer,
    // sized to at most maximumCount elements; false after any failure.
    bool ReadOpenFile(HANDLE file, unsigned __int64 maximumCount);

    T* m_data = nullptr;
    unsigned __int64 m_count = 0;
};

// A non-owning view over elements that belong to someone else.
template <class T> class ShellMemory : public MAtom<T>
{
public:
    ShellMemory() = default;
    ShellMemory(T* data, unsigned __int64 count) : MAtom<T>(data, count) {}
    explicit ShellMemory(const MAtom<T>& atom) : MAtom<T>(atom.GetData(), atom.GetCount()) {}
    ShellMemory(const ShellMemory& other) : MAtom<T>(other.GetData(), other.GetCount()) {}
    ShellMemory& operator=(const ShellMemory& other)
    {
        this->m_data = other.m_data;
        this->m_count = other.m_count;
        return *this;
    }

    // A view cannot take a copy: both assignments leave it unchanged.
    MAtom<T>& Assign(const MAtom<T>&) override { return *this; }
    unsigned StorageKind() const override { return 2; }
    bool IsResizable() const override { return false; }
    MAtom<T>& Clear() override
    {
        this->m_data = nullptr;
        this->m_count = 0;
        return *this;
    }
    // Resizing a view only sets its count.
    MAtom<T>& Resize(const ElementCount& count) override
    {
        this->m_count = count.value;
        return *this;
    }

    // Views the other atom's elements; nothing is copied.
    virtual ShellMemory& Attach(const MAtom<T>& other)
    {
        this->m_data = other.GetData();
        this->m_count = other.GetCount();
        return *this;
    }
    // Replaces the pointer and keeps the count.
    virtual ShellMemory& SetData(T* data)
    {
        this->m_data = data;
        return *this;
    }
};

// An owning buffer on the process heap. Elements are raw storage: nothing is
// constructed or destroyed, and contents are not kept over a change of size.
template <class T> class MemoryPH : public MAtom<T>
{
public:
    MemoryPH() : m_heap(GetProcessHeap()) {}
    explicit MemoryPH(const ElementCount& count) : MemoryPH() { Resize(count); }
    MemoryPH(const ElementCount& count, const T& value) : MemoryPH() { Fill(count, value); }
    MemoryPH(const MemoryPH& other) : MemoryPH() { Assign(other); }
    explicit MemoryPH(const MAtom<T>& other) : MemoryPH() { Assign(other); }
    MemoryPH(MemoryPH&& other) noexcept : MAtom<T>(other.m_data, other.m_count), m_heap(other.m_heap)
    {
        other.m_data = nullptr;
        other.m_count = 0;
    }
    MemoryPH& operator=(const MemoryPH& other)
    {
        if (this != &other)
            Assign(other);
        return *this;
    }
    ~MemoryPH() override { Release(); }

    MAtom<T>& Assign(const MAtom<T>& source) override
    {
        // Resize would release the source's elements if they were our own.
        if (&source == this)
            return *this;
        Resize(source.GetCount());
        return this->CopyFrom(source);
    }
    unsigned StorageKind() const override { return 0; }
    bool IsResizable() const override { return true; }
    MAtom<T>& Clear() override { return Resize(0); }
    MAtom<T>& Resize(const ElementCount& count) override
    {
        if (this->m_data && count.value == this->m_count)
            return *this;
        Release();
        this->m_data = static_cast<T*>(AtomDetail::HeapTake(m_heap, AtomDetail::ByteSize<T>(count.value)));
        this->m_count = count.value;
        return *this;
    }

    // Resizes to count and assigns the value to every element.
    virtual MemoryPH& Fill(const ElementCount& count, const T& value)
    {
        Resize(count);
        for (unsigned __int64 i = 0; i < this->m_count; ++i)
            this->m_data[i] = value;
        return *this;
    }

    // Hands the elements over to the caller's block swap (strings build a new
    // buffer and swap it in).
    void Swap(MemoryPH& other) noexcept
    {
        std::swap(this->m_data, other.m_data);
        std::swap(this->m_count, other.m_count);
        std::swap(m_heap, other.m_heap);
    }

protected:
    void Release()
    {
        if (this->m_data)
            HeapFree(m_heap, 0, this->m_data);
        this->m_data = nullptr;
        this->m_count = 0;
    }

    HANDLE m_heap;
};

// Wipes elements with zeros before they are released, shrunk or let go of.
// Over MemoryPH it owns a secret; over ShellMemory it watches someone else's
// buffer (a secure string keeps one pointed at its own characters).
template <class Base, class T> class SecureMemory;

template <class T> class SecureMemory<MemoryPH<T>, T> : public MemoryPH<T>
{
public:
    SecureMemory() = default;
    explicit SecureMemory(const ElementCount& count) : MemoryPH<T>(count) {}
    explicit SecureMemory(const MAtom<T>& source) : MemoryPH<T>(source) {}
    SecureMemory(const SecureMemory& other) : MemoryPH<T>(other) {}
    SecureMemory& operator=(const SecureMemory& other)
    {
        if (this != &other)
            AssignSecure(other);
        return *this;
    }
    ~SecureMemory() override { Wipe(); }

    MAtom<T>& Clear() override
    {
        Wipe();
        return MemoryPH<T>::Resize(0);
    }
    MAtom<T>& SetCount(const ElementCount& count) override
    {
        if (count.value < this->m_count)
            AtomDetail::SecureZero(this->m_data + count.value, (this->m_count - count.value) * sizeof(T));
        this->m_count = count.value;
        return *this;
    }

    // Zeroes the old bytes, then takes a copy of the source.
    virtual SecureMemory& AssignSecure(const MAtom<T>& source)
    {
        if (&source == this)
            return *this;
        Wipe();
        MemoryPH<T>::Resize(source.GetCount());
        this->CopyFrom(source);
        return *this;
    }
    // Appends the source behind the own elements in a new block; the old
    // block is zeroed before it is released.
    virtual SecureMemory& Append(const MAtom<T>& source)
    {
        MemoryPH<T> joined(this->m_count + source.GetCount());
        joined.CopyRange(0, *this, 0, this->m_count);
        joined.CopyRange(this->m_count, source, 0, source.GetCount());
        Wipe();
        this->Swap(joined);
        return *this;
    }

private:
    void Wipe() { AtomDetail::SecureZero(this->m_data, this->m_count * sizeof(T)); }
};

template <class T> class SecureMemory<ShellMemory<T>, T> : public ShellMemory<T>
{
public:
    SecureMemory() = default;
    SecureMemory(T* data, unsigned __int64 count) : ShellMemory<T>(data, count) {}
    explicit SecureMemory(const MAtom<T>& atom) : ShellMemory<T>(atom) {}
    SecureMemory(const SecureMemory&) = delete;
    SecureMemory& operator=(const SecureMemory&) = delete;
    ~SecureMemory() override { Wipe(); }

    MAtom<T>& Clear() override
    {
        Wipe();
        return ShellMemory<T>::Clear();
    }
    MAtom<T>& SetCount(const ElementCount& count) override
    {
        if (count.value < this->m_count)
            AtomDetail::SecureZero(this->m_data + count.value, (this->m_count - count.value) * sizeof(T));
        this->m_count = count.value;
        return *this;
    }
    // Zeroes the elements viewed so far, then views the other atom's.
    ShellMemory<T>& Attach(const MAtom<T>& other) override
    {
        Wipe();
        return ShellMemory<T>::Attach(other);
    }
    // A view has no storage to grow into: appending only works when there is
    // nothing to append.
    virtual SecureMemory& Append(const MAtom<T>& source)
    {
        if (!source.IsEmpty())
            throw std::logic_error("a secure view cannot grow");
        return *this;
    }

private:
    void Wipe() { AtomDetail::SecureZero(this->m_data, this->m_count * sizeof(T)); }
};

// ---- conversions ----------------------------------------------------------

// Two upper-case hexadecimal digits per byte, high nibble first, no NUL.
MemoryPH<char> BytesToHexText(const MAtom<unsigned char>& bytes);
// Four digits per 16-bit unit, its bytes in memory order (low byte first).
MemoryPH<char> BytesToHexText(const MAtom<wchar_t>& wide);
// Decodes pairs of hexadecimal digits in place and halves the count. Text
// from outside the program may hold anything: an odd count or a character
// that is no hexadecimal digit leaves the atom untouched and answers false.
bool HexTextToBytes(MAtom<unsigned char>& text);

// Utf8ToWide, then cut at the first NUL.
MStringEx<wchar_t> Utf8ToWideString(const MAtom<unsigned char>& utf8);
MStringEx<wchar_t> Utf8ToWideString(const MAtom<char>& utf8);

#include "foundation/AtomOperations.h"
#include "foundation/AtomPersistence.h"
