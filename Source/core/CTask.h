#pragma once

#include "core/CFrame.h"
#include "core/CTaskInputState.h"

#include <kavro/CCriticalSection.h>
#include <kavro/Vector2D.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace Kavro
{
class ICamera;
class IGamepad;
class IKeyboard;
class IMouse;
class ITexture;
class ITouch;
} // namespace Kavro

namespace Orvane
{

class CParticle;
class CRenderingTaskObject;
class CSound;
class CSound3D;
class CSprite;
class CSpriteMask;
class CSpriteRenderTarget;
class CTaskObject;
class CText;
class IRenderTarget;
class ITaskCallback;
namespace Particle
{
struct CParticleParameter;
}

// A screen-level unit of the game on the application's task stack, and the root frame of its
// objects. Every task object constructed while the task is on top joins it; the task keeps its
// drawables sorted for drawing, its render targets, the textures loaded for it, its input state,
// and a close handler. Only the top task is updated, drawn and given the real input devices.
// The lists hold no references: an object leaves them from its destructor.
class CTask : public CFrame
{
public:
    static constexpr int32_t noPriority = 2147483647;

    struct RenderingRecord
    {
        uint32_t creationStamp;
        int32_t priority;
        CRenderingTaskObject* object;
        uint64_t joinOrder = 0; // last key: equal priorities and stamps keep the order they joined in
    };
    struct RenderListEntry
    {
        int32_t priority;
        CRenderingTaskObject* object;
    };
    using RenderList = std::vector<RenderListEntry>;

    explicit CTask(const std::string& name);
    ~CTask() override;

    // Releases every listed object once per list that still holds it, then empties the lists.
    virtual int clear();
    virtual int addRenderTarget(IRenderTarget* target);
    // Sorted by priority (signed), then creation stamp; a newcomer goes after equal keys.
    virtual int addRenderingObject(CRenderingTaskObject* object, int32_t priority);
    virtual int addTaskObject(CTaskObject* object);
    virtual int removeRenderTarget(IRenderTarget* target);
    virtual int removeRenderingObject(CRenderingTaskObject* object);
    virtual int removeTaskObject(CTaskObject* object);
    virtual int setRenderingPriority(CRenderingTaskObject* object, int32_t priority);
    // noPriority when the object is not listed.
    virtual int32_t getRenderingPriority(CRenderingTaskObject* object);
    // The earliest joined object of exactly that name.
    virtual CTaskObject* findTaskObject(const std::string& name);
    const std::deque<CTaskObject*>& getTaskObjects() const { return taskObjects; }
    const std::deque<RenderingRecord>& getRenderingObjects() const { return renderingObjects; }
    const std::vector<IRenderTarget*>& getRenderTargets() const { return renderTargets; }
    const std::vector<RenderList>& getRenderLists() const { return renderLists; }

    // The application's real devices when force is nonzero or this task is on top, else its
    // do-nothing devices; null without an application.
    virtual Kavro::IMouse* getMouse(int force);
    virtual Kavro::ITouch* getTouch(int force);
    virtual Kavro::IKeyboard* getKeyboard(int force);
    virtual Kavro::IGamepad* getGamepad(int force);
    virtual int isKeyDown(int key, int mode, uint32_t interval);
    virtual int isKeyUp(int key);
    virtual int isButtonDown(int pad, int mask, int mode, uint32_t interval);
    virtual int isButtonUp(int pad, int mask);
    const CTaskInputState& getInputState() const { return input; }

    // The application's scene manager: no render target; end of the pass that follows a capture.
    virtual int clearSceneTarget();
    virtual int finishSceneTarget();
    // Formats and discards; the formatter's result.
    virtual int printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // WM_CLOSE runs the close handler, or posts quit without one; the rest goes to the default procedure.
    virtual intptr_t windowProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Once per frame, before update.
    virtual int updateInput();
    // Distributes the drawables into one render list per render target.
    virtual int prepareFrame();
    // Runs update of every task object; safe when an update creates or destroys objects.
    virtual void updateObjects();
    virtual IRenderTarget* getBackSurface();
    virtual int releaseObjects();
    virtual int clearRenderLists();
    // Keeps the handler with a reference; the previous one is released.
    virtual void setCloseHandler(ITaskCallback* handler);
    virtual int initialize();
    virtual int terminate();
    virtual int update() = 0;
    virtual int render() = 0;

    // Draws target with the entries of source's list (target's own without source) whose
    // priority is below limit; -1 when that list's target is not registered or target is
    // already being drawn this way.
    int drawRenderTarget(IRenderTarget* target, IRenderTarget* source, int32_t limit);

    // Textures of the task. loadTexture: 0 when the application shares the name or the load
    // succeeds, -1 when the task has it already or the load fails.
    int loadTexture(const std::string& name);
    int unloadTexture(const std::string& name);
    // The task's texture, else the application's shared one; no reference added.
    Kavro::ITexture* findTexture(const std::string& name);

    // Factories: each builds an object of another subsystem (it joins the top task), runs its
    // creating step and returns it with one reference, or null. A factory whose object kind is
    // not built in yet answers null as a failed creation does.
    CSprite* createSprite(const std::string& textureName, const Kavro::Vector2D& position, int x, int y, int width,
                          int height);
    CSprite* createSpriteSubresource(const std::string& textureName, const Kavro::Vector2D& position,
                                     int subresource);
    CSprite* createSpriteFromTexture(Kavro::ITexture* texture, const Kavro::Vector2D& position, int x, int y,
                                     int width, int height);
    CSprite* createMovieSprite(const std::string& movieName, int mode, const Kavro::Vector2D& position);
    CSpriteMask* createSpriteMask(const std::string& textureName, const Kavro::Vector2D& position, int x, int y,
                                  int width, int height);
    CSpriteMask* createSpriteMaskColor(int width, int height, const Kavro::Vector2D& position);
    CSpriteMask* createMovieSpriteMask(const std::string& movieName, int mode);
    CSpriteRenderTarget* createRenderTarget(uint32_t flags, const std::string& name, int width, int height,
                                            const Kavro::Vector2D& position);
    // Kind 1 English, 2 vertical, anything else the plain text.
    CText* createText(int kind);
    CSound* createSound(const std::string& fileName);
    CSound3D* createSound3D(const std::string& fileName);
    CSound* loadSound(const std::string& fileName);
    CSound3D* loadSound3D(const std::string& fileName);
    CParticle* createParticle(const std::string& name, const Particle::CParticleParameter& definition);

    // Nonzero when the task asks to leave the stack.
    int32_t finished = 0;
    Kavro::CCriticalSection lock;

protected:
    // Builds the task's default render target; the sprite classes supply it.
    virtual IRenderTarget* createBackSurface();
    // The position of a registered render target, -1 when absent; the render list at that
    // position, null when there is none (yet).
    int findRenderTarget(IRenderTarget* target) const;
    const RenderList* renderListOf(IRenderTarget* target) const;
    bool isTopTask() const;
    // Marks a target as being drawn; false when it already is (a draw must not re-enter its own target).
    bool enterTarget(IRenderTarget* target);
    void leaveTarget(IRenderTarget* target);
    // One pass into target over the entries of list below limit (noPriority: all); delayedTargets are
    // drawn where their own object stands.
    void drawPass(IRenderTarget* target, const RenderList* list, int32_t limit,
                  const std::vector<IRenderTarget*>* delayedTargets);

    ITaskCallback* closeHandler = nullptr;

private:
    struct ObjectPass;
    void releaseListedObjects(bool detachSurvivors);
    std::deque<CTaskObject*>::iterator findTaskObjectEntry(const CTaskObject* object);
    std::deque<RenderingRecord>::iterator findRenderingEntry(const CRenderingTaskObject* object);
    template <typename Step> void forEachTaskObject(Step step);
    void sortByCameraDepth(RenderList& list, Kavro::ICamera* camera);
    Kavro::ITexture* acquireTexture(const std::string& name);
    static int requestSoundHandle();

    // Listed objects are found through their keys by binary search, so that releasing tens of thousands of
    // objects does not search the lists once per object.
    std::deque<CTaskObject*> taskObjects;
    std::deque<uint64_t> taskObjectOrders; // beside taskObjects, ascending
    std::unordered_map<const CTaskObject*, uint64_t> taskObjectOrder;
    std::deque<RenderingRecord> renderingObjects;
    std::unordered_map<const CRenderingTaskObject*, RenderingRecord> renderingRecordOf;
    uint64_t nextJoinOrder = 0;
    std::vector<IRenderTarget*> renderTargets;
    std::vector<RenderList> renderLists;
    std::map<std::string, Kavro::ITexture*> textures;
    CTaskInputState input;
    IRenderTarget* backSurface = nullptr;
    ObjectPass* activePass = nullptr;
    std::vector<IRenderTarget*> targetsBeingDrawn;
};

} // namespace Orvane
