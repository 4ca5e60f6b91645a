#pragma once

#include "IInterface.h"
#include "MaterialParams.h"

namespace Kavro
{

// Material and mesh settings that a model resource and its scene models both take. Meshes and materials
// are named; a null mesh or material name means all of them. A scope names the mesh file (a model merged
// in with IModelResource::addMesh) whose meshes are meant. Negative: nothing matched or failure.
class IMaterialSettings : public IInterface
{
public:
    virtual int setMaterialVisible(const char* mesh, const char* material, int visible) = 0;
    virtual int setMaterialVisibleIn(const char* scope, const char* mesh, const char* material, int visible) = 0;
    virtual int setMaterialZWrite(const char* mesh, const char* material, int enable) = 0;
    virtual int setMaterialDiffuseMap(const char* mesh, const char* material, const DiffuseMapParam* param) = 0;
    virtual int setMaterialSpecularMap(const char* mesh, const char* material, const SpecularMapParam* param) = 0;
    virtual int setMaterialNormalMap(const char* mesh, const char* material, const NormalMapParam* param) = 0;
    virtual int setMaterialReflectionMap(const char* mesh, const char* material,
                                         const ReflectionMapParam* param) = 0;
    virtual int setMaterialDiffuseColor(const char* mesh, const char* material, const DiffuseColorParam* param) = 0;
    virtual int setMaterialDiffuseColorIn(const char* scope, const char* mesh, const char* material,
                                          const DiffuseColorParam* param) = 0;
    virtual int setMaterialAmbientColor(const char* mesh, const char* material, const AmbientColorParam* param) = 0;
    virtual int setMaterialEmissiveColor(const char* mesh, const char* material,
                                         const EmissiveColorParam* param) = 0;
    virtual int setMaterialSpecularColor(const char* mesh, const char* material,
                                         const SpecularColorParam* param) = 0;
    virtual int setMaterialHemisphereLight(const char* mesh, const char* material,
                                           const HemisphereLightParam* param) = 0;
    virtual int setMaterialRimLight(const char* mesh, const char* material, const RimLightParam* param) = 0;
    virtual int setMaterialShadow(const char* mesh, const char* material, const ShadowParam* param) = 0;
    virtual int setMaterialToon(const char* mesh, const char* material, const ToonParam* param) = 0;
    // Alpha test reference 0..255; 0 turns the test off.
    virtual int setMaterialAlphaTest(const char* mesh, const char* material, int boundary) = 0;
    virtual int setMaterialBlendMode(const char* mesh, const char* material, int mode) = 0;
    // 0 none, 1 back faces, 2 front faces.
    virtual int setMaterialCullMode(const char* mesh, const char* material, int mode) = 0;
    virtual int setMeshMaterialFlag(const char* mesh, int flag) = 0;
    // Shows or hides meshes of the mesh file file (mesh null: all of its meshes).
    virtual int setFileMeshVisible(const char* file, const char* mesh, int visible) = 0;
    // Draws the meshes of file named mesh after every other mesh of the model.
    virtual int setMeshDrawToEnd(const char* file, const char* mesh) = 0;
};

} // namespace Kavro
