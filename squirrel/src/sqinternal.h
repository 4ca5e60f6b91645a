// Every object kind of the runtime with its fields as plain members: the view the engine's
// script-state serialiser walks (tables, arrays, closures, prototypes, classes, instances,
// weak references, generators, threads).
#pragma once

#include "sqarray.h"
#include "sqclass.h"
#include "sqclosure.h"
#include "sqgenerator.h"
#include "sqobject.h"
#include "sqstate.h"
#include "sqstring.h"
#include "sqtable.h"
#include "squserdata.h"
#include "sqvm.h"
#if __has_include("sqfuncproto.h")
#include "sqfuncproto.h"
#endif
