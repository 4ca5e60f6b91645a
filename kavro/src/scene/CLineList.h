#pragma once

#include "render/QuadVertex.h"

#include <kavro/ILineList.h>
#include <kavro/Ref.h>
#include <kavro/RefCounted.h>

#include <vector>

namespace Kavro
{

class CRenderDevice;

// A fixed-size list of lines, transformed to clip space when added; render draws them into the device's
// current render target at once (after the quads queued before them).
class CLineList : public RefCounted<ILineList>
{
public:
    CLineList(CRenderDevice* device, int capacity);
    ~CLineList() override;

    int begin() override;
    int addLine(const Matrix4x4& matrix, const Vector4D& from, uint32_t fromColour, const Vector4D& to,
                uint32_t toColour) override;
    int end() override;
    int getLineCount() override { return int(ends_.size() / 2); }
    int render() override;
    int setBlendMode(int mode) override;
    int getBlendMode() override { return blendMode_; }

private:
    Ref<CRenderDevice> device_;
    size_t capacity_;
    std::vector<QuadVertex> ends_;
    int blendMode_ = 1;
};

} // namespace Kavro
