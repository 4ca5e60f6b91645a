#pragma once

#include "kavro/ISoundDevice.h"

namespace Kavro
{

class IFileSystem;

// The sound device on the default playback device; with none, on a null output that keeps time. Sounds are
// opened through fileSystem (a reference is kept; null: plain files only). Null only when OpenAL fails.
ISoundDevice* CreateSoundDevice(IFileSystem* fileSystem);

} // namespace Kavro
