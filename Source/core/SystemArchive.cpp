#include "core/SystemArchive.h"

#include <kavro/Wpk2DigestIndex.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <vector>

namespace Orvane
{

namespace
{

using namespace Kavro;

constexpr const char* ArchivePath = "system.wpk";
constexpr const char* SettingsName = "Setting.ini";
constexpr std::chrono::milliseconds WorkerExitLimit{10000};
constexpr uint32_t MaxSettingsSize = 1024 * 1024;

// Mounted archives, newest first.
std::list<std::shared_ptr<CArchiveRecord>>& MountedArchives()
{
    static std::list<std::shared_ptr<CArchiveRecord>> archives;
    return archives;
}

void ServeRequest(const CArchiveRecord& archive, ArchiveReadRequest& request)
{
    Wpk2EntryReader reader(archive.archive, *request.entry, archive.file);
    uint64_t copied = 0;
    if (reader.seek(int64_t(request.position), Wpk2EntryReader::FromStart) == Wpk2::Ok)
        reader.read(request.destination, request.size, &copied);
}

} // namespace

int ArchiveUnmountAll()
{
    auto& archives = MountedArchives();
    for (const auto& archive : archives)
    {
        if (archive->stop(WorkerExitLimit))
            archive->file.close();
    }
    archives.clear();
    return Wpk2::Ok;
}

int ArchiveMount(const uint8_t* key)
{
    if (!key)
        return Wpk2::BadArgument;
    auto& archives = MountedArchives();
    if (std::any_of(archives.begin(), archives.end(), [](const auto& a) { return a->path == ArchivePath; }))
        return Wpk2::AlreadyMounted;
    auto record = std::make_shared<CArchiveRecord>();
    record->path = ArchivePath;
    if (!record->file.open(record->path))
        return Wpk2::OpenFailed;
    Wpk2Key archiveKey;
    std::memcpy(archiveKey.data(), key, archiveKey.size());
    if (const int code = record->archive.load(record->file, archiveKey))
        return code;
    record->start(record);
    archives.push_front(std::move(record));
    return Wpk2::Ok;
}

const Wpk2Entry* ArchiveFindSettings(const CArchiveRecord* archive)
{
    if (!archive)
        return nullptr;
    return archive->archive.find(Wpk2DigestIndex::lowerCaseName(SettingsName));
}

int ArchiveOpenFile(CArchiveFile** handle)
{
    if (!handle || *handle)
        return Wpk2::BadArgument;
    for (const auto& archive : MountedArchives())
    {
        const Wpk2Entry* entry = ArchiveFindSettings(archive.get());
        if (!entry)
            continue;
        auto file = std::make_unique<CArchiveFile>(archive, *entry);
        if (!file->file.open(archive->path))
            return Wpk2::OpenFailed;
        {
            std::lock_guard guard(archive->lock);
            archive->openFiles.push_back(file.get());
        }
        *handle = file.release();
        return Wpk2::Ok;
    }
    return Wpk2::NotFound;
}

void ArchiveCloseFile(CArchiveFile** handle)
{
    if (!handle || !*handle)
        return;
    CArchiveFile* file = *handle;
    for (const auto& done : file->pending)
        done.wait();
    file->file.close();
    {
        std::lock_guard guard(file->archive->lock);
        file->archive->openFiles.remove(file);
    }
    delete file;
    *handle = nullptr;
}

int ArchiveSeek(CArchiveFile* file, int64_t offset, int origin)
{
    if (!file)
        return Wpk2::BadArgument;
    return file->reader.seek(offset, origin);
}

int ArchiveRead(CArchiveFile* file, void* destination, const uint32_t* size)
{
    if (!file || !size || (!destination && *size))
        return Wpk2::BadArgument;
    if (!file->archive->running)
        return Wpk2::NotRunning;
    uint64_t copied = 0;
    return file->reader.read(destination, *size, &copied);
}

int ArchiveReadWhole(const CArchiveRecord* archive, const Wpk2Entry* entry, const Wpk2File* file, void* destination,
                     const uint32_t* capacity)
{
    if (!archive || !entry || !file || !capacity || (!destination && *capacity))
        return Wpk2::BadArgument;
    return archive->archive.readWhole(*file, *entry, static_cast<uint8_t*>(destination), *capacity);
}

int ArchiveReadBlock(const CArchiveRecord* archive, const Wpk2Entry* entry, const Wpk2File* file,
                     int64_t blockIndex, uint8_t* output, uint32_t* outputLength)
{
    if (!archive || !entry || !file || !output || !outputLength)
        return Wpk2::BadArgument;
    return archive->archive.readBlock(*file, *entry, blockIndex, output, outputLength);
}

int ArchiveQueueRead(CArchiveFile* file, void* destination, uint32_t size, uint64_t position)
{
    if (!file || (!destination && size))
        return Wpk2::BadArgument;
    auto request = std::make_unique<ArchiveReadRequest>();
    request->entry = &file->entry;
    request->destination = static_cast<uint8_t*>(destination);
    request->size = size;
    request->position = position;
    std::shared_future<void> done = request->done.get_future().share();
    if (!file->archive->queue(std::move(request)))
        return Wpk2::NotRunning;
    file->pending.push_back(std::move(done));
    return Wpk2::Ok;
}

void ArchiveWorkerProc(const std::shared_ptr<CArchiveRecord>& archive)
{
    for (;;)
    {
        std::unique_ptr<ArchiveReadRequest> request;
        {
            std::unique_lock guard(archive->lock);
            archive->wake.wait(guard, [&] { return !archive->running || !archive->requests.empty(); });
            if (!archive->running)
                break;
            request = std::move(archive->requests.front());
            archive->requests.pop_front();
        }
        ServeRequest(*archive, *request);
        request->done.set_value();
    }
    std::lock_guard guard(archive->lock);
    for (auto& request : archive->requests)
        request->done.set_value();
    archive->requests.clear();
}

int ArchiveReadSettings(const uint8_t* key, std::string& text)
{
    text.clear();
    ArchiveUnmountAll();
    int code = ArchiveMount(key);
    CArchiveFile* file = nullptr;
    if (code == Wpk2::Ok)
        code = ArchiveOpenFile(&file);
    std::vector<char> buffer;
    if (code == Wpk2::Ok)
    {
        // The size comes from the archive: a settings file is small, so anything larger is refused before
        // memory is taken for it. One more byte than the entry, zeroed, so the text always ends.
        const uint32_t size = file->entry.size;
        if (size > MaxSettingsSize)
            code = Wpk2::DestinationTooSmall;
        else
            buffer.assign(size_t(size) + 1, 0);
        if (code == Wpk2::Ok && !file->archive->running)
            code = Wpk2::NotRunning;
        if (code == Wpk2::Ok && !file->entry.onePiece)
        {
            code = ArchiveSeek(file, 0, Wpk2EntryReader::FromStart);
            if (code == Wpk2::Ok)
                code = ArchiveRead(file, buffer.data(), &size);
        }
        else if (code == Wpk2::Ok)
        {
            code = ArchiveReadWhole(file->archive.get(), &file->entry, &file->file, buffer.data(), &size);
        }
    }
    ArchiveCloseFile(&file);
    ArchiveUnmountAll();
    if (code == Wpk2::Ok)
        text.assign(buffer.data());
    return code;
}

} // namespace Orvane
