/* qx — configuration values, session variables and aliases. */
#ifndef QX_ENV_H
#define QX_ENV_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

/* A value of the library's configuration file qx.ini, or null.  The result
   is a static buffer that the next INI lookup overwrites. */
QX_API qx_wchar *qx_Env_getIni(const qx_wchar *group, const qx_wchar *name);

QX_EXTERN_C_END

#endif /* QX_ENV_H */
