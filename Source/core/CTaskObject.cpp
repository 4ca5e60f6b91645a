#include "core/CTaskObject.h"

#include "core/CApp.h"
#include "core/CTask.h"

#include <kavro/ICore.h>

namespace Orvane
{

namespace
{
uint32_t systemTimeNow()
{
    const CApp* app = CApp::get();
    return app && app->getCore() ? uint32_t(app->getCore()->getSystemTime()) : 0;
}
} // namespace

CTaskObject::CTaskObject(const std::string& name) : CFrame(name), creationStamp(systemTimeNow())
{
    const CApp* app = CApp::get();
    task = app ? app->getTopTask() : nullptr;
    if (task)
        task->addTaskObject(this);
}

CTaskObject::~CTaskObject()
{
    if (task)
        task->removeTaskObject(this);
}

bool CTaskObject::isCamera()
{
    return false;
}

Kavro::ICamera* CTaskObject::getCamera()
{
    return nullptr;
}

CFrame* CTaskObject::getFrame()
{
    return this;
}

void CTaskObject::onTaskRelease() {}

int CTaskObject::update()
{
    return 0;
}

void CTaskObject::setTask(CTask* newTask)
{
    task = newTask;
}

} // namespace Orvane
