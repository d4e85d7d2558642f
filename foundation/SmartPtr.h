// Owning pointer of the library and its failure record.
#pragma once

#include "foundation/Error.h"

// Thrown when an empty owning pointer is dereferenced.
struct MSmartPtrError : QuilloryError
{
    unsigned __int64 value = 0;

    unsigned Code() const noexcept override { return static_cast<unsigned>(value); }
    const char* what() const noexcept override { return "empty pointer"; }
};

// Owns one heap object and refuses to be dereferenced when empty.
template <class T> class MSmartPtr
{
public:
    MSmartPtr() = default;
    explicit MSmartPtr(T* pointer) : m_pointer(pointer) {}
    MSmartPtr(const MSmartPtr&) = delete;
    MSmartPtr& operator=(const MSmartPtr&) = delete;
    MSmartPtr(MSmartPtr&& other) noexcept : m_pointer(other.m_pointer) { other.m_pointer = nullptr; }
    MSmartPtr& operator=(MSmartPtr&& other) noexcept
    {
        if (this != &other)
        {
            Free();
            m_pointer = other.m_pointer;
            other.m_pointer = nullptr;
        }
        return *this;
    }
    ~MSmartPtr() { Free(); }

    // MSmartPtrError when empty.
    T* Get() const
    {
        if (!m_pointer)
            throw MSmartPtrError();
        return m_pointer;
    }
    T* operator->() const { return Get(); }
    T& operator*() const { return *Get(); }
    bool IsEmpty() const { return m_pointer == nullptr; }

    // Deletes the held object, then holds the new one.
    void Reset(T* pointer)
    {
        if (pointer == m_pointer)
            return;
        Free();
        m_pointer = pointer;
    }
    // Deletes the held object; nothing when empty.
    void Free()
    {
        T* pointer = m_pointer;
        m_pointer = nullptr;
        delete pointer;
    }

private:
    T* m_pointer = nullptr;
};
