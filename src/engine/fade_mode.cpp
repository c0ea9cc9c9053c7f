// Fade: the logo fades in from the background and out again.
#include "engine/engine.h"

int32_t AnimateFade(HDC, int32_t)
{
    return 0;
}
