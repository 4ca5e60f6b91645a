#include "core/CObject.h"

#include <gtest/gtest.h>

using Orvane::CObject;

namespace
{

// Counts destructions so the tests can see when release deletes.
class Tracked : public CObject
{
public:
    explicit Tracked(int& deaths) : deaths(deaths) {}
    ~Tracked() override { ++deaths; }
    int& deaths;
};

} // namespace

TEST(CObject, ReleaseDeletesAtZeroOnly)
{
    int deaths = 0;
    auto* object = new Tracked(deaths);
    EXPECT_EQ(object->getRefCount(), 1);
    EXPECT_EQ(object->addRef(), 2);
    EXPECT_EQ(object->release(), 1);
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(object->release(), 0);
    EXPECT_EQ(deaths, 1);
}

TEST(CObject, NameStartsEmptyAndSelfAssignmentKeepsIt)
{
    CObject plain;
    EXPECT_EQ(plain.getName(), "");
    CObject named("sprite");
    named.setName(named.getName());
    EXPECT_EQ(named.getName(), "sprite");
    named.setName("text");
    EXPECT_EQ(named.getName(), "text");
}
