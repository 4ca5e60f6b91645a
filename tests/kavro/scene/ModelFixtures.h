#pragma once

#include <kavro/ModelFixtureWriter.h>

namespace OrvaneTest
{

// A small character: frames root > upper > lower, and root > head; a skinned ribbon "arm" in the z = 0
// plane from y = 1 to y = 5 (below y = 3 on "upper", above on "lower", whose joint sits at y = 3) with the
// textured material "skin" and morph targets "smile" (+x 0.1) and "frown" (+y 0.2); an unskinned triangle
// "hat" on "head" with the material "cloth"; a glTF animation "wave" turning "lower" 90 degrees about z.
Kavro::ModelFixture ArmFixture();

// A second file to merge: a "cape" skinned to "upper" and a "bag" on a frame this model lacks.
Kavro::ModelFixture CapeFixture();

} // namespace OrvaneTest
