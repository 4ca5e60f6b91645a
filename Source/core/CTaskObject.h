#pragma once

#include "core/CFrame.h"

#include <cstdint>

namespace Kavro
{
class ICamera;
}

namespace Orvane
{

class CTask;

// A frame that belongs to a task: it joins the task on top of the application's task stack when it
// is constructed, is updated by that task once per frame, and leaves it when destroyed.
class CTaskObject : public CFrame
{
public:
    explicit CTaskObject(const std::string& name = {});
    ~CTaskObject() override;

    virtual bool isCamera();
    virtual Kavro::ICamera* getCamera();
    // The frame other objects link to: the object itself; bindings answer their engine object.
    virtual CFrame* getFrame();
    virtual void onTaskRelease();
    // The per-frame step.
    virtual int update();
    // Stores the owning task; the task's lists are not touched.
    virtual void setTask(CTask* newTask);

    CTask* getTask() const { return task; }
    uint32_t getCreationStamp() const { return creationStamp; }

private:
    uint32_t creationStamp = 0;
    CTask* task = nullptr;
};

} // namespace Orvane
