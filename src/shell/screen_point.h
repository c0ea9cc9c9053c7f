// A point in screen coordinates, shared by the input policy and the help popup's placement.
#pragma once

#include <cstdint>

struct ScreenPoint {
    int32_t X;
    int32_t Y;
};
