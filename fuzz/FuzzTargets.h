// The parsers of outside data that the fuzz driver feeds, by name.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct FuzzTarget
{
    const char* name;
    // Called once before the first input (keys, registry, language module).
    void (*prepare)();
    // Parses one input. Rejections (the parser's own failures) return
    // normally; only a fault is a finding.
    void (*run)(const unsigned char* data, size_t size);
    // Valid inputs made by the program's own encoders, to mutate.
    std::vector<std::string> (*seeds)();
};

const std::vector<FuzzTarget>& FuzzTargets();
