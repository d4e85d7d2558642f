// Owner of one COM interface pointer: releases it once.
#pragma once

#include <unknwn.h>

template <class T> class ComPtr
{
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit ComPtr(T* pointer) : m_pointer(pointer) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_pointer(other.m_pointer) { other.m_pointer = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other)
        {
            Reset();
            m_pointer = other.m_pointer;
            other.m_pointer = nullptr;
        }
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    // For out parameters: releases what is held and hands out the slot.
    T** operator&()
    {
        Reset();
        return &m_pointer;
    }

    void Reset()
    {
        T* pointer = m_pointer;
        m_pointer = nullptr;
        if (pointer)
            pointer->Release();
    }
    // Gives up ownership without releasing.
    T* Detach()
    {
        T* pointer = m_pointer;
        m_pointer = nullptr;
        return pointer;
    }

private:
    T* m_pointer = nullptr;
};
