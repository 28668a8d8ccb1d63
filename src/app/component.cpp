// The built-in application component: the application object and its
// services, registered as an in-process class.  The configuration directory
// comes from the environment variable QX_CONFIG_DIR (empty when unset) and
// the base section name from QX_BASE_SECTION (empty when unset).
#include "app/component_internal.h"

#include <cstdlib>

#include "app/collections.h"
#include "app/file_service_internal.h"
#include "app/ini_service.h"
#include "app/interfaces.h"
#include "app/translator_internal.h"
#include "port/com_object.h"
#include "port/wstr.h"

namespace qx::app {

const CLSID CLSID_ApplicationObject = {0x5A3C1E01, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x01}};
const IID IID_IApplicationObject = {0x5A3C1E02, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x02}};
const IID IID_ITranslator = {0x5A3C1E03, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x03}};
const IID IID_IIniService = {0x5A3C1E04, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x04}};
const IID IID_IIniGroup = {0x5A3C1E05, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x05}};
const IID IID_IIniGroupList = {0x5A3C1E06, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x06}};
const IID IID_IIniEntry = {0x5A3C1E07, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x07}};
const IID IID_IFileService = {0x5A3C1E08, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x08}};

namespace {

std::u16string env_text(const char* name) {
  const char* v = std::getenv(name);
  return v ? port::from_utf8(v) : std::u16string();
}

class ApplicationObject final : public port::ComObject<IApplicationObject> {
 public:
  ApplicationObject()
      : ComObject(IID_IApplicationObject),
        config_dir_(env_text("QX_CONFIG_DIR")),
        base_section_(env_text("QX_BASE_SECTION")),
        translator_(ComPtr<ITranslator>::attach(create_translator(config_dir_))),
        settings_(ComPtr<IIniService>::attach(create_ini_service())),
        files_(ComPtr<IFileService>::attach(create_file_service())) {}

  HRESULT get_ConfigDirectory(BSTR* dir) override { return port::hand_out_text(config_dir_, dir); }
  HRESULT put_ApplicationGroup(BSTR* group) override {
    if (!group) return E_POINTER;
    group_ = *group ? std::u16string(*group, SysStringLen(*group)) : std::u16string();
    return S_OK;
  }
  HRESULT get_ApplicationGroup(BSTR* group) override { return port::hand_out_text(group_, group); }
  HRESULT get_BaseSectionName(BSTR* name) override {
    return port::hand_out_text(base_section_, name);
  }
  HRESULT get_Translator(ITranslator** t) override { return port::hand_out(translator_.get(), t); }
  HRESULT get_Version(BSTR* version) override { return port::hand_out_text(u"1.0", version); }
  HRESULT get_Name(BSTR* name) override { return port::hand_out_text(u"qx", name); }
  HRESULT get_IniService(IIniService** s) override { return port::hand_out(settings_.get(), s); }
  HRESULT get_FileService(IFileService** s) override { return port::hand_out(files_.get(), s); }

 private:
  std::u16string config_dir_;
  std::u16string base_section_;
  std::u16string group_;
  ComPtr<ITranslator> translator_;
  ComPtr<IIniService> settings_;
  ComPtr<IFileService> files_;
};

HRESULT create_application_object(REFIID iid, void** out) {
  auto* app = new ApplicationObject;
  HRESULT hr = app->QueryInterface(iid, out);
  app->Release();
  return hr;
}

}  // namespace

void register_builtin_component() {
  if (!CoGetRegisteredClass(CLSID_ApplicationObject))
    CoRegisterClass(CLSID_ApplicationObject, create_application_object);
  register_collections();
}

}  // namespace qx::app
