#pragma once

#include "sprite/CColorTextureCallback.h"

namespace Orvane
{

// A sprite mask's texture watch. It lives in the mask's colorTextureCallback, where the mask's create and
// destructor remove it from the watcher, so a texture that goes away after the mask never reaches it.
class CMaskTextureCallback : public CColorTextureCallback
{
public:
    using CColorTextureCallback::CColorTextureCallback;
};

} // namespace Orvane
