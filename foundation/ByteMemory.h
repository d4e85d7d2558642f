// Byte-counted memory: buffers whose size is kept in BYTES, for the fixed
// system records handed to Windows by pointer and size (start-up and process
// records, menu item records, access-control lists) and a few heap blocks of
// 16-bit text. MMemoryPH owns a block on the process heap; MStackMemory holds
// exactly one record inside the object and never allocates.
#pragma once

#include "foundation/Atom.h"

#include <cstring>

template <class T> class MMemory
{
public:
    // An element count handed by value to the operations that take one.
    class MemUnits
    {
    public:
        MemUnits(unsigned __int64 count = 0) : value(count) {}
        virtual ~MemUnits() = default;

        unsigned __int64 value;
    };

    virtual ~MMemory() = default;

    virtual MMemory& Assign(const MMemory& source) = 0;
    virtual bool IsEmpty() const { return m_size == 0; }
    virtual bool Equals(const MMemory& other) const;
    virtual bool NotEquals(const MMemory& other) const { return !Equals(other); }
    // A copy on the process heap, owned by the caller; null when it cannot
    // be made (and always for a record held in the object).
    virtual MMemory* Clone() const = 0;
    virtual MMemory& Clear()
    {
        SetSize(0);
        return *this;
    }
    virtual bool IsResizable() const = 0;
    // The operations that replace the block never keep its contents.
    virtual T* Resize(MemUnits units) = 0;
    virtual T* SetSize(unsigned __int64 bytes) = 0;
    virtual T* AssignRaw(const T* source, MemUnits units) = 0;
    // The own bytes followed by n copies of the source.
    virtual MMemory& AppendCopies(const MMemory& source, unsigned n);
    // Change the size field only; nothing is allocated.
    virtual MMemory& SetUnits(MemUnits units)
    {
        m_size = units.value * sizeof(T);
        return *this;
    }
    virtual MMemory& DropUnits(MemUnits units)
    {
        m_size -= units.value * sizeof(T);
        return *this;
    }
    // The writes answer true only when every byte was written.
    virtual bool AppendToFile(const wchar_t* path) const;
    virtual bool AppendToHandle(HANDLE file) const;
    virtual bool WriteFile(const wchar_t* path, DWORD flagsAndAttributes) const;
    // An empty block of size 0.
    virtual MMemory& Reset() = 0;
    // The whole file; any failure leaves an empty block.
    virtual MMemory& ReadFromHandle(HANDLE file);
    // A null module means the program's own; any failure leaves an empty block.
    virtual MMemory& LoadFromResource(HMODULE module, const wchar_t* type, WORD id);
    virtual MMemory& LoadFromResourceFile(const wchar_t* modulePath, const wchar_t* type, WORD id);
    virtual bool WriteToResource(const wchar_t* executablePath, const wchar_t* type, unsigned id,
                                 WORD primaryLanguage, WORD subLanguage, bool deleteExisting) const;
    virtual double Checksum() const { return AtomDetail::Checksum(m_data, m_size); }
    // One sum per block of blockLength units, the last block shorter.
    virtual const MMemory& BlockSums(MMemory<double>& out, MemUnits blockLength) const;
    virtual bool MatchesBlockSums(const MMemory<double>& other, MemUnits blockLength) const;
    // The sum mark: an 8-byte double inserted at unit start + offset that
    // sums the length units from start together with the mark itself.
    virtual MMemory& InsertSumMark(MemUnits start, MemUnits length, MemUnits offset) = 0;
    // True when the mark matches its range; the mark is then removed.
    virtual bool VerifySumMark(MemUnits start, MemUnits length, MemUnits offset);

    T* GetData() const { return m_data; }
    unsigned __int64 GetSize() const { return m_size; }
    unsigned __int64 GetUnits() const { return m_size / sizeof(T); }

protected:
    MMemory() = default;
    MMemory(const MMemory&) = default;
    MMemory& operator=(const MMemory&) = default;

    // Where the sum mark of (start, length, offset) lies in a block of
    // blockSize bytes that holds it; false when the mark or its range would
    // leave the block.
    static bool LocateSumMark(unsigned __int64 blockSize, const MemUnits& start, const MemUnits& length,
                              const MemUnits& offset, unsigned __int64* markAt, unsigned __int64* rangeStart,
                              unsigned __int64* rangeBytes);
    // Sum of (byte / 256 + k) over the bytes, k counting from 0.
    static double PositionSum(const unsigned char* bytes, unsigned __int64 count);

    T* m_data = nullptr;
    unsigned __int64 m_size = 0;
};

// Value of the mark while the sum over its range is taken.
constexpr double SumMarkPlaceholder = 164.0;

// An owning block on the process heap, taken with the heap flags N
// (HEAP_ZERO_MEMORY in N gives zeroed blocks).
template <class T, DWORD N> class MMemoryPH : public MMemory<T>
{
public:
    using MemUnits = typename MMemory<T>::MemUnits;

    MMemoryPH() : m_heap(GetProcessHeap()) {}
    explicit MMemoryPH(MemUnits units) : MMemoryPH() { Resize(units); }
    MMemoryPH(const MMemoryPH& other) : MMemoryPH() { Assign(other); }
    MMemoryPH& operator=(const MMemoryPH& other)
    {
        Assign(other);
        return *this;
    }
    ~MMemoryPH() override { Release(); }

    // The objects themselves live on the process heap too, so that a clone
    // is released where it was taken.
    static void* operator new(size_t bytes) { return AtomDetail::HeapTake(GetProcessHeap(), bytes); }
    static void operator delete(void* object) { HeapFree(GetProcessHeap(), 0, object); }

    MMemory<T>& Assign(const MMemory<T>& source) override
    {
        if (&source == this)
            return *this;
        if (source.GetSize() != this->m_size || !this->m_data)
            SetSize(source.GetSize());
        if (this->m_size)
            std::memcpy(this->m_data, source.GetData(), static_cast<size_t>(this->m_size));
        return *this;
    }
    MMemory<T>* Clone() const override
    {
        try
        {
            return new MMemoryPH(*this);
        }
        catch (const std::bad_alloc&)
        {
            return nullptr;
        }
    }
    bool IsResizable() const override { return true; }
    T* Resize(MemUnits units) override { return SetSize(AtomDetail::ByteSize<T>(units.value)); }
    T* SetSize(unsigned __int64 bytes) override
    {
        Release();
        this->m_data = static_cast<T*>(Take(bytes));
        this->m_size = bytes;
        return this->m_data;
    }
    T* AssignRaw(const T* source, MemUnits units) override
    {
        Resize(units);
        if (this->m_size)
            std::memcpy(this->m_data, source, static_cast<size_t>(this->m_size));
        return this->m_data;
    }
    MMemory<T>& Reset() override
    {
        SetSize(0);
        return *this;
    }
    MMemory<T>& InsertSumMark(MemUnits start, MemUnits length, MemUnits offset) override;

private:
    void* Take(unsigned __int64 bytes)
    {
        if (bytes > static_cast<unsigned __int64>(static_cast<SIZE_T>(-1)))
            throw std::bad_alloc();
        // HEAP_GENERATE_EXCEPTIONS raises a structured exception that g++
        // code cannot catch: a failed allocation throws std::bad_alloc.
        void* block = HeapAlloc(m_heap, N & ~static_cast<DWORD>(HEAP_GENERATE_EXCEPTIONS), static_cast<SIZE_T>(bytes));
        if (!block)
            throw std::bad_alloc();
        return block;
    }
    void Release()
    {
        if (this->m_data)
            HeapFree(m_heap, 0, this->m_data);
        this->m_data = nullptr;
        this->m_size = 0;
    }

    HANDLE m_heap;
};

// Exactly one record of T inside the object, zero-filled at construction.
// It never allocates: the operations that would take a block do nothing.
template <class T, unsigned Count = 1, unsigned Align = 8> class MStackMemory : public MMemory<T>
{
    static_assert(Count == 1, "one record only");

public:
    using MemUnits = typename MMemory<T>::MemUnits;

    MStackMemory()
    {
        std::memset(m_record, 0, sizeof m_record);
        this->m_data = reinterpret_cast<T*>(m_record);
        this->m_size = sizeof(T);
    }
    MStackMemory(const MStackMemory& other) : MStackMemory()
    {
        std::memcpy(m_record, other.m_record, sizeof m_record);
        this->m_size = other.m_size;
    }
    MStackMemory& operator=(const MStackMemory& other)
    {
        std::memcpy(m_record, other.m_record, sizeof m_record);
        this->m_size = other.m_size;
        return *this;
    }

    // Copies the record from the source, never more than the source holds.
    MMemory<T>& Assign(const MMemory<T>& source) override
    {
        if (&source != this && source.GetData())
        {
            const unsigned __int64 bytes = source.GetSize() < sizeof(T) ? source.GetSize() : sizeof(T);
            std::memmove(m_record, source.GetData(), static_cast<size_t>(bytes));
        }
        return *this;
    }
    MMemory<T>* Clone() const override { return nullptr; }
    bool IsResizable() const override { return false; }
    T* Resize(MemUnits) override { return this->m_data; }
    T* SetSize(unsigned __int64) override { return this->m_data; }
    T* AssignRaw(const T*, MemUnits) override { return this->m_data; }
    MMemory<T>& Reset() override { return *this; }
    MMemory<T>& InsertSumMark(MemUnits, MemUnits, MemUnits) override { return *this; }

    T* operator->() { return this->m_data; }
    T& Record() { return *this->m_data; }

private:
    alignas(alignof(T) > Align ? alignof(T) : Align) unsigned char m_record[sizeof(T)];
};

// ---- template bodies ----------------------------------------------------------

template <class T> bool MMemory<T>::Equals(const MMemory& other) const
{
    if (m_size != other.m_size)
        return false;
    return m_size == 0 || m_data == other.m_data ||
           std::memcmp(m_data, other.m_data, static_cast<size_t>(m_size)) == 0;
}

template <class T> MMemory<T>& MMemory<T>::AppendCopies(const MMemory& source, unsigned n)
{
    MMemory* old = Clone();
    if (!old)
        return *this;
    const unsigned __int64 oldSize = old->GetSize(), sourceSize = source.GetSize();
    // The source may be this buffer itself: copy it from the clone.
    const unsigned char* copyFrom = static_cast<const unsigned char*>(
        static_cast<const void*>(&source == this ? old->GetData() : source.GetData()));
    try
    {
        SetSize(oldSize + static_cast<unsigned __int64>(n) * sourceSize);
    }
    catch (...)
    {
        delete old;
        throw;
    }
    unsigned char* target = reinterpret_cast<unsigned char*>(m_data);
    if (oldSize)
        std::memcpy(target, old->GetData(), static_cast<size_t>(oldSize));
    for (unsigned i = 0; i < n && sourceSize; ++i)
        std::memcpy(target + oldSize + i * sourceSize, copyFrom, static_cast<size_t>(sourceSize));
    delete old;
    return *this;
}

template <class T> bool MMemory<T>::AppendToFile(const wchar_t* path) const
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER zero = {};
    const bool written = SetFilePointerEx(file, zero, nullptr, FILE_END) &&
                         AtomDetail::WriteChunks(file, m_data, m_size, nullptr);
    CloseHandle(file);
    return written;
}

template <class T> bool MMemory<T>::AppendToHandle(HANDLE file) const
{
    LARGE_INTEGER zero = {};
    return AtomDetail::IsFileHandle(file) && SetFilePointerEx(file, zero, nullptr, FILE_END) &&
           AtomDetail::WriteChunks(file, m_data, m_size, nullptr);
}

template <class T> bool MMemory<T>::WriteFile(const wchar_t* path, DWORD flagsAndAttributes) const
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, flagsAndAttributes, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool written = AtomDetail::WriteChunks(file, m_data, m_size, nullptr);
    CloseHandle(file);
    return written;
}

template <class T> MMemory<T>& MMemory<T>::ReadFromHandle(HANDLE file)
{
    if (!AtomDetail::IsFileHandle(file))
        return Reset();
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || low % sizeof(T) != 0)
        return Reset();
    SetSize(low);
    // A record held in the object keeps its own size: never read more.
    const DWORD wanted = static_cast<DWORD>(m_size < low ? m_size : low);
    DWORD read = 0;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !::ReadFile(file, m_data, wanted, &read, nullptr) || read != wanted || wanted != m_size)
        Reset();
    return *this;
}

template <class T> MMemory<T>& MMemory<T>::LoadFromResource(HMODULE module, const wchar_t* type, WORD id)
{
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!AtomDetail::FindResourceBytes(module ? module : GetModuleHandleW(nullptr), type, id, &bytes, &size) ||
        size % sizeof(T) != 0)
        return Reset();
    AssignRaw(static_cast<const T*>(bytes), size / sizeof(T));
    return *this;
}

template <class T>
MMemory<T>& MMemory<T>::LoadFromResourceFile(const wchar_t* modulePath, const wchar_t* type, WORD id)
{
    if (!modulePath)
        return LoadFromResource(nullptr, type, id);
    const AtomDetail::LoadedModule module(modulePath);
    if (!module.Get())
        return Reset();
    return LoadFromResource(module.Get(), type, id);
}

template <class T>
bool MMemory<T>::WriteToResource(const wchar_t* executablePath, const wchar_t* type, unsigned id,
                                 WORD primaryLanguage, WORD subLanguage, bool deleteExisting) const
{
    return ShellMemory<unsigned char>(reinterpret_cast<unsigned char*>(m_data), m_size)
        .WriteToResource(executablePath, type, id, primaryLanguage, subLanguage, deleteExisting);
}

template <class T>
const MMemory<T>& MMemory<T>::BlockSums(MMemory<double>& out, MemUnits blockLength) const
{
    const unsigned __int64 blockBytes = blockLength.value * sizeof(T);
    if (blockBytes == 0 || blockBytes / sizeof(T) != blockLength.value)
    {
        out.Resize(0);
        return *this;
    }
    const unsigned __int64 blocks = (m_size + blockBytes - 1) / blockBytes;
    out.Resize(blocks);
    // A record held in the object cannot grow: fill only what it holds.
    const unsigned __int64 room = out.GetUnits() < blocks ? out.GetUnits() : blocks;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(m_data);
    for (unsigned __int64 j = 0; j < room; ++j)
    {
        const unsigned __int64 first = j * blockBytes;
        const unsigned __int64 count = m_size - first < blockBytes ? m_size - first : blockBytes;
        out.GetData()[j] = PositionSum(bytes + first, count);
    }
    return *this;
}

template <class T> bool MMemory<T>::MatchesBlockSums(const MMemory<double>& other, MemUnits blockLength) const
{
    MMemory<double>* sums = other.Clone();
    if (!sums)
        return false;
    BlockSums(*sums, blockLength);
    const bool matches = sums->Equals(other);
    delete sums;
    return matches;
}

template <class T>
bool MMemory<T>::LocateSumMark(unsigned __int64 blockSize, const MemUnits& start, const MemUnits& length,
                               const MemUnits& offset, unsigned __int64* markAt, unsigned __int64* rangeStart,
                               unsigned __int64* rangeBytes)
{
    const unsigned __int64 units = blockSize / sizeof(T);
    if (start.value > units || offset.value > units - start.value || length.value > units - start.value)
        return false;
    *markAt = (start.value + offset.value) * sizeof(T);
    *rangeStart = start.value * sizeof(T);
    *rangeBytes = length.value * sizeof(T) + 8;
    return *markAt + 8 <= blockSize && *rangeStart + *rangeBytes <= blockSize;
}

template <class T> double MMemory<T>::PositionSum(const unsigned char* bytes, unsigned __int64 count)
{
    double sum = 0.0;
    for (unsigned __int64 k = 0; k < count; ++k)
        sum += static_cast<double>(bytes[k]) / 256.0 + static_cast<double>(k);
    return sum;
}

template <class T, DWORD N>
MMemory<T>& MMemoryPH<T, N>::InsertSumMark(MemUnits start, MemUnits length, MemUnits offset)
{
    const unsigned __int64 newSize = this->m_size + 8;
    unsigned __int64 markAt, rangeStart, rangeBytes;
    // A range outside the buffer gets no mark, so it can never verify.
    if (!this->LocateSumMark(newSize, start, length, offset, &markAt, &rangeStart, &rangeBytes))
        return *this;
    unsigned char* marked = static_cast<unsigned char*>(Take(newSize));
    const unsigned char* old = reinterpret_cast<const unsigned char*>(this->m_data);
    if (markAt)
        std::memcpy(marked, old, static_cast<size_t>(markAt));
    std::memcpy(marked + markAt, &SumMarkPlaceholder, 8);
    if (this->m_size > markAt)
        std::memcpy(marked + markAt + 8, old + markAt, static_cast<size_t>(this->m_size - markAt));
    const double sum = this->PositionSum(marked + rangeStart, rangeBytes);
    std::memcpy(marked + markAt, &sum, 8);
    Release();
    this->m_data = reinterpret_cast<T*>(marked);
    this->m_size = newSize;
    return *this;
}

template <class T> bool MMemory<T>::VerifySumMark(MemUnits start, MemUnits length, MemUnits offset)
{
    unsigned __int64 markAt, rangeStart, rangeBytes;
    if (m_size < 8 || !LocateSumMark(m_size, start, length, offset, &markAt, &rangeStart, &rangeBytes))
        return false;
    unsigned char* bytes = reinterpret_cast<unsigned char*>(m_data);
    double stored;
    std::memcpy(&stored, bytes + markAt, 8);
    std::memcpy(bytes + markAt, &SumMarkPlaceholder, 8);
    if (stored - PositionSum(bytes + rangeStart, rangeBytes) != 0.0)
        return false;
    std::memmove(bytes + markAt, bytes + markAt + 8, static_cast<size_t>(m_size - markAt - 8));
    m_size -= 8;
    return true;
}
