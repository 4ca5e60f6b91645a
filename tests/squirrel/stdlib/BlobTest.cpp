#include "sqstdblobimpl.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<unsigned char> content(SQBlob &b)
{
    return {b.Data(), b.Data() + b.Len()};
}

TEST(Blob, WritingPastTheEndGrowsTheLength)
{
    SQBlob b(2);
    EXPECT_EQ(b.Len(), 2);
    EXPECT_EQ(b.Seek(1, SQ_SEEK_SET), 0);
    unsigned char data[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(b.Write(data, 5), 5);
    EXPECT_EQ(b.Len(), 6);
    EXPECT_EQ(b.Tell(), 6);
    EXPECT_TRUE(b.EOS());
    EXPECT_EQ(content(b), (std::vector<unsigned char>{0, 1, 2, 3, 4, 5}));
}

TEST(Blob, ReadsReturnAtMostTheRemainingBytes)
{
    SQBlob b(0);
    unsigned char data[] = {9, 8, 7};
    b.Write(data, 3);
    b.Seek(1, SQ_SEEK_SET);
    unsigned char out[8] = {};
    EXPECT_EQ(b.Read(out, 8), 2);
    EXPECT_EQ(out[0], 8);
    EXPECT_EQ(out[1], 7);
    EXPECT_EQ(b.Read(out, 8), 0);
}

TEST(Blob, SeekOutsideTheContentFailsAndKeepsThePosition)
{
    SQBlob b(4);
    b.Seek(2, SQ_SEEK_SET);
    EXPECT_EQ(b.Seek(5, SQ_SEEK_SET), -1);
    EXPECT_EQ(b.Seek(-3, SQ_SEEK_CUR), -1);
    EXPECT_EQ(b.Tell(), 2);
    EXPECT_EQ(b.Seek(-1, SQ_SEEK_END), 0);
    EXPECT_EQ(b.Tell(), 3);
    EXPECT_EQ(b.Seek(0, 7), -1);
}

TEST(Blob, ResizeChangesCapacityButOnlyShrinksTheLength)
{
    SQBlob b(4);
    b.Resize(6);
    EXPECT_EQ(b.Len(), 4);
    EXPECT_EQ(b.Capacity(), 6);
    b.Seek(4, SQ_SEEK_SET);
    b.Resize(2);
    EXPECT_EQ(b.Len(), 2);
    EXPECT_EQ(b.Tell(), 2);
}

TEST(Blob, SwapsOnlyCompleteUnits)
{
    struct Case {
        std::vector<unsigned char> in;
        bool four;
        std::vector<unsigned char> out;
    };
    const Case cases[] = {
        {{1, 2, 3, 4, 5}, false, {2, 1, 4, 3, 5}},
        {{1, 2, 3, 4, 5, 6, 7}, true, {4, 3, 2, 1, 5, 6, 7}},
        {{1}, false, {1}},
        {{}, true, {}},
    };
    for (const Case &c : cases) {
        SQBlob b(0);
        std::vector<unsigned char> in = c.in;
        b.Write(in.data(), static_cast<SQInteger>(in.size()));
        if (c.four)
            b.Swap4();
        else
            b.Swap2();
        EXPECT_EQ(content(b), c.out);
    }
}

TEST(Blob, EmptyBlobHasAValidBuffer)
{
    SQBlob b(0);
    EXPECT_NE(b.Data(), nullptr);
    EXPECT_EQ(b.Len(), 0);
    EXPECT_TRUE(b.EOS());
}

} // namespace
