// The file service of the built-in application component.
#ifndef QX_APP_FILE_SERVICE_INTERNAL_H
#define QX_APP_FILE_SERVICE_INTERNAL_H

#include "app/interfaces.h"

namespace qx::app {

// A new file service object (one reference, owned by the caller).
IFileService* create_file_service();

}  // namespace qx::app

#endif  // QX_APP_FILE_SERVICE_INTERNAL_H
