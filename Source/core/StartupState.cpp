#include "core/StartupState.h"

namespace Orvane
{

namespace
{

struct StartupState
{
    std::string savePathRoot;
    std::string settingsFileName;
    std::string version = "0.00";
    int messageLanguage = 0;
    int soundType = -1;
    uint32_t sceneManagerStartWord = 1;
    std::vector<PendingMount> pendingMounts;
};

StartupState& state()
{
    static StartupState instance;
    return instance;
}

} // namespace

const std::string& getSavePathRoot() { return state().savePathRoot; }

void setSavePathRoot(const std::string& path)
{
    std::string root = path;
    if (!root.empty() && root.back() != '/') root += '/';
    state().savePathRoot = std::move(root);
}

const std::string& getSettingsFileName() { return state().settingsFileName; }
void setSettingsFileName(const std::string& name) { state().settingsFileName = name; }

int getMessageLanguage() { return state().messageLanguage; }
void setMessageLanguage(int language) { state().messageLanguage = language; }

int getSoundType() { return state().soundType; }
void setSoundType(int type) { state().soundType = type; }

uint32_t& sceneManagerStartWord() { return state().sceneManagerStartWord; }

const std::string& getVersionString() { return state().version; }
void setVersionString(const std::string& version) { state().version = version; }

void queueArchiveMount(const std::string& name, const uint8_t* key, uint32_t keyLength)
{
    PendingMount mount{name, {}};
    if (key && keyLength > 0) mount.key.assign(key, key + keyLength);
    state().pendingMounts.push_back(std::move(mount));
}

std::vector<PendingMount> takePendingMounts()
{
    std::vector<PendingMount> mounts;
    mounts.swap(state().pendingMounts);
    return mounts;
}

} // namespace Orvane
