// Frame pacing of the library core: runs frames through the message pump at a set rate and
// reports how evenly and how exactly they came, and how much processor time the waiting took.
//
//   bench_frame_pacing [frames per second] [frames] [runs]     (defaults 60 100 5)

#include <kavro/ICore.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Run
{
    double total, mean, deviation, shortest, longest, cpu;
};

Run runFrames(Kavro::ICore* core, int frames)
{
    using Clock = std::chrono::steady_clock;
    // Start on a frame boundary, so that the first interval is a whole one.
    while (core->pumpMessages() != 0)
    {
    }
    std::vector<double> intervals;
    const double cpuStart = cpuSeconds();
    auto previous = Clock::now();
    const auto start = previous;
    while (int(intervals.size()) < frames)
    {
        const int pumped = core->pumpMessages();
        if (pumped < 0) break;
        if (pumped > 0) continue;
        const auto now = Clock::now();
        intervals.push_back(std::chrono::duration<double, std::milli>(now - previous).count());
        previous = now;
    }
    Run run{};
    run.total = std::chrono::duration<double>(previous - start).count();
    run.cpu = cpuSeconds() - cpuStart;
    double sum = 0, squares = 0;
    for (double ms : intervals)
        sum += ms;
    run.mean = sum / double(intervals.size());
    for (double ms : intervals)
        squares += (ms - run.mean) * (ms - run.mean);
    run.deviation = std::sqrt(squares / double(intervals.size()));
    run.shortest = *std::min_element(intervals.begin(), intervals.end());
    run.longest = *std::max_element(intervals.begin(), intervals.end());
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    const int rate = argc > 1 ? std::atoi(argv[1]) : 60;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 100;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    if (rate <= 0 || frames <= 0 || runs <= 0)
    {
        std::fprintf(stderr, "usage: bench_frame_pacing [frames per second] [frames] [runs]\n");
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);

    Kavro::ICore* core = Kavro::CreateKavro();
    core->setScreenSize(1280, 720);
    core->setDisplayMode(1280, 720, 0, 1);
    if (core->initialize() < 0)
    {
        std::fprintf(stderr, "the core did not start\n");
        return 1;
    }
    core->setFrameRate(rate);
    const double expected = double(frames) / rate;
    std::printf("%d frames at %d fps: expected %.4f s, %.3f ms a frame\n", frames, rate, expected,
                1000.0 / rate);
    std::printf("run   total s   error %%   mean ms   sd ms   min ms   max ms   cpu %%   measured fps\n");
    for (int i = 1; i <= runs; ++i)
    {
        const Run run = runFrames(core, frames);
        std::printf("%3d  %8.4f  %+7.3f  %8.3f  %6.3f  %7.3f  %7.3f  %6.1f  %6.2f\n", i, run.total,
                    100.0 * (run.total - expected) / expected, run.mean, run.deviation, run.shortest,
                    run.longest, 100.0 * run.cpu / run.total, double(core->getDetectFps()));
    }
    core->finalize();
    Kavro::ReleaseKavro();
    return 0;
}
