#pragma once

#include <kavro/RefCounted.h>

#include <sstream>
#include <string>
#include <vector>

namespace OrvaneTest
{

class CallLog;

// Opt-in record of releases: with a log set, every release adds "release(label)" to it.
struct ReleaseNote
{
    CallLog* log = nullptr;
    std::string label;
    void note() const;
};

// Every call a fake receives, as "name(arg, arg)" lines in order.
class CallLog
{
public:
    template <typename... Args> void add(const std::string& name, const Args&... args)
    {
        std::ostringstream line;
        line << name << '(';
        [[maybe_unused]] const char* sep = "";
        ((line << sep << args, sep = ", "), ...);
        line << ')';
        calls_.push_back(line.str());
    }
    const std::vector<std::string>& calls() const { return calls_; }
    // Calls whose name part equals name.
    std::vector<std::string> named(const std::string& name) const;
    void clear() { calls_.clear(); }

private:
    std::vector<std::string> calls_;
};

inline void ReleaseNote::note() const
{
    if (log)
        log->add("release", label);
}

// A library object's reference counting with an opt-in release record.
template <typename Interface> class LoggedRefCounted : public Kavro::RefCounted<Interface>
{
public:
    int release() override
    {
        releaseNote.note();
        return Kavro::RefCounted<Interface>::release();
    }
    ReleaseNote releaseNote;
};

} // namespace OrvaneTest
