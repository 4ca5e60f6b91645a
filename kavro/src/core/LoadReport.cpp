#include "kavro/LoadReport.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace Kavro
{

void ReportLoadFailure(const std::string& name, const std::string& reason)
{
    static std::mutex lock;
    static std::set<std::string> reported;
    std::lock_guard guard(lock);
    if (!reported.insert(name).second)
        return;
    std::fprintf(stderr, "orvane: cannot load \"%s\": %s\n", name.c_str(), reason.c_str());
    std::fflush(stderr);
}

} // namespace Kavro
