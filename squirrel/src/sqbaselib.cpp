// Base library and default delegates (placeholder until the base library lands).
#include "sqstate.h"

void sq_registerbaselib_delegates(HSQUIRRELVM) {}
void sq_registerbaselib(HSQUIRRELVM) {}
