#include <kavro/CRandom.h>

#include <gtest/gtest.h>

#include <vector>

using Kavro::CRandom;

TEST(CRandom, Mt19937ReferenceOutput)
{
    CRandom random(5489u);
    EXPECT_EQ(random.Next(), 3499211612u);
    EXPECT_EQ(random.Next(), 581869302u);
    EXPECT_EQ(random.GetMersenneTwisterCount(), 2u);
    // The 10000th output of the standard generator.
    CRandom again(5489u);
    for (int i = 0; i < 9999; ++i)
        again.Next();
    EXPECT_EQ(again.Next(), 4123659995u);
}

TEST(CRandom, SavedStateContinuesWithIdenticalDraws)
{
    CRandom original(1234u);
    for (int i = 0; i < 700; ++i) // past one full twist
        original.Next();
    std::vector<uint8_t> state(CRandom::GetMersenneTwisterSize());
    ASSERT_EQ(original.GetMersenneTwister(state.data()), 1);

    CRandom restored(99u);
    ASSERT_EQ(restored.SetMersenneTwister(state.data()), 1);
    restored.SetMersenneTwisterCount(original.GetMersenneTwisterCount());
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(restored.Next(), original.Next()) << "draw " << i;
    EXPECT_EQ(restored.GetMersenneTwisterCount(), original.GetMersenneTwisterCount());
}

TEST(CRandom, RefusesStateWithPositionOutOfRange)
{
    CRandom random;
    std::vector<uint8_t> state(CRandom::GetMersenneTwisterSize(), 0xff);
    const uint32_t before = CRandom(random).Next();
    EXPECT_EQ(random.SetMersenneTwister(state.data()), 0);
    EXPECT_EQ(random.Next(), before);
}

TEST(CRandom, RangesIncludeBothBounds)
{
    CRandom random(7u);
    EXPECT_EQ(random.GetInt(3, 3), 3);
    bool sawMin = false, sawMax = false;
    for (int i = 0; i < 2000; ++i)
    {
        const int v = random.GetInt(-2, 2);
        ASSERT_GE(v, -2);
        ASSERT_LE(v, 2);
        sawMin |= v == -2;
        sawMax |= v == 2;
        const float f = random.GetFloat(1.5f, 2.5f);
        ASSERT_GE(f, 1.5f);
        ASSERT_LE(f, 2.5f);
    }
    EXPECT_TRUE(sawMin && sawMax);
    // The full integer range must not overflow.
    random.GetInt(INT32_MIN, INT32_MAX);
}
