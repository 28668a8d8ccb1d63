/* qx — point, vector and travel-point lists. */
#ifndef QX_GEOLIST_H
#define QX_GEOLIST_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_GEOLIST_H */
