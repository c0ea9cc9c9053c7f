// Geometry and blending are computed in double precision. The 32-bit build
// computes on the x87 unit, whose registers carry 64-bit mantissas unless the
// precision control says otherwise, and the C runtime's start-up leaves it at
// extended: a quotient such as 640 / 1.6 then truncates to 399 instead of
// 400. With the precision control at 53 bits every x87 operation rounds as a
// double operation does, so both builds compute the same integers.
#pragma once

inline void UseDoublePrecision()
{
#if defined(__i386__) && !defined(__SSE2_MATH__)
    unsigned short control;
    __asm__ __volatile__("fnstcw %0" : "=m"(control));
    control = static_cast<unsigned short>((control & ~0x300u) | 0x200u);
    __asm__ __volatile__("fldcw %0" : : "m"(control));
#endif
}
