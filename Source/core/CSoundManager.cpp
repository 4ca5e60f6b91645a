#include "core/CSoundManager.h"

#include "core/CSoundGroup.h"
#include "core/CSoundTypeVolume.h"
#include "core/CVolumeControl.h"

#include <algorithm>

namespace Orvane
{

CSoundManager::CSoundManager() = default;

CSoundManager::~CSoundManager()
{
    clear();
}

void CSoundManager::update()
{
    for (auto& [name, group] : groups)
    {
        group->wasRunning = group->running;
        group->running = group->volume.update();
    }
    for (auto& [name, group] : groups)
    {
        group->previousTop = group->top;
        group->top = 0;
    }
    for (const auto& control : controls)
        if (control->audible)
            for (const CVolumeControl::Link& link : control->links)
                link.group->top = std::max(link.group->top, link.level);
    for (auto& [type, entry] : typeVolumes)
    {
        entry->wasRunning = entry->running;
        entry->running = entry->volume.update();
    }
    for (const auto& control : controls)
        control->update();
}

void CSoundManager::clear()
{
    // Controls first: they point at groups and type volumes.
    controls.clear();
    groups.clear();
    typeVolumes.clear();
}

void CSoundManager::defineSoundGroup(const std::string& name)
{
    if (!groups.contains(name)) groups.emplace(name, std::make_unique<CSoundGroup>());
}

CSoundGroup* CSoundManager::findSoundGroup(const std::string& name) const
{
    const auto it = groups.find(name);
    return it == groups.end() ? nullptr : it->second.get();
}

CSoundTypeVolume* CSoundManager::getTypeVolume(uint32_t type)
{
    std::unique_ptr<CSoundTypeVolume>& entry = typeVolumes[type];
    if (!entry) entry = std::make_unique<CSoundTypeVolume>();
    return entry.get();
}

bool CSoundManager::isRegistered(const CVolumeControl* control) const
{
    return std::any_of(controls.begin(), controls.end(),
                       [control](const auto& owned) { return owned.get() == control; });
}

void CSoundManager::addVolumeControl(CVolumeControl* control)
{
    if (control && !isRegistered(control)) controls.emplace_back(control);
}

void CSoundManager::removeVolumeControl(CVolumeControl*& control)
{
    const auto it = std::find_if(controls.begin(), controls.end(),
                                 [control](const auto& owned) { return owned.get() == control; });
    if (it != controls.end())
        controls.erase(it);
    else
        delete control;
    control = nullptr;
}

} // namespace Orvane
