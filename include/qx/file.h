/* qx — files, directories and drives. */
#ifndef QX_FILE_H
#define QX_FILE_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_FILE_H */
