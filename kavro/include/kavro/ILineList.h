#pragma once

#include "IInterface.h"
#include "Matrix4x4.h"
#include "Vector4D.h"

namespace Kavro
{

// A list of one-pixel lines drawn together with one blend mode, without anti-aliasing; each line's colour
// runs from its start colour to its end colour. Positions (x, y, z, w) are multiplied as row vectors by the
// line's matrix into clip space (as IQuad's corners); a position at whole pixels of the target lies on the
// centre of that pixel. Colours are packed bytes red, green, blue, alpha in memory order.
class ILineList : public IInterface
{
public:
    // Starts a new list; the lines of the previous list are dropped.
    virtual int begin() = 0;
    // -1 when the list already holds as many lines as it was made for.
    virtual int addLine(const Matrix4x4& matrix, const Vector4D& from, uint32_t fromColour, const Vector4D& to,
                        uint32_t toColour) = 0;
    virtual int end() = 0;
    virtual int getLineCount() = 0;
    // Draws the list into the device's current render target, in call order with every other draw.
    virtual int render() = 0;
    // The blend modes of IQuad::setBlendMode.
    virtual int setBlendMode(int mode) = 0;
    virtual int getBlendMode() = 0;
};

} // namespace Kavro
