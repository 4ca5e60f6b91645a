#include "support/FakeRegistry.h"

#include <kavro/Matrix4x4.h>
#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>
#include <kavro/Vector4D.h>

#include <gtest/gtest.h>

namespace OrvaneTest
{

std::string Join(std::initializer_list<std::string_view> parts)
{
    size_t size = 0;
    for (std::string_view part : parts)
        size += part.size();
    std::string out;
    out.reserve(size);
    for (std::string_view part : parts)
        out.append(part);
    return out;
}

FakeRegistry::~FakeRegistry()
{
    for (const auto& fake : fakes_)
        if (fake->count() > 0)
            report(Join({fake->label(), " not released to zero (", std::to_string(fake->count()), " left)"}));
    // Fakes let go of each other only through counts, so deleting them in any order is safe.
    fakes_.clear();
}

void FakeRegistry::adopt(FakeLife* fake)
{
    fakes_.emplace_back(fake);
}

void FakeRegistry::report(const std::string& text)
{
    reports_.push_back(text);
    ADD_FAILURE() << text;
}

FakeLife::FakeLife(CallLog& log, FakeRegistry* registry, std::string label)
    : log_(log), registry_(registry), label_(std::move(label))
{
    if (registry_)
        registry_->adopt(this);
}

void FakeLife::touch(const char* operation)
{
    if (count_ <= 0 && registry_)
        registry_->report(Join({label_, ".", operation, " called after its last release"}));
}

int FakeLife::lifeRelease()
{
    if (count_ <= 0)
    {
        if (registry_)
            registry_->report(Join({label_, " released past zero"}));
        return count_;
    }
    const int left = --count_;
    if (left == 0)
    {
        lastReleased();
        if (!registry_)
            delete this;
    }
    return left;
}

int FakeLife::lifeAddRef()
{
    touch("addRef");
    return ++count_;
}

std::string Text(const char* s)
{
    return s ? Join({"\"", s, "\""}) : "null";
}

namespace
{

template <typename... F> std::string joined(const F&... values)
{
    std::ostringstream out;
    const char* sep = "";
    ((out << sep << values, sep = " "), ...);
    return Join({"(", out.str(), ")"});
}

} // namespace

std::string Text(const Kavro::Vector2D& v)
{
    return joined(v.x, v.y);
}

std::string Text(const Kavro::Vector3D& v)
{
    return joined(v.x, v.y, v.z);
}

std::string Text(const Kavro::Vector4D& v)
{
    return joined(v.x, v.y, v.z, v.w);
}

std::string Text(const Kavro::Matrix4x4& m)
{
    if (m == Kavro::Matrix4x4())
        return "identity";
    std::ostringstream out;
    for (int r = 0; r < 4; ++r)
    {
        out << (r ? " / " : "");
        for (int c = 0; c < 4; ++c)
            out << (c ? " " : "") << m.m[r][c];
    }
    return Join({"[", out.str(), "]"});
}

std::string Text(const FakeLife* fake)
{
    return fake ? fake->label() : "null";
}

} // namespace OrvaneTest
