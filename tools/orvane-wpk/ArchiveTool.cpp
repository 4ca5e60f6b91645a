#include "ArchiveTool.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Archive.h>
#include <kavro/SafeFileWriter.h>
#include <kavro/Wpk2DigestIndex.h>
#include <kavro/Wpk2Writer.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>
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
        return "cannot be opened";
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

bool ReadFile(const fs::path& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
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

} // namespace

int ArchiveTool::run(std::vector<std::string> args)
{
    key_ = BuildArchiveKey();
    if (!takeKeyOption(args))
        return BadUsage;
    if (args.empty())
        return usage();
    const std::string& command = args[0];
    if (command == "pack" && args.size() == 3)
        return pack(args[1], args[2]);
    if (command == "list" && args.size() == 2)
        return list(args[1]);
    if (command == "extract" && args.size() == 3)
        return extract(args[1], args[2]);
    if (command == "key" && args.size() == 1)
        return printKey();
    return usage();
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

int ArchiveTool::usage()
{
    err_ << "usage: orvane-wpk [--key HEX] pack OUT.wpk DIR\n"
            "       orvane-wpk [--key HEX] list IN.wpk\n"
            "       orvane-wpk [--key HEX] extract IN.wpk DIR\n"
            "       orvane-wpk [--key HEX] key\n"
            "Names are stored relative to DIR, lower-cased, with '/'. Without --key the built-in key is used.\n";
    return BadUsage;
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
        return fail(directory.string() + " is not a directory");
    // Sorted by stored name, so the same directory always packs to the same index.
    std::map<std::string, fs::path> files;
    for (fs::recursive_directory_iterator it(directory, code), end; !code && it != end; it.increment(code))
    {
        if (!it->is_regular_file())
            continue;
        const std::string name = Wpk2DigestIndex::lowerCaseName(fs::relative(it->path(), directory).generic_string());
        if (name.size() > Wpk2::MaxNameLength)
            return fail("name longer than 260 bytes: " + name);
        const auto [at, added] = files.emplace(name, it->path());
        if (!added)
            return fail(at->second.string() + " and " + it->path().string() + " both become " + name);
    }
    if (code)
        return fail("cannot list " + directory.string() + ": " + code.message());

    Wpk2Writer writer(key_);
    for (const auto& [name, path] : files)
    {
        std::vector<uint8_t> bytes;
        if (!ReadFile(path, bytes))
            return fail("cannot read " + path.string());
        if (bytes.size() > UINT32_MAX)
            return fail(path.string() + " is larger than 4 GiB");
        writer.add(name, std::move(bytes));
    }
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
        std::vector<uint8_t> bytes(entry.size);
        if (const int code = index.readWhole(file, entry, bytes.data(), bytes.size()))
            return fail(entry.name + " in " + archive + " " + Describe(code));
        const fs::path target = directory / entry.name;
        std::error_code code;
        fs::create_directories(target.parent_path(), code);
        if (code)
            return fail("cannot create " + target.parent_path().string() + ": " + code.message());
        std::string error;
        if (WriteFileReplacing(target.string(), bytes.data(), bytes.size(), &error) < 0)
            return fail(error);
    }
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
