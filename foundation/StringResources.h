// String tables and version resources: the identifier of a string-table
// entry, and the lookups behind the string constructors that load one.
// Included by StringEx.h.
#pragma once

#include "foundation/Atom.h"
#include "foundation/StringException.h"

// The number of an entry in the string table of the language module.
struct ResId
{
    unsigned id;

    explicit ResId(unsigned id_) : id(id_) {}
};

namespace StringDetail
{
// The units of a string-table entry (standard RT_STRING layout: entry id lies
// in block (id >> 4) + 1 as its entry id & 15), pointing into the loaded
// module; a null module means the program's own. Throws MStringException
// 10001 to 10004.
ShellMemory<wchar_t> FindStringTableEntry(HMODULE module, unsigned id);
// The value of a version-resource entry of the module's file, looked up
// through each translation of the resource in turn, with its NUL. Throws
// MStringException 10001 or 10005.
MemoryPH<wchar_t> ReadVersionValue(const wchar_t* entryName, HMODULE module);
}
