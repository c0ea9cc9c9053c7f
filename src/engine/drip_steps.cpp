// Drip's step choice and slide geometry.
#include "engine/drip_steps.h"

int DripStep(int32_t columns, int32_t* offsets, int (*random)(), DripSlide slides[MaxDripSlides])
{
    if (columns <= 0 || !offsets)
        return 0;
    int32_t column = random() % columns;
    int count = 0;
    while (count < MaxDripSlides) {
        const int32_t distance = random() % 4 + 1;
        const int32_t offset = offsets[column];
        if (offset < DripOffsetLimit)
            offsets[column] = offset + distance;
        slides[count++] = {column, offset, distance};
        column = column + 1 < columns ? column + 1 : 0;
        // Drawn after every slide, the last one too.
        if (random() % 10 > 7)
            break;
    }
    return count;
}

DripStrip DripStripOf(int32_t x, int32_t y, int32_t height, const DripSlide& slide)
{
    const int32_t top = y + slide.Offset;
    // The gap starts one row higher, on the bottom pixel of the previous gap
    // (or the row above the rectangle), which is background already.
    return {x + slide.Column, top, top + slide.Distance, height, top - 1, top + slide.Distance};
}
