#include "scene/CLineList.h"

#include "render/CRenderDevice.h"

namespace Kavro
{

namespace
{

QuadVertex lineEnd(const Vector4D& position, const Matrix4x4& matrix, uint32_t colour)
{
    const Vector4D p = position.Transform(matrix);
    return {{p.x, p.y, p.z, p.w}, colour, {0.0f, 0.0f}};
}

} // namespace

CLineList::CLineList(CRenderDevice* device, int capacity) : device_(device), capacity_(size_t(capacity))
{
    ends_.reserve(capacity_ * 2);
}

CLineList::~CLineList() = default;

int CLineList::begin()
{
    ends_.clear();
    return 0;
}

int CLineList::addLine(const Matrix4x4& matrix, const Vector4D& from, uint32_t fromColour, const Vector4D& to,
                       uint32_t toColour)
{
    if (ends_.size() / 2 >= capacity_)
        return -1;
    ends_.push_back(lineEnd(from, matrix, fromColour));
    ends_.push_back(lineEnd(to, matrix, toColour));
    return 0;
}

int CLineList::end()
{
    return 0;
}

int CLineList::render()
{
    return device_->drawLines(ends_, blendMode_);
}

int CLineList::setBlendMode(int mode)
{
    blendMode_ = mode;
    return 0;
}

} // namespace Kavro
