// What the main window shows of the program itself: the caption of its
// boxes, the product name and version of the version resource, the product
// name of the language module, and the program's icon.
#pragma once

#include "foundation/GdiOwners.h"
#include "foundation/StringEx.h"

class ProgramIdentity
{
public:
    ProgramIdentity();
    ProgramIdentity(const ProgramIdentity&) = delete;
    ProgramIdentity& operator=(const ProgramIdentity&) = delete;

    // The caption of the window and of boxes for other threads.
    const MStringEx<wchar_t>& Caption() const { return m_caption; }
    // The version resource's product name and version.
    const MStringEx<wchar_t>& ProductName() const { return m_productName; }
    const MStringEx<wchar_t>& ProductVersion() const { return m_productVersion; }
    // The language module's product name (on cards and in notices).
    const MStringEx<wchar_t>& Name() const { return m_name; }
    HICON Icon() const { return m_icon.Get(); }

private:
    MStringEx<wchar_t> m_caption;
    MStringEx<wchar_t> m_productName;
    MStringEx<wchar_t> m_name;
    MStringEx<wchar_t> m_productVersion;
    MIcon m_icon;
};
