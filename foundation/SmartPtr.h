// Owning pointer of the library and its failure record.
#pragma once

// Thrown when an empty owning pointer is dereferenced.
struct MSmartPtrError
{
    unsigned __int64 value = 0;
};
