// Process-wide state that a host releases explicitly.
#include "qx/global.h"

#include "app/holder.h"

extern "C" void qx_Global_destroyData(void) { qx::app::destroy_holder(); }
