// Owner of one BSTR (the system's string for COM calls): freed once.
#pragma once

#include <oleauto.h>

class Bstr
{
public:
    explicit Bstr(const wchar_t* text = nullptr) : m_text(text ? SysAllocString(text) : nullptr) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(m_text); }
    BSTR Get() const { return m_text; }
    // For out parameters: frees what is held and hands out the slot.
    BSTR* Out()
    {
        SysFreeString(m_text);
        m_text = nullptr;
        return &m_text;
    }

private:
    BSTR m_text;
};
