#pragma once

#include "model/CModelFocus.h"

namespace Orvane
{

// Moves both eyes toward the target by offsetting their local translations, within the limits sideways and
// up, scaled by the focus weight.
class CModelFocusEye : public CModelFocus
{
public:
    using CModelFocus::CModelFocus;

    void apply();
};

} // namespace Orvane
