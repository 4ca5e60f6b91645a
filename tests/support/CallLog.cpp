#include "support/CallLog.h"

namespace OrvaneTest
{

std::vector<std::string> CallLog::named(const std::string& name) const
{
    std::vector<std::string> out;
    for (const auto& call : calls_)
        if (call.compare(0, name.size() + 1, name + "(") == 0)
            out.push_back(call);
    return out;
}

} // namespace OrvaneTest
