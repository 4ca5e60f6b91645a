#include "ArchiveTool.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Archive.h>
#include <kavro/Wpk2File.h>
#include <kavro/Wpk2DigestIndex.h>
#include <kavro/Wpk2Writer.h>

#include <kavro/SafeFileWriter.h>
#include <kavro/Wpk2Cipher.h>
#include <kavro/Wpk2EntryReader.h>

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <map>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace Kavro;

namespace
{

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ParseKey(const std::string& text, Wpk2Key& key)
{
    if (text.size() != key.size() * 2)
        return false;
    for (size_t i = 0; i < key.size(); ++i)
    {
        const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        key[i] = uint8_t(high << 4 | low);
    }
    return true;
}

std::string Describe(int code)
{
    switch (code)
    {
    case Wpk2::OpenFailed:
        return std::string("cannot be opened: ") + std::strerror(errno);
    case Wpk2::BadFormat:
        return "is not a WPK2 archive, is damaged, or needs another key";
    case Wpk2::ReadFailed:
        return "is truncated or cannot be read";
    case Wpk2::InflateFailed:
        return "holds a block that does not decompress";
    default:
        return "cannot be read (code " + std::to_string(code) + ")";
    }
}

// The bytes the entry's blocks really decode to, counted without keeping them; -1 when they do not decode.
// Its records declare up to 1032 times their stored bytes, so a small archive can claim a huge entry.
int64_t DecodedBytes(const Wpk2File& file, const Wpk2Archive& index, const Wpk2Entry& entry)
{
    // Blocked entries decode 64 KiB at a time, and small ones cost little: only large single pieces are counted.
    if (!entry.onePiece || entry.size <= Wpk2::BlockSize || entry.blocks.size() != 1 ||
        !entry.blocks[0].isCompressed())
    {
        uint64_t total = 0;
        for (const Wpk2BlockRecord& block : entry.blocks)
            total += block.decodedLength;
        return int64_t(total);
    }
    const Wpk2BlockRecord& record = entry.blocks[0];
    std::vector<uint8_t> packed(record.storedLength);
    if (!file.readAt(record.offset, packed.data(), packed.size()) ||
        !Wpk2Cipher(index.key(), index.header().iv).decrypt(packed.data(), packed.size()))
        return -1;
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return -1;
    stream.next_in = packed.data();
    stream.avail_in = record.packedLength;
    std::vector<uint8_t> scratch(Wpk2::BlockSize);
    int result = Z_OK;
    while (result == Z_OK)
    {
        stream.next_out = scratch.data();
        stream.avail_out = uInt(scratch.size());
        result = inflate(&stream, Z_NO_FLUSH);
    }
    const int64_t total = result == Z_STREAM_END ? int64_t(stream.total_out) : -1;
    inflateEnd(&stream);
    return total;
}

// An entry name may only name a place inside the extraction directory.
bool NameStaysInside(const std::string& name)
{
    if (name.empty() || name.front() == '/' || name.find('\\') != std::string::npos)
        return false;
    std::stringstream parts(name);
    std::string part;
    while (std::getline(parts, part, '/'))
    {
        if (part.empty() || part == "." || part == "..")
            return false;
    }
    return name.back() != '/';
}

// Decodes the entry a block at a time into a file that replaces the target only when it is whole.
// Empty on success, else the message.
std::string ExtractEntry(const Wpk2File& file, const Wpk2Archive& index, const Wpk2Entry& entry,
                         const fs::path& directory, const std::string& archive)
{
    const fs::path target = directory / entry.name;
    std::error_code code;
    fs::create_directories(target.parent_path(), code);
    if (code)
        return "cannot create " + target.parent_path().string() + ": " + code.message();
    SafeFileWriter out;
    if (out.open(target.string()) < 0)
        return out.error();
    Wpk2EntryReader reader(index, entry, file);
    std::vector<uint8_t> piece(Wpk2::BlockSize);
    for (uint64_t done = 0; done < entry.size;)
    {
        uint64_t copied = 0;
        if (const int result = reader.read(piece.data(), piece.size(), &copied))
            return entry.name + " in " + archive + " " + Describe(result);
        if (copied == 0)
            return entry.name + " in " + archive + " " + Describe(Wpk2::ReadFailed);
        if (out.write(piece.data(), copied) < 0)
            return out.error();
        done += copied;
    }
    return out.commit() < 0 ? out.error() : std::string();
}

// Entries are extracted on every core: each file waits for its own fsync, so one at a time would spend
// most of the time waiting. After a failure no new entry is started; the first failing entry in index
// order is reported, so the message does not depend on timing.
std::string ExtractAll(const Wpk2File& file, const Wpk2Archive& index, const fs::path& directory,
                       const std::string& archive)
{
    const std::vector<Wpk2Entry>& entries = index.entries();
    std::vector<std::string> errors(entries.size());
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        for (size_t i = next++; i < entries.size() && !failed; i = next++)
        {
            errors[i] = ExtractEntry(file, index, entries[i], directory, archive);
            if (!errors[i].empty())
                failed = true;
        }
    };
    const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, std::max<size_t>(entries.size(), 1));
    std::vector<std::thread> workers;
    for (size_t i = 1; i < threads; ++i)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    const auto first = std::find_if(errors.begin(), errors.end(), [](const std::string& e) { return !e.empty(); });
    return first == errors.end() ? std::string() : *first;
}

} // namespace

int ArchiveTool::run(std::vector<std::string> args)
{
    key_ = BuildArchiveKey();
    if (!takeKeyOption(args))
        return BadUsage;
    if (args.empty())
        return usage(err_, BadUsage);
    if (args[0] == "--help" || args[0] == "-h")
        return usage(out_, Success);
    const std::string& command = args[0];
    if (command == "pack" && args.size() == 3)
        return pack(args[1], args[2]);
    if (command == "list" && args.size() == 2)
        return list(args[1]);
    if (command == "extract" && args.size() == 3)
        return extract(args[1], args[2]);
    if (command == "key" && args.size() == 1)
        return printKey();
    return usage(err_, BadUsage);
}

bool ArchiveTool::takeKeyOption(std::vector<std::string>& args)
{
    for (size_t i = 0; i < args.size(); ++i)
    {
        if (args[i] != "--key")
            continue;
        if (i + 1 >= args.size() || !ParseKey(args[i + 1], key_))
        {
            err_ << "orvane-wpk: --key needs 64 hexadecimal digits (32 bytes)\n";
            return false;
        }
        args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
        --i;
    }
    return true;
}

int ArchiveTool::usage(std::ostream& to, int exitCode)
{
    to << "usage: orvane-wpk [--key HEX] pack OUT.wpk DIR\n"
            "       orvane-wpk [--key HEX] list IN.wpk\n"
            "       orvane-wpk [--key HEX] extract IN.wpk DIR\n"
            "       orvane-wpk [--key HEX] key\n"
            "       orvane-wpk --help\n"
            "Names are stored relative to DIR, lower-cased, with '/'. Without --key the built-in key is used.\n"
            "pack replaces OUT.wpk only when the whole archive was written; extract replaces files likewise.\n";
    return exitCode;
}

int ArchiveTool::fail(const std::string& message)
{
    err_ << "orvane-wpk: " << message << "\n";
    return Failed;
}

int ArchiveTool::pack(const std::string& archive, const fs::path& directory)
{
    std::error_code code;
    if (!fs::is_directory(directory, code))
        return fail(directory.string() + ": " + (code ? code.message() : std::strerror(ENOTDIR)));
    // Refused before any file is read; the writer checks again when it replaces the target.
    if (fs::exists(archive, code) && !fs::is_regular_file(archive, code))
        return fail("refusing to replace " + archive + ": not a regular file");
    // Sorted by stored name, so the same directory always packs to the same index.
    std::map<std::string, std::pair<fs::path, uint64_t>> files;
    for (fs::recursive_directory_iterator it(directory, code), end; !code && it != end; it.increment(code))
    {
        if (!it->is_regular_file(code))
            continue;
        const uint64_t size = it->file_size(code);
        if (code)
            return fail("cannot read " + it->path().string() + ": " + code.message());
        if (size > UINT32_MAX)
            return fail(it->path().string() + " is 4 GiB or larger");
        const std::string name = Wpk2DigestIndex::lowerCaseName(fs::relative(it->path(), directory).generic_string());
        if (name.size() > Wpk2::MaxNameLength)
            return fail("name longer than 260 bytes: " + name);
        const auto [at, added] = files.emplace(name, std::make_pair(it->path(), size));
        if (!added)
            return fail(at->second.first.string() + " and " + it->path().string() + " both become " + name);
    }
    if (code)
        return fail("cannot list " + directory.string() + ": " + code.message());

    Wpk2Writer writer(key_);
    for (const auto& [name, file] : files)
        writer.addFile(name, file.first.string(), file.second);
    std::string error;
    if (!writer.writeFile(archive, &error))
        return fail(error);
    out_ << "packed " << files.size() << " files into " << archive << "\n";
    return Success;
}

int ArchiveTool::list(const std::string& archive)
{
    Wpk2File file;
    Wpk2Archive index;
    if (!file.open(archive))
        return fail(archive + " " + Describe(Wpk2::OpenFailed));
    if (const int code = index.load(file, key_))
        return fail(archive + " " + Describe(code));
    for (const Wpk2Entry& entry : index.entries())
    {
        out_ << std::setw(10) << entry.size << "  "
             << (entry.onePiece ? std::string("whole") : std::to_string(entry.blocks.size()) + " blocks") << "  "
             << entry.name << "\n";
    }
    return Success;
}

int ArchiveTool::extract(const std::string& archive, const fs::path& directory)
{
    Wpk2File file;
    Wpk2Archive index;
    if (!file.open(archive))
        return fail(archive + " " + Describe(Wpk2::OpenFailed));
    if (const int code = index.load(file, key_))
        return fail(archive + " " + Describe(code));
    for (const Wpk2Entry& entry : index.entries())
    {
        if (!NameStaysInside(entry.name))
            return fail("refusing entry name that leaves the directory: " + entry.name);
    }
    for (const Wpk2Entry& entry : index.entries())
    {
        const int64_t held = DecodedBytes(file, index, entry);
        if (held != int64_t(entry.size))
            return fail("refusing " + entry.name + " in " + archive + ": it declares " + std::to_string(entry.size) +
                        " bytes, its blocks " +
                        (held < 0 ? std::string("do not decode") : "hold " + std::to_string(held)));
    }
    if (const std::string error = ExtractAll(file, index, directory, archive); !error.empty())
        return fail(error);
    out_ << "extracted " << index.entries().size() << " files into " << directory.string() << "\n";
    return Success;
}

int ArchiveTool::printKey()
{
    std::ostringstream hex;
    for (uint8_t byte : key_)
        hex << std::uppercase << std::hex << std::setw(2) << std::setfill('0') << int(byte);
    out_ << hex.str() << "\n";
    return Success;
}
