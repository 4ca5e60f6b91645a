#include "core/CFrameCapture.h"

#include <gtest/gtest.h>

using Orvane::CFrameCapture;

TEST(CFrameCapture, FrameListsKeepWellFormedPairsOnly)
{
    const struct
    {
        const char* text;
        std::map<uint32_t, std::string> frames;
    } cases[] = {
        {"31:/tmp/a.png;62:/tmp/b.png", {{31, "/tmp/a.png"}, {62, "/tmp/b.png"}}},
        {"", {}},
        {"0:/tmp/zero.png;x:/tmp/x.png;5:;:/tmp/n.png;7/tmp/no-colon.png;8:/tmp/c:d.png", {{8, "/tmp/c:d.png"}}},
        {"99999999999:/tmp/big.png;3:/tmp/three.png", {{3, "/tmp/three.png"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CFrameCapture::parseFrames(c.text), c.frames) << c.text;
}
