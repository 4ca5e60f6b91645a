#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Orvane
{

// Values the start-up sets once for the whole process and the application object reads.

// The save folder, always ending in '/' once set (empty until then).
const std::string& getSavePathRoot();
// Stores the path, appending "/" unless it already ends in '/'. An empty path stays empty.
void setSavePathRoot(const std::string& path);

// The settings file's name inside the save folder ("system.dat" once start-up has run).
const std::string& getSettingsFileName();
void setSettingsFileName(const std::string& name);

// 0 Japanese, 1 English: which twin of a start-up message is shown.
int getMessageLanguage();
void setMessageLanguage(int language);

// The sound type of the settings: -1 default, 0, 1, 2.
int getSoundType();
void setSoundType(int type);

// The word the scene manager's setup receives: 1 until start-up sets it to 0.
uint32_t& sceneManagerStartWord();

const std::string& getVersionString();
void setVersionString(const std::string& version);

struct PendingMount
{
    std::string name;
    std::vector<uint8_t> key;
};

// Archives queued for mounting before the application's file system exists. A null key or a length
// of 0 queues an empty key.
void queueArchiveMount(const std::string& name, const uint8_t* key, uint32_t keyLength);
// Hands the queue to the caller and leaves it empty.
std::vector<PendingMount> takePendingMounts();

} // namespace Orvane
