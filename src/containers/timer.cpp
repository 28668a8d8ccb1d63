// Named timers in one process-wide list, found by name (the first created
// wins).  Times are kept as a millisecond clock and reported in seconds.
// Not traced.
#include "qx/timer.h"

#include <chrono>

#include "port/wstr.h"
#include "qx/containers.h"
#include "qx/lnklist.h"
#include "qx/memory.h"

namespace {

qx_LnkList* g_timers = nullptr;

// Milliseconds of a monotonic clock since the library first read it.  The
// original clock counted elapsed milliseconds of the process, waits
// included; a steady clock keeps that meaning.  32 bits as in the node
// record: differences are taken modulo 2^32, so they stay right across a
// wrap.
int32_t clock_ms() {
  using namespace std::chrono;
  static const steady_clock::time_point origin = steady_clock::now();
  auto ms = duration_cast<milliseconds>(steady_clock::now() - origin).count();
  return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

double seconds_since(int32_t start) {
  auto ticks = static_cast<int32_t>(static_cast<uint32_t>(clock_ms()) - static_cast<uint32_t>(start));
  return ticks / 1000.0;
}

int release_timer(void* node) {
  qx_TimerNode_delete(node);
  return 1;
}

// The first timer of that name; the list's cursor stays on it.
qx_TimerNode* find(const qx_wchar* name) {
  if (!g_timers) return nullptr;
  return static_cast<qx_TimerNode*>(qx_LnkList_search(g_timers, name, qx_TimerNode_compare));
}

}  // namespace

extern "C" {

qx_TimerNode* qx_TimerNode_create(const qx_wchar* name) {
  auto* node = static_cast<qx_TimerNode*>(qx_Malloc(sizeof(qx_TimerNode)));
  if (!node) return node;
  qx::port::wcopy(node->name, QX_TIMER_NAME_LEN + 1, name);
  node->start = clock_ms();
  return node;
}

// Names are kept to their first 51 characters, so a longer name is compared
// by those: its timer is still found.
int qx_TimerNode_compare(const void* node, const void* name) {
  if (!node || !name) return -1;
  const auto* timer = static_cast<const qx_TimerNode*>(node);
  return qx::port::wncmp(timer->name, static_cast<const qx_wchar*>(name), QX_TIMER_NAME_LEN);
}

void qx_TimerNode_delete(void* node) { qx_IntListNode_destroy(node); }

int qx_Timer_create(const qx_wchar* name) {
  if (!g_timers && !(g_timers = qx_LnkList_create(nullptr))) return 0;
  qx_TimerNode* node = qx_TimerNode_create(name);
  if (!node) return 0;
  if (qx_LnkList_insEnd(g_timers, node)) return 1;
  qx_TimerNode_delete(node);
  return 0;
}

double qx_Timer_reset(const qx_wchar* name) {
  qx_TimerNode* node = find(name);
  if (!node) {
    qx_Timer_create(name);
    return 0.0;
  }
  double elapsed = seconds_since(node->start);
  node->start = clock_ms();
  return elapsed;
}

double qx_Timer_check(const qx_wchar* name) {
  qx_TimerNode* node = find(name);
  return node ? seconds_since(node->start) : 0.0;
}

double qx_Timer_delete(const qx_wchar* name) {
  qx_TimerNode* node = find(name);
  if (!node) return 0.0;
  double elapsed = seconds_since(node->start);
  qx_LnkList_delCurr(g_timers, release_timer);
  return elapsed;
}

int qx_Timer_clearAll(void) {
  qx_LnkList_destroy(g_timers, release_timer);
  g_timers = nullptr;
  return 1;
}

}  // extern "C"
