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

// A quad of triangles wound as the model files wind them: (b - a) x (c - a) points along normal, which
// on screen is clockwise for a face toward the camera.
void AddFace(Kavro::FixtureMesh& mesh, const Kavro::Vector3D& corner, const Kavro::Vector3D& du,
             const Kavro::Vector3D& dv, const Kavro::Vector3D& normal);

// A cube of half edge h around the origin in one material "paint" of colour.
Kavro::ModelFixture BoxFixture(const Kavro::ColorF& colour, float h = 1.0f);

// A sphere of radius r around the origin (rings x segments quads, smooth normals) in material "paint" of colour.
Kavro::ModelFixture SphereFixture(const Kavro::ColorF& colour, float r = 1.0f, int rings = 32, int segments = 48);

// A square in the plane z facing -z, from (x0, y0) to (x1, y1).
Kavro::FixtureMesh Square(const std::string& name, float x0, float y0, float x1, float y1, float z = 0.0f);

} // namespace OrvaneTest
