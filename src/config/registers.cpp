// Small process-wide registers kept for host programs: the one drawing whose
// save events are ignored, the object-tracking function, and the base
// section name of the application object.
#include <cstdint>

#include "app/holder.h"
#include "port/wstr.h"
#include "qx/global.h"

namespace {

constexpr size_t kDrawingRoom = 512;
qx_wchar g_drawing[kDrawingRoom];
int g_drawing_flag = 0;

qx_TrackFn g_track = nullptr;

qx_wchar g_base_section[QX_MAX_PATH];

}  // namespace

extern "C" {

qx_wchar* qx_Drawing_IgnoreSaveEvents(const qx_wchar* name, int flag) {
  qx::port::wcopy(g_drawing, kDrawingRoom, name);
  g_drawing_flag = static_cast<unsigned char>(flag);  // a flag byte
  return g_drawing;
}

int qx_Drawing_IsSaveIgnored(const qx_wchar* name) {
  return name && qx::port::wicmp(name, g_drawing) == 0 ? g_drawing_flag : 0;
}

qx_TrackFn qx_RM_setFuncTrackObject(qx_TrackFn fn) {
  g_track = fn;
  return fn;
}

int qx_RM_callFuncTrackObject(int32_t a, int32_t b, int32_t c) {
  return g_track ? g_track(a, b, c) : 0;
}

qx_wchar* qx_Orvane_getBaseSectionName(void) {
  if (g_base_section[0]) return g_base_section;
  qx::ComPtr<qx::app::IApplicationObject> app = qx::app::application();
  qx::port::Bstr name;
  if (app && SUCCEEDED(app->get_BaseSectionName(name.out())))
    qx::port::wcopy(g_base_section, QX_MAX_PATH, name.str());
  return g_base_section;
}

}  // extern "C"
