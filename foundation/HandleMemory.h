// HandleMemory: an atom whose elements live in movable global memory, locked
// for the whole life of the buffer, with an IStream over the same block for
// the interfaces that read from a stream (GDI+ images, the hosted browser).
#pragma once

#include "foundation/Atom.h"

#include <objidl.h>
#include <shlwapi.h>

template <class T> class HandleMemory : public MAtom<T>
{
public:
    HandleMemory() = default;
    // The block belongs to exactly one buffer.
    HandleMemory(const HandleMemory&) = delete;
    HandleMemory& operator=(const HandleMemory&) = delete;
    ~HandleMemory() override { Clear(); }

    MAtom<T>& Assign(const MAtom<T>& source) override
    {
        if (&source == this)
            return *this;
        Clear();
        if (!source.IsEmpty())
            TakeBlock(source.GetData(), source.GetCount());
        return *this;
    }
    unsigned StorageKind() const override { return 1; }
    bool IsResizable() const override { return true; }
    // The count follows the stream's size, so a buffer whose stream could
    // not be made counts as empty.
    bool IsEmpty() const override
    {
        HandleMemory& self = const_cast<HandleMemory&>(*this);
        ULARGE_INTEGER size = {};
        if (!m_stream || FAILED(IStream_Size(m_stream, &size)))
            self.m_count = 0;
        else
            self.m_count = size.QuadPart / sizeof(T);
        return this->m_count == 0;
    }
    MAtom<T>& Clear() override
    {
        if (m_stream)
            m_stream->Release();
        if (this->m_data)
            GlobalUnlock(m_block);
        if (m_block)
            GlobalFree(m_block);
        m_stream = nullptr;
        m_block = nullptr;
        this->m_data = nullptr;
        this->m_count = 0;
        return *this;
    }
    // Contents are undefined after a resize.
    MAtom<T>& Resize(const ElementCount& count) override
    {
        Clear();
        if (count.value)
            TakeBlock(nullptr, count.value);
        return *this;
    }
    // A null module means the program's own.
    MAtom<T>& LoadFromResource(HMODULE module, const wchar_t* type, unsigned id) override
    {
        Clear();
        LoadResource(*this, module ? module : GetModuleHandleW(nullptr), type, id);
        return *this;
    }
    // A copy of the source's elements as far as its stream covers them.
    virtual HandleMemory& Assign(const HandleMemory& source)
    {
        if (&source == this)
            return *this;
        Clear();
        if (!source.IsEmpty())
            TakeBlock(source.GetData(), source.GetCount());
        return *this;
    }

    // The buffer's own stream, null when empty. Its position is wherever
    // the last reader left it; a consumer keeps it only with a reference of
    // its own.
    IStream* GetStream() const { return m_stream; }
    HGLOBAL GetBlock() const { return m_block; }

    // Loads a resource into an empty buffer; a failure at any step leaves the
    // buffer as it was. A wide buffer takes resources of even size only.
    static void LoadResource(HandleMemory& buffer, HMODULE module, const wchar_t* type, unsigned id)
    {
        const void* bytes = nullptr;
        DWORD size = 0;
        if (AtomDetail::FindResourceBytes(module, type, id, &bytes, &size) && size % sizeof(T) == 0 && size != 0)
            buffer.TakeBlock(static_cast<const T*>(bytes), size / sizeof(T));
    }

private:
    // A new locked block of count elements, filled from source when given;
    // the stream is made last. A failed allocation or lock leaves the buffer
    // empty.
    void TakeBlock(const T* source, unsigned __int64 count)
    {
        const unsigned __int64 bytes = count * sizeof(T);
        if (bytes / sizeof(T) != count || bytes > static_cast<unsigned __int64>(static_cast<SIZE_T>(-1)))
            return;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(bytes));
        T* data = block ? static_cast<T*>(GlobalLock(block)) : nullptr;
        if (!data)
        {
            if (block)
                GlobalFree(block);
            return;
        }
        m_block = block;
        this->m_data = data;
        this->m_count = count;
        if (source)
            std::memmove(data, source, static_cast<size_t>(bytes));
        if (FAILED(CreateStreamOnHGlobal(block, FALSE, &m_stream)))
            m_stream = nullptr;
    }

    HGLOBAL m_block = nullptr;
    IStream* m_stream = nullptr;
};
