#include <kavro/Bytes.h>
#include <kavro/Ref.h>
#include <kavro/Sha256.h>
#include <kavro/Utf8.h>

#include <gtest/gtest.h>

#include <string>

namespace
{

TEST(ByteReader, ReadsLittleEndianAndNeverPassesTheEnd)
{
    const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E};
    Kavro::ByteReader reader(bytes, sizeof bytes);
    uint8_t b = 0;
    uint16_t h = 0;
    uint32_t w = 0;
    uint64_t d = 0;
    ASSERT_TRUE(reader.u8(b) && reader.u16(h) && reader.u32(w));
    EXPECT_EQ(b, 0x01);
    EXPECT_EQ(h, 0x0302);
    EXPECT_EQ(w, 0x07060504u);
    // Eight bytes asked, seven left: nothing is taken.
    EXPECT_FALSE(reader.u64(d));
    EXPECT_EQ(reader.position(), 7u);
    EXPECT_EQ(reader.left(), 7u);
    ASSERT_TRUE(reader.u32(w) && reader.u16(h));
    EXPECT_EQ(w, 0x0B0A0908u);
    EXPECT_EQ(h, 0x0D0C);
    const uint8_t* rest = nullptr;
    EXPECT_FALSE(reader.u16(h));
    ASSERT_TRUE(reader.take(rest, 1));
    EXPECT_EQ(*rest, 0x0E);
    EXPECT_FALSE(reader.take(rest, 1));
    EXPECT_TRUE(reader.take(rest, 0));
    EXPECT_FALSE(reader.skip(1));

    const uint8_t eight[] = {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01};
    Kavro::ByteReader whole(eight, sizeof eight);
    ASSERT_TRUE(whole.u64(d));
    EXPECT_EQ(d, 0x0102030405060708ull);
}

TEST(Utf8, LeadByteLengths)
{
    const struct
    {
        uint8_t byte;
        int length;
    } cases[] = {{0x00, 1}, {0x41, 1}, {0x7F, 1}, {0x80, 0}, {0xBF, 0}, {0xC0, 2}, {0xDF, 2}, {0xE0, 3},
                 {0xEF, 3}, {0xF0, 4}, {0xF7, 4}, {0xF8, 5}, {0xFB, 5}, {0xFC, 6}, {0xFD, 6}, {0xFE, 0}, {0xFF, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Kavro::utf8SequenceLength(c.byte), c.length) << int(c.byte);
}

std::string hex(const Kavro::Sha256Digest& digest)
{
    static const char* const Digits = "0123456789abcdef";
    std::string out;
    for (uint8_t byte : digest)
        out += {Digits[byte >> 4], Digits[byte & 15]};
    return out;
}

TEST(Sha256, OneShotAndPiecesAgreeWithTheKnownDigest)
{
    const std::string text = "abc";
    const char* const Known = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_EQ(hex(Kavro::sha256(text.data(), text.size())), Known);
    Kavro::Sha256 pieces;
    Kavro::Sha256Digest digest{};
    ASSERT_TRUE(pieces.update("a", 1) && pieces.update("", 0) && pieces.update("bc", 2));
    ASSERT_TRUE(pieces.finish(digest));
    EXPECT_EQ(hex(digest), Known);
}

struct Counted
{
    int count = 1;
    int addRef() { return ++count; }
    int release() { return --count; }
};

TEST(Ref, AdoptsOrAddsAndReleasesOnce)
{
    Counted object;
    {
        auto adopted = Kavro::Ref<Counted>::adopt(&object);
        EXPECT_EQ(object.count, 1);
        Kavro::Ref<Counted> added(&object);
        EXPECT_EQ(object.count, 2);
        Kavro::Ref<Counted> copy = added;
        EXPECT_EQ(object.count, 3);
        Kavro::Ref<Counted> moved = std::move(copy);
        EXPECT_EQ(object.count, 3);
        EXPECT_EQ(moved, added);
        EXPECT_EQ(added.detach(), &object);
        EXPECT_FALSE(added);
    }
    // adopted and moved released theirs; the detached one is the caller's.
    EXPECT_EQ(object.count, 1);
}

} // namespace
