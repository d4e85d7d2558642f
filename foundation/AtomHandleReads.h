// The reads of the atoms that go through a caller's handle holder; included
// by AtomPersistence.h.
#pragma once

// TODO(handle owners): the holder forms keep the opened file in the caller's
// MHandle; until MHandle exists they read through an own handle only.
template <class T>
MAtom<T>& MAtom<T>::ReadFile(const wchar_t* path, const ElementCount& maximumCount, MHandle* holder)
{
    if (holder)
        return Clear();
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Clear();
    const bool read = ReadOpenFile(file, maximumCount.value);
    CloseHandle(file);
    if (!read)
        Clear();
    return *this;
}

template <class T> MAtom<T>& MAtom<T>::ReadFile(const wchar_t*, MHandle&) { return Clear(); }

template <class T> MAtom<T>& MAtom<T>::ReadFromHandle(MHandle&) { return *this; }
