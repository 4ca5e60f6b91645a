#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace OrvaneTest
{

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

} // namespace OrvaneTest
