// COM objects of the program: CComObject<T> gives a class that implements
// its interfaces the IUnknown of a single-threaded object. T answers
// InternalQueryInterface(iid) with the interface pointer it offers for iid,
// or null; the reference count starts at 0, like ATL's.
#pragma once

#include <unknwn.h>

#include <new>

namespace ATL
{
template <class T> class CComObject final : public T
{
public:
    template <class... Arguments> explicit CComObject(Arguments&&... arguments) : T(arguments...) {}

    // A new object with one reference held by *object.
    template <class... Arguments> static HRESULT CreateInstance(CComObject** object, Arguments&&... arguments)
    {
        if (!object)
            return E_POINTER;
        *object = new (std::nothrow) CComObject(arguments...);
        if (!*object)
            return E_OUTOFMEMORY;
        (*object)->AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = iid == IID_IUnknown ? T::InternalQueryInterface(T::PrimaryIid()) : T::InternalQueryInterface(iid);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

private:
    ULONG m_references = 0;
};
} // namespace ATL
