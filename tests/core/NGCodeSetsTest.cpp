#include "core/NGCodeSets.h"

#include <gtest/gtest.h>

using Orvane::NGCodeSet;

TEST(NGCodeSets, DefaultsThenAddsWithoutRepeats)
{
    Orvane::resetNGCodes();
    const size_t head = Orvane::getNGCodes(NGCodeSet::HeadOfLine).size();
    EXPECT_GE(head, 17u);
    EXPECT_TRUE(Orvane::isNGCode(NGCodeSet::HeadOfLine, u'」'));
    EXPECT_TRUE(Orvane::isNGCode(NGCodeSet::EndOfLine, u'「'));
    EXPECT_FALSE(Orvane::isNGCode(NGCodeSet::EndOfLine, u'」'));

    Orvane::addNGCodes(NGCodeSet::HeadOfLine, u"、、ぁぁ");
    EXPECT_EQ(Orvane::getNGCodes(NGCodeSet::HeadOfLine).size(), head + 1);
    EXPECT_TRUE(Orvane::isNGCode(NGCodeSet::HeadOfLine, u'ぁ'));

    // A reset appends the defaults again and keeps what scripts added.
    Orvane::resetNGCodes();
    EXPECT_EQ(Orvane::getNGCodes(NGCodeSet::HeadOfLine).size(), 2 * head + 1);
    EXPECT_TRUE(Orvane::isNGCode(NGCodeSet::HeadOfLine, u'ぁ'));
}
