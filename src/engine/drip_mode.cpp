// Drip: the logo, centred or tiled, melts down the screen column by column.
#include "engine/engine.h"

int32_t AnimateDrip(HDC, int32_t)
{
    return 0;
}
