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

private:
    contextualize<MString, sX::FileName> m_file;
    contextualize<MString, sX::Link> m_link;
    MString m_identity;
    LONG m_kind = -1;
};
