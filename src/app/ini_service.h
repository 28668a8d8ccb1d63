// The settings service of the built-in application component: INI files
// read once into a cache and written through on every change.
#ifndef QX_APP_INI_SERVICE_H
#define QX_APP_INI_SERVICE_H

#include "app/interfaces.h"

namespace qx::app {

// A new settings service object (one reference, owned by the caller).
IIniService* create_ini_service();

}  // namespace qx::app

#endif  // QX_APP_INI_SERVICE_H
