#pragma once

namespace Kavro
{
class ICamera;
}

namespace Orvane
{

class CFrame;
class CTask;
class CTaskObject;
class IRenderTarget;

// What scripts name by a task object's name: the object, the frame to link to, its render target, its camera.

// The task's object of that name; null without a task and for a null or empty name.
CTaskObject* FindTaskObject(CTask* task, const char* name);
// The frame that objects linked to the named object hang under (its getFrame), or null.
CFrame* FindLinkFrame(CTask* task, const char* name);
// The named object's frame as a render target; null when it is none.
IRenderTarget* FindRenderTarget(CTask* task, const char* name);
// The named camera object's camera; null when the object is not a camera.
Kavro::ICamera* FindCamera(CTask* task, const char* name);

// Hangs frame under parent (null: no parent) and updates its world matrix. -1, changing nothing, when parent
// is frame itself or hangs below it: the tree would close into a loop.
int LinkFrame(CFrame& frame, CFrame* parent);
// A script's "link": hangs frame under the frame of the task's object of that name, or under the task itself
// for a null or empty name or one no object has. A link that would close a loop is refused (-1) and frame
// keeps its parent.
int LinkToNamedObject(CTask* task, CFrame& frame, const char* name);

} // namespace Orvane
