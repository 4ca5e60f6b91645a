#pragma once

#include <kavro/IModelAuxiliary.h>
#include <kavro/RefCounted.h>

namespace Kavro
{

// Model resources here need nothing beyond their own meshes (needsAuxiliary answers 0), so the auxiliary
// a caller asks for anyway is an object that accepts every call and does nothing.
class CModelAuxiliary : public RefCounted<IModelAuxiliary>
{
public:
    int prepare() override { return 0; }
    int commit() override { return 0; }
};

} // namespace Kavro
