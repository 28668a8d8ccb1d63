// The file service of the application component, as the file family asks
// it: existence tests and revalidation.  Without the service (COM not
// initialised on the thread, or no component) the tests answer false and
// revalidation is skipped.
#ifndef QX_FS_SERVICE_INTERNAL_H
#define QX_FS_SERVICE_INTERNAL_H

#include <string_view>

namespace qx::fs {

bool service_file_exists(std::u16string_view path);
bool service_dir_exists(std::u16string_view path);
void service_revalidate(std::u16string_view path);

}  // namespace qx::fs

#endif  // QX_FS_SERVICE_INTERNAL_H
