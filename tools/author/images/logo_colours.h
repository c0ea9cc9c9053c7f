// The colours of a packed logo, for changes that keep it: whether its pixels
// in a transparent colour would show, whether a colour is used at all, and
// which background a PNG's partly transparent pixels were blended onto.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/saver_trailer.h"

// How many pixels of the BMP have each of the `count` colours (0x00RRGGBB),
// as the display shows them; false when the BMP does not pass CheckBmp. Any
// layout that check accepts; run-length pixels that the runs skip are black.
bool CountPixelsIn(const std::vector<uint8_t>& bmp, const uint32_t* colours, int count, int64_t* found);

// A PNG blended onto the background when it was packed: the BMP's file header
// keeps that colour in its reserved field, which readers of BMP files ignore,
// so that a later change of background can tell that the blend no longer fits.
void MarkBlendedBackground(std::vector<uint8_t>* bmp, uint32_t backgroundColor);
bool BlendedBackground(const std::vector<uint8_t>& bmp, uint32_t* backgroundColor);

// A warning that no pixel of the logo has the transparent colour, or empty.
std::string UnusedKeyWarning(const std::vector<uint8_t>& bmp, int32_t transparentColor);

// Why keeping the logo while the trailer goes from `before` to `after` would
// show it wrongly (pixels that were see-through would show; a blend made onto
// another background), or empty. A new transparent colour that no pixel
// has adds a warning.
std::string KeptLogoProblem(const std::vector<uint8_t>& bmp, const SaverTrailer& before, const SaverTrailer& after,
                            std::vector<std::string>* warnings);
