#include "X11Windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace OrvaneTest
{

namespace
{

Display* asDisplay(void* display)
{
    return static_cast<Display*>(display);
}

} // namespace

X11Windows::X11Windows(const std::string& displayName) : display_(XOpenDisplay(displayName.c_str())) {}

X11Windows::~X11Windows()
{
    if (display_)
        XCloseDisplay(asDisplay(display_));
}

std::string X11Windows::utf8Title(unsigned long window)
{
    Display* display = asDisplay(display_);
    const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data && type == utf8 && format == 8)
        title.assign(reinterpret_cast<const char*>(data), count);
    if (data)
        XFree(data);
    return title;
}

unsigned long X11Windows::findTitled(const std::string& title, int timeoutSeconds)
{
    if (!display_)
        return 0;
    Display* display = asDisplay(display_);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (std::chrono::steady_clock::now() < end)
    {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        Window found = 0;
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        {
            for (unsigned int i = 0; i < count && !found; ++i)
            {
                XWindowAttributes attributes;
                if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
                    utf8Title(children[i]) == title)
                    found = children[i];
            }
            if (children)
                XFree(children);
        }
        if (found)
            return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

bool X11Windows::readPixels(unsigned long window, int& width, int& height, std::vector<uint32_t>& pixels)
{
    if (!display_)
        return false;
    Display* display = asDisplay(display_);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return false;
    width = attributes.width;
    height = attributes.height;
    XImage* image = XGetImage(display, window, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    pixels.clear();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(0xFF000000u | uint32_t(XGetPixel(image, x, y) & 0xFFFFFFu));
    XDestroyImage(image);
    return true;
}

} // namespace OrvaneTest
