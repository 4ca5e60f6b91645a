#pragma once

#include "IMaterialSettings.h"

namespace Kavro
{

class ISceneFrame;

// A loaded model: meshes, materials, motions, morphs and the frame tree. Made by IRenderDevice::loadModel
// (each call its own resource); scene models made from it show it in the scene. Text answers are written
// NUL-terminated into (buffer, size), cut to size, and return the length written or a negative failure.
class IModelResource : public IMaterialSettings
{
public:
    // Merges the meshes of other into this model (other stays usable and keeps its own references).
    virtual int addMesh(IModelResource* other) = 0;
    // Removes the meshes merged from file (mesh null: all of them).
    virtual int eraseMesh(const char* file, const char* mesh) = 0;
    // mesh null: every mesh.
    virtual int setMeshVisible(const char* mesh, int visible) = 0;
    // 1 when the mesh of file is visible; 0 when hidden or unknown.
    virtual int getMeshVisible(const char* file, const char* mesh) = 0;
    // The name of the model merged from file.
    virtual int getModelName(const char* file, char* buffer, int size) = 0;
    virtual int getMeshCount() = 0;
    virtual int getMeshName(int index, char* buffer, int size) = 0;
    virtual int getFileMeshCount(const char* file) = 0;
    virtual int getFileMeshName(const char* file, int index, char* buffer, int size) = 0;
    virtual int getMaterialCount(const char* mesh) = 0;
    virtual int getMaterialName(const char* mesh, int index, char* buffer, int size) = 0;
    virtual int getFileMaterialCount(const char* file, const char* mesh) = 0;
    virtual int getFileMaterialName(const char* file, const char* mesh, int index, char* buffer, int size) = 0;
    // Writes the visibility flag to out; negative when no material matches.
    virtual int getMaterialVisible(const char* scope, const char* mesh, const char* material, int* out) = 0;

    // Adds the motion file at path; the motion is named by the file name without folder and extension.
    virtual int loadMotion(const char* path) = 0;
    virtual int eraseMotion(const char* name) = 0;
    // Loads the morph file under name; kind 1 is the only kind.
    virtual int loadMorph(int kind, const char* name, const char* file) = 0;
    virtual int eraseMorph(const char* name, const char* target) = 0;
    // name null: every morph.
    virtual int clearMorph(const char* name) = 0;

    // The frame of that name (no reference added), or null.
    virtual ISceneFrame* findFrame(const char* name) = 0;
    // Nonzero when its scene models need an auxiliary resource (IRenderDevice::createModelAuxiliary).
    virtual int needsAuxiliary() = 0;
};

} // namespace Kavro
