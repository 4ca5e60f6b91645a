#pragma once

#include "render/QuadVertex.h"

#include <kavro/Vector2D.h>

#include <vector>

namespace Kavro
{

// Quads (four corners each) of text in the small built-in font (stb_easy_font), top-left at position in pixels of a
// target of the given size, in the ARGB colour.
std::vector<QuadVertex> BuildDebugText(const Vector2D& position, uint32_t argb, const char* text, int targetWidth,
                                       int targetHeight);

} // namespace Kavro
