#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace OrvaneTest
{

// A connection of the test's own to an X display, to find a program's windows and read what they show.
class X11Windows
{
public:
    explicit X11Windows(const std::string& displayName);
    ~X11Windows();
    X11Windows(const X11Windows&) = delete;
    X11Windows& operator=(const X11Windows&) = delete;

    bool connected() const { return display_ != nullptr; }
    // The mapped top-level window whose UTF-8 title (_NET_WM_NAME) is exactly title, waited for up to
    // timeoutSeconds; 0 when none came.
    unsigned long findTitled(const std::string& title, int timeoutSeconds);
    // The window's pixels as 0xFFRRGGBB, row after row; false when they cannot be read.
    bool readPixels(unsigned long window, int& width, int& height, std::vector<uint32_t>& pixels);

private:
    std::string utf8Title(unsigned long window);

    void* display_ = nullptr;
};

} // namespace OrvaneTest
