#pragma once

#include <kavro/Wpk2Archive.h>
#include <kavro/Wpk2File.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace Orvane
{

class CArchiveFile;

// A read queued to an archive's worker; done is set when it is finished, whatever the outcome.
struct ArchiveReadRequest
{
    const Kavro::Wpk2Entry* entry = nullptr;
    uint8_t* destination = nullptr;
    uint32_t size = 0;
    uint64_t position = 0;
    std::promise<void> done;
};

// An archive mounted by the system-archive reader: its index and key, the shared file handle, and the
// worker that serves queued reads.
class CArchiveRecord
{
public:
    std::string path;
    Kavro::Wpk2Archive archive; // header, entries, digest index and key
    Kavro::Wpk2File file;       // shared, used by the worker
    std::atomic<bool> running{false};

    // Guards requests and openFiles.
    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::unique_ptr<ArchiveReadRequest>> requests;
    std::list<CArchiveFile*> openFiles;

    ~CArchiveRecord();

    // Sets running and starts the worker, which keeps the record alive while it runs.
    void start(const std::shared_ptr<CArchiveRecord>& self);
    // Clears running and waits up to the limit for the worker to end; true when it ended.
    bool stop(std::chrono::milliseconds limit);
    // False when the archive is not running.
    bool queue(std::unique_ptr<ArchiveReadRequest> request);

private:
    std::thread worker_;
    std::future<void> workerExit_;
};

} // namespace Orvane
