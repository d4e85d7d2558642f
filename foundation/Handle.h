// Owners of kernel handles (the guards that hold them are in foundation/Sync.h).
#pragma once

#include <windows.h>

// Refers to a handle without owning it.
class MRefHandle
{
public:
    explicit MRefHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    MRefHandle(const MRefHandle&) = delete;
    MRefHandle& operator=(const MRefHandle&) = delete;
    virtual ~MRefHandle() { m_handle = INVALID_HANDLE_VALUE; }

    // Forgets the handle without closing it.
    virtual void Reset() { m_handle = INVALID_HANDLE_VALUE; }

    HANDLE Get() const { return m_handle; }
    operator HANDLE() const { return m_handle; }
    // Neither null nor INVALID_HANDLE_VALUE.
    bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }

protected:
    HANDLE m_handle;
};

// Owns a kernel handle and closes it once.
class MHandle : public MRefHandle
{
public:
    // A new unnamed semaphore of count 1: the program's one-at-a-time guard.
    MHandle() : MRefHandle(CreateSemaphoreW(nullptr, 1, 1, nullptr)) {}
    explicit MHandle(HANDLE handle) : MRefHandle(handle) {}
    ~MHandle() override { Close(); }

    // Closes a valid handle; a null handle stays null.
    virtual void Close()
    {
        if (IsValid())
        {
            CloseHandle(m_handle);
            m_handle = INVALID_HANDLE_VALUE;
        }
    }
    void Attach(HANDLE handle)
    {
        Close();
        m_handle = handle;
    }
    // Hands the handle on to a new owner without closing it.
    HANDLE Release()
    {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }
};

// A new unnamed semaphore of count 1: the program's one-at-a-time guard.
inline HANDLE NewGuard() { return CreateSemaphoreW(nullptr, 1, 1, nullptr); }

// Closes a file-search handle at scope end.
class FindHandle
{
public:
    explicit FindHandle(HANDLE search = INVALID_HANDLE_VALUE) : m_search(search) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() { Close(); }

    HANDLE Get() const { return m_search; }
    void Close()
    {
        if (m_search != nullptr && m_search != INVALID_HANDLE_VALUE)
        {
            FindClose(m_search);
            m_search = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE m_search;
};
