#pragma once

#include "support/CallLog.h"

#include <kavro/ISceneNode.h>
#include <kavro/Matrix4x4.h>
#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>
#include <kavro/Vector4D.h>

#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace OrvaneTest
{

class FakeLife;

// The parts one after the other (built by appending: GCC 12 warns falsely about chained string +).
std::string Join(std::initializer_list<std::string_view> parts);

// Keeps a test's counted library fakes alive until the test ends, so that a fake released to zero can
// still tell that it was called again (a dangling library pointer the sanitizer cannot see). When it goes,
// it reports every fake not released to zero; the fakes themselves report a release past zero and any call
// after their last release. Reports fail the running test.
class FakeRegistry
{
public:
    FakeRegistry() = default;
    FakeRegistry(const FakeRegistry&) = delete;
    FakeRegistry& operator=(const FakeRegistry&) = delete;
    ~FakeRegistry();

    // Takes ownership of a fake made with this registry.
    void adopt(FakeLife* fake);
    // Fails the test with text and keeps it in reports().
    void report(const std::string& text);
    const std::vector<std::string>& reports() const { return reports_; }
    // The fakes adopted so far, oldest first.
    const std::vector<std::unique_ptr<FakeLife>>& fakes() const { return fakes_; }

private:
    std::vector<std::unique_ptr<FakeLife>> fakes_;
    std::vector<std::string> reports_;
};

// The counting and logging part of a fake: a label, a count starting at 1, and the log its calls go to as
// "label.operation(args)". Without a registry a fake deletes itself at zero like a library object.
class FakeLife
{
public:
    FakeLife(CallLog& log, FakeRegistry* registry, std::string label);
    virtual ~FakeLife() = default;

    const std::string& label() const { return label_; }
    int count() const { return count_; }
    CallLog& log() { return log_; }
    // Reports a call after the last release, without logging.
    void touch(const char* operation);

protected:
    // Logs "label.operation(args)" and reports a call after the last release.
    template <typename... Args> void call(const char* operation, const Args&... args)
    {
        touch(operation);
        log_.add(Join({label_, ".", operation}), args...);
    }
    int lifeRelease();
    int lifeAddRef();
    // Runs when the count reaches zero (a fake lets go of what it holds here).
    virtual void lastReleased() {}

    CallLog& log_;

private:
    FakeRegistry* registry_;
    std::string label_;
    int count_ = 1;
};

// What a drawable fake hands to the scene (every fake's node is one); the scene reports a node whose owner
// was released.
class FakeSceneNode : public Kavro::ISceneNode
{
public:
    explicit FakeSceneNode(FakeLife* owner) : owner(owner) {}
    FakeLife* owner;
};

// A counted fake of a library interface.
template <typename Interface> class CountedFake : public Interface, public FakeLife
{
public:
    using FakeLife::FakeLife;
    int release() override { return lifeRelease(); }
    int addRef() override { return lifeAddRef(); }
    int getRefCount() override { return count(); }
};

// Text forms of the values fakes log.
std::string Text(const char* s);
std::string Text(const Kavro::Vector2D& v);
std::string Text(const Kavro::Vector3D& v);
std::string Text(const Kavro::Vector4D& v);
std::string Text(const Kavro::Matrix4x4& m);
std::string Text(const FakeLife* fake);

} // namespace OrvaneTest
