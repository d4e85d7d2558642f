// COM for the calling thread, for as long as the owner lives.
#pragma once

#include <objbase.h>

// The apartment every thread of the program asks for.
constexpr DWORD ProgramApartmentFlags = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE;

// Initialises COM on the calling thread and undoes it at scope end, only when
// the initialisation succeeded (a failed call must not be balanced).
class ComApartment
{
public:
    explicit ComApartment(DWORD flags = ProgramApartmentFlags) : m_result(CoInitializeEx(nullptr, flags)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (Succeeded())
            CoUninitialize();
    }

    bool Succeeded() const noexcept { return SUCCEEDED(m_result); }

private:
    HRESULT m_result;
};
