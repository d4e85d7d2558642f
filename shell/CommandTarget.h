// The slide a command acts on, captured when the tray menu opens or a hot
// key is pressed: the file or the link of the slide then on screen, its
// identity and its kind (a SlideKind; -1 while nothing was captured). The
// file commands compare it with the slide on screen before they act.
#pragma once

#include "foundation/Contextualize.h"
#include "foundation/StringEx.h"

#include <windows.h>

class CommandTarget
{
public:
    CommandTarget() = default;
    CommandTarget(const CommandTarget&) = delete;
    CommandTarget& operator=(const CommandTarget&) = delete;

    const MString& File() const { return m_file; }
    const MString& Link() const { return m_link; }
    const MString& Identity() const { return m_identity; }
    LONG Kind() const { return m_kind; }
    bool IsLocalFile() const { return (static_cast<DWORD>(m_kind) & 0x80000000u) != 0 && m_kind != -1; }

    // Takes the slide on screen: a local file by its path, any other slide
    // by its link.
    void Capture(LONG kind, const MString& path, const MString& identity, const MString& link)
    {
        m_kind = kind;
        m_identity = identity;
        if (IsLocalFile())
        {
            m_file = path;
            m_link.Clear();
        }
        else
        {
            m_file.Clear();
            m_link = link;
        }
    }

private:
    contextualize<MString, sX::FileName> m_file;
    contextualize<MString, sX::Link> m_link;
    MString m_identity;
    LONG m_kind = -1;
};
