#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Orvane
{

class CSoundGroup;
class CSoundTypeVolume;
class CVolumeControl;

// The application's sound bookkeeping: named sound groups, the volume of each sound type and the
// volume control of every sound-playing object, advanced once per frame.
class CSoundManager
{
public:
    CSoundManager();
    ~CSoundManager();
    CSoundManager(const CSoundManager&) = delete;
    CSoundManager& operator=(const CSoundManager&) = delete;

    // The frame step: group fades, the loudest level of each group, type fades, then every control.
    void update();
    // Frees every group, control and type volume.
    void clear();

    // Creates the group unless one has the name.
    void defineSoundGroup(const std::string& name);
    // Null when no group has the name.
    CSoundGroup* findSoundGroup(const std::string& name) const;
    // The type's volume entry, made at volume 1.0 on first use; it lives as long as the manager.
    CSoundTypeVolume* getTypeVolume(uint32_t type);

    // Takes ownership of the control and steps it every frame; a control already held is kept once.
    void addVolumeControl(CVolumeControl* control);
    // Deletes the control (registered or not) and clears the caller's pointer.
    void removeVolumeControl(CVolumeControl*& control);
    size_t getVolumeControlCount() const { return controls.size(); }

private:
    bool isRegistered(const CVolumeControl* control) const;

    std::map<std::string, std::unique_ptr<CSoundGroup>> groups;
    std::vector<std::unique_ptr<CVolumeControl>> controls;
    std::map<uint32_t, std::unique_ptr<CSoundTypeVolume>> typeVolumes;
};

} // namespace Orvane
