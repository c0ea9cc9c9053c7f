// Falling: copies of the logo drift one way at different depths.
#include "engine/engine.h"

int32_t AnimateFalling(HDC, int32_t)
{
    return 0;
}
