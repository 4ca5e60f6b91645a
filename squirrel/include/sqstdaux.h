/* Standard library: the error-report printers. */
#ifndef SQSTDAUX_H
#define SQSTDAUX_H

#include <squirrel.h>

#ifdef __cplusplus
extern "C" {
#endif

SQUIRREL_API void sqstd_seterrorhandlers(HSQUIRRELVM v);
SQUIRREL_API void sqstd_printcallstack(HSQUIRRELVM v);

#ifdef __cplusplus
}
#endif

#endif
