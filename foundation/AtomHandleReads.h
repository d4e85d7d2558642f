// The reads of the atoms that can keep the opened file in a caller's handle
// holder; included by AtomPersistence.h.
#pragma once

#include "foundation/Handle.h"
#include "foundation/SmartPtr.h"

// With the caller's holder the file stays open in it after the call, and a
// file that cannot be opened ends the call with MSmartPtrError.
template <class T>
MAtom<T>& MAtom<T>::ReadFile(const wchar_t* path, const ElementCount& maximumCount, MHandle* holder)
{
    MHandle own(INVALID_HANDLE_VALUE);
    MHandle& file = holder ? *holder : own;
    file.Attach(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    if (!file.IsValid())
    {
        Clear();
        if (holder)
            throw MSmartPtrError();
        return *this;
    }
    if (!ReadOpenFile(file, maximumCount.value))
        Clear();
    return *this;
}

template <class T> MAtom<T>& MAtom<T>::ReadFile(const wchar_t* path, MHandle& holder)
{
    holder.Attach(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (!holder.IsValid() || !ReadOpenFile(holder, ~0ull))
        Clear();
    return *this;
}

// Reads at most the buffer's count from the handle's position; the buffer
// never grows. A failed read leaves the buffer empty rather than holding
// whatever the block held before.
template <class T> MAtom<T>& MAtom<T>::ReadFromHandle(MHandle& holder)
{
    LARGE_INTEGER size = {}, position = {}, zero = {};
    if (!holder.IsValid() || !GetFileSizeEx(holder, &size) ||
        !SetFilePointerEx(holder, zero, &position, FILE_CURRENT))
        return Clear();
    const unsigned __int64 remaining =
        size.QuadPart > position.QuadPart ? static_cast<unsigned __int64>(size.QuadPart - position.QuadPart) : 0;
    if (remaining < GetByteCount())
    {
        if (IsResizable())
            Resize(remaining / sizeof(T));
        else
            SetCount(remaining / sizeof(T));
    }
    if (!AtomDetail::ReadChunks(holder, m_data, GetByteCount()))
        Clear();
    return *this;
}
