#pragma once

#include "font/CFontRegistry.h"

#include <kavro/IGlyphRasterizer.h>
#include <kavro/RefCounted.h>

#include <string>

namespace Kavro
{

// Finds faces among the registered font files first, then through fontconfig.
class CGlyphRasterizer : public RefCounted<IGlyphRasterizer>
{
public:
    CGlyphRasterizer();
    ~CGlyphRasterizer() override;

    IFontFace* createFace(int size, int weight, int italic, int charset, const char* faceName) override;
    int addFontMemory(const uint8_t* data, size_t size) override;

    FT_Library library() const { return library_; }
    // The installed face that has the character, preferring the language; false when there is none.
    bool findFallback(uint32_t code, int weight, bool italic, const char* language, FaceSource& out) const;

private:
    // The best installed face for the family (fontconfig always answers one); false without fontconfig.
    bool findInstalled(const std::string& family, int weight, bool italic, const char* language,
                       FaceSource& out) const;

    FT_Library library_ = nullptr;
    CFontRegistry registry_;
};

// Language tag fontconfig and HarfBuzz take for a character-set value; null for none.
const char* LanguageOfCharset(int charset);

} // namespace Kavro
