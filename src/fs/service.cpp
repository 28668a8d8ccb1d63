#include "fs/service_internal.h"

#include "app/holder.h"

namespace qx::fs {

namespace {

port::Bstr bstr(std::u16string_view path) { return port::Bstr(std::u16string(path)); }

}  // namespace

bool service_file_exists(std::u16string_view path) {
  ComPtr<app::IFileService> files = app::files();
  if (!files) return false;
  VARIANT_BOOL exists = VARIANT_FALSE;
  if (FAILED(files->FileExists(bstr(path).get(), &exists))) return false;
  return exists != VARIANT_FALSE;
}

bool service_dir_exists(std::u16string_view path) {
  ComPtr<app::IFileService> files = app::files();
  if (!files) return false;
  VARIANT_BOOL exists = VARIANT_FALSE;
  if (FAILED(files->DirExists(bstr(path).get(), &exists))) return false;
  return exists != VARIANT_FALSE;
}

void service_revalidate(std::u16string_view path) {
  ComPtr<app::IFileService> files = app::files();
  if (files) files->Revalidate(bstr(path).get());
}

}  // namespace qx::fs
