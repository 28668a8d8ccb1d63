/* qx — system directories, names and settings. */
#ifndef QX_SYS_H
#define QX_SYS_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

/* The configuration directory of the application component, ending in a
   backslash and lower-cased; empty when the component gives none.  `dir`
   must hold 260 characters. */
QX_API void qx_Sys_getCfgDir(qx_wchar *dir);
/* The configuration directory plus `name`, lower-cased.  Returns `path`,
   which must hold 260 characters. */
QX_API qx_wchar *qx_Sys_getCfgName(qx_wchar *path, const qx_wchar *name);

QX_EXTERN_C_END

#endif /* QX_SYS_H */
