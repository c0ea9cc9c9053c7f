// rand() as a test scripts it: the listed values in turn, then 0. A test sets
// `script`, clears `drawn`, passes `Scripted` for rand and reads `drawn` to
// see how many numbers were taken.
#pragma once

#include <cstddef>
#include <vector>

inline std::vector<int> script;
inline size_t drawn;

inline int Scripted()
{
    return drawn < script.size() ? script[drawn++] : (++drawn, 0);
}
