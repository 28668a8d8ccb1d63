// The file service of the built-in application component: existence tests
// answered by the file system itself.  It keeps no cache, so revalidation
// has nothing to refresh.
#include "app/file_service_internal.h"

#include "port/com_object.h"
#include "port/native_file.h"
#include "port/path.h"

namespace qx::app {

namespace {

std::string native_of(BSTR path) {
  if (!path) return {};
  return port::native_path(std::u16string_view(path, SysStringLen(path)));
}

class FileServiceObject final : public port::ComObject<IFileService> {
 public:
  FileServiceObject() : ComObject(IID_IFileService) {}

  HRESULT FileExists(BSTR path, VARIANT_BOOL* exists) override {
    if (!exists) return E_POINTER;
    *exists = port::is_file(native_of(path)) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT DirExists(BSTR path, VARIANT_BOOL* exists) override {
    if (!exists) return E_POINTER;
    *exists = port::is_directory(native_of(path)) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT Revalidate(BSTR) override { return S_OK; }
};

}  // namespace

IFileService* create_file_service() { return new FileServiceObject; }

}  // namespace qx::app
