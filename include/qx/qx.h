/* qx — the whole C interface of the library. */
#ifndef QX_QX_H
#define QX_QX_H

#include "qx/types.h"
#include "qx/porting.h"

#include "qx/diag.h"
#include "qx/memory.h"
#include "qx/array.h"
#include "qx/msg.h"

#include "qx/lnklist.h"
#include "qx/str.h"
#include "qx/strlist.h"
#include "qx/containers.h"
#include "qx/tree.h"
#include "qx/timer.h"

#include "qx/fldlist.h"

#include "qx/dbf.h"
#include "qx/dbfldlist.h"
#include "qx/db.h"
#include "qx/convert.h"

#include "qx/ini.h"
#include "qx/env.h"
#include "qx/sys.h"
#include "qx/global.h"
#include "qx/msglist.h"

#include "qx/fname.h"
#include "qx/file.h"

#include "qx/point.h"
#include "qx/matrix.h"
#include "qx/rotation.h"
#include "qx/quaternion.h"
#include "qx/geolist.h"

#endif /* QX_QX_H */
