#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace Kavro
{

// The one way to replace a file. Bytes go to a new temporary file in the target's folder; commit()
// flushes, fsyncs and closes it, then renames it over the target. Until commit() succeeds the old
// file is untouched; after any failure (open, write, flush, fsync, close, rename) the temporary file
// is removed, the old file stays byte-identical, and error() names the path and the system's reason.
//
//     Kavro::SafeFileWriter out;
//     if (out.open(path) < 0 || out.write(data, size) < 0 || out.commit() < 0)
//         report(out.error());
//
// Or in one call: Kavro::WriteFileReplacing(path, data, size, &error).
class SafeFileWriter
{
public:
    SafeFileWriter() = default;
    // An uncommitted file is abandoned: the temporary is removed and the target left alone.
    ~SafeFileWriter() { abandon(); }
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Starts replacing path (a symbolic link is followed). 0 on success, -1 on failure: the folder is
    // not writable, or path exists and is not a regular file. Temporary files of the same target left
    // by a process that no longer runs (a killed save) are removed first.
    int open(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    // 0 when every byte was accepted, -1 otherwise; after a failure every later call fails.
    int write(const void* data, size_t size);
    // Pushes buffered bytes to the temporary file; 0 or -1.
    int flush();
    // Moves the write position (whence as for fseek); 0 or -1. A seek flushes the buffer, so a full disk
    // shows here first: the failure is kept and commit() then refuses.
    int seek(int64_t offset, int whence);
    // The write position, -1 when not open.
    int64_t tell() const;
    // Flush, fsync, close and rename over the target. 0 on success, -1 on failure (nothing replaced).
    int commit();
    // Drops the temporary file; the target is left as it was.
    void abandon();

    // The open temporary file, for reading its state; writes and seeks go through the writer so that
    // their failures are kept. Null when not open.
    std::FILE* stream() const { return file_; }
    // "cannot write PATH: reason" for the last failure; empty after success.
    const std::string& error() const { return error_; }

private:
    int fail(const std::string& what, int code);

    std::FILE* file_ = nullptr;
    std::string target_;
    std::string temporary_;
    std::string error_;
    bool failed_ = false;
};

// Replaces path with the bytes through SafeFileWriter. 0 on success; -1 with the reason in *error.
int WriteFileReplacing(const std::string& path, const void* data, size_t size, std::string* error = nullptr);

} // namespace Kavro
