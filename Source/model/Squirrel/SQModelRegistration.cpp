// The script class "SQModel" and its method table.
#include "model/Squirrel/SQModel.h"
#include "model/Squirrel/SQModelMethods.h"

namespace Orvane::Squirrel
{

void SQModel::registerClass()
{
    using M = SQModel;
    SquirrelObject c = SqPlus::RegisterClassType<M>("SQModel");
    SqPlus::RegisterConstructor<M, const char*>(c);

    RegisterModelMethods<M>(c);
    // Not offered by the character.
    SqPlus::RegisterInstance(c, &M::link, "link");
    SqPlus::RegisterInstance(c, &M::setMaterialTable, "setMaterialTable");
    SqPlus::RegisterInstance(c, &M::setMorph, "setMorph");
    SqPlus::RegisterInstance(c, &M::setMorphWeight, "setMorphWeight");
}

} // namespace Orvane::Squirrel
