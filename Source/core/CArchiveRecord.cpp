#include "core/CArchiveRecord.h"

#include "core/SystemArchive.h"

namespace Orvane
{

CArchiveRecord::~CArchiveRecord()
{
    if (worker_.joinable())
        worker_.detach();
}

void CArchiveRecord::start(const std::shared_ptr<CArchiveRecord>& self)
{
    running = true;
    auto exit = std::make_shared<std::promise<void>>();
    workerExit_ = exit->get_future();
    worker_ = std::thread([self, exit] {
        ArchiveWorkerProc(self);
        exit->set_value();
    });
}

bool CArchiveRecord::stop(std::chrono::milliseconds limit)
{
    {
        std::lock_guard guard(lock);
        running = false;
    }
    wake.notify_all();
    if (!worker_.joinable())
        return true;
    if (workerExit_.wait_for(limit) != std::future_status::ready)
    {
        // The worker holds its own reference to the record, so it may finish later on its own.
        worker_.detach();
        return false;
    }
    worker_.join();
    return true;
}

bool CArchiveRecord::queue(std::unique_ptr<ArchiveReadRequest> request)
{
    {
        std::lock_guard guard(lock);
        if (!running)
            return false;
        requests.push_back(std::move(request));
    }
    wake.notify_one();
    return true;
}

} // namespace Orvane
