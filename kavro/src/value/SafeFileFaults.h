#pragma once

// Test seam of SafeFileWriter: makes one step fail once with a chosen errno, so tests can show that
// a failure at that step keeps the old file. Never set outside tests.
namespace Kavro::SafeFileFaults
{

enum Step
{
    None,
    Write,
    Flush,
    Sync,
    Close,
    Rename,
};

// The next time the step runs it fails with error (an errno value).
void failNext(Step step, int error);
// The errno to fail with when the step is armed (and disarms it); 0 otherwise.
int take(Step step);

} // namespace Kavro::SafeFileFaults
