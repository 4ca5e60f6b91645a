#pragma once

namespace Kavro
{
class ICore;
}

namespace Orvane
{

// Called by the application's initialisation once the library core and its file system exist and
// before the window does; the game layer runs its launcher here.
class CInitializeCallback
{
public:
    virtual ~CInitializeCallback() = default;
    // 0 stops start-up without a message (the user chose to quit); anything else goes on.
    virtual int onInitialize(Kavro::ICore* core);
};

} // namespace Orvane
