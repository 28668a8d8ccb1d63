#include "app/holder.h"

#include "app/component_internal.h"

namespace qx::app {

namespace {

struct Holder {
  ComPtr<IApplicationObject> application;
  ComPtr<ITranslator> translator;
  ComPtr<IIniService> settings;
  ComPtr<IFileService> files;
};

Holder* g_holder = nullptr;

// Creates the application object the way an automation client does: through
// its basic interface, put into the running state, then asked for the main
// interface.  Failures leave the member empty.
ComPtr<IApplicationObject> create_application() {
  ComPtr<IUnknown> basic;
  if (FAILED(CoCreateInstance(CLSID_ApplicationObject, nullptr, CLSCTX_ALL, IID_IUnknown,
                              reinterpret_cast<void**>(basic.out()))) ||
      !basic)
    return {};
  if (FAILED(OleRun(basic.get()))) return {};
  ComPtr<IApplicationObject> app;
  if (FAILED(basic->QueryInterface(IID_IApplicationObject, reinterpret_cast<void**>(app.out()))))
    return {};
  return app;
}

Holder& holder() {
  if (g_holder) return *g_holder;
  register_builtin_component();
  g_holder = new Holder;
  g_holder->application = create_application();
  IApplicationObject* app = g_holder->application.get();
  if (!app) return *g_holder;
  // The services in the order translator, settings, files; the first
  // failure stops the reading.
  if (FAILED(app->get_Translator(g_holder->translator.out()))) return *g_holder;
  if (FAILED(app->get_IniService(g_holder->settings.out()))) return *g_holder;
  app->get_FileService(g_holder->files.out());
  return *g_holder;
}

}  // namespace

ComPtr<IApplicationObject> application() { return holder().application; }
ComPtr<ITranslator> translator() { return holder().translator; }
ComPtr<IIniService> settings() { return holder().settings; }
ComPtr<IFileService> files() { return holder().files; }

void destroy_holder() {
  delete g_holder;
  g_holder = nullptr;
}

}  // namespace qx::app
