// Bounce: the logo bounces off the edges, or falls and bounces under gravity.
#include "engine/engine.h"

int32_t AnimateBounce(HDC, int32_t)
{
    return 0;
}
