/* Standard library: environment, clock, date and file-system helpers. */
#ifndef SQSTDSYSTEM_H
#define SQSTDSYSTEM_H

#include <squirrel.h>

#ifdef __cplusplus
extern "C" {
#endif

SQUIRREL_API SQInteger sqstd_register_systemlib(HSQUIRRELVM v);

#ifdef __cplusplus
}
#endif

#endif
