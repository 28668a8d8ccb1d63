// The allocation entry points.  Every block the library hands out or takes
// back passes through these four hooks, which a host may replace once at
// start-up.  A failed allocation never ends the process: the entry point
// composes a translated failure message and returns null.
#include "qx/memory.h"

#include <cstdlib>
#include <string>

#include "qx/msg.h"
#include "core/memory_internal.h"
#include "port/wstr.h"

namespace {

// Wrappers with stable addresses stand for "the runtime's own function", so
// the comparison in qx_MemoryManager_set does not depend on how the runtime's
// symbols are resolved across modules.
void* runtime_malloc(size_t n) { return std::malloc(n); }
void* runtime_realloc(void* p, size_t n) { return std::realloc(p, n); }
void* runtime_calloc(size_t c, size_t n) { return std::calloc(c, n); }
void runtime_free(void* p) { std::free(p); }

qx_AllocFn g_alloc = runtime_malloc;
qx_ReallocFn g_realloc = runtime_realloc;
qx_CallocFn g_calloc = runtime_calloc;
qx_FreeFn g_free = runtime_free;

// The last failure message; kept until the next failure.
qx_wchar g_failure[QX_MAX_PATH];

void compose_failure(const char* what_default, const char* what_key, size_t amount) {
  using namespace qx::port;
  wstring tail = wstring_of(qx_Msg("bytes of memory", "TOOL_217", 1));
  wstring head = wstring_of(qx_Msg(what_default, what_key, 1));
  wsnprintf(g_failure, sizeof g_failure / sizeof g_failure[0], u"%s %d %s", head.c_str(),
            static_cast<int>(amount), tail.c_str());
}

template <typename F>
bool is_runtime(F given, F runtime_wrapper, F runtime_itself) {
  return given == runtime_wrapper || given == runtime_itself;
}

}  // namespace

namespace qx {
// The message composed by the last failed allocation (empty before any).
const qx_wchar* last_allocation_failure() { return g_failure; }
}  // namespace qx

extern "C" {

void qx_MemoryManager_set(qx_AllocFn alloc, qx_ReallocFn realloc_fn, qx_CallocFn calloc_fn,
                          qx_FreeFn free_fn) {
  if (!is_runtime<qx_AllocFn>(alloc, runtime_malloc, std::malloc)) g_alloc = alloc;
  if (!is_runtime<qx_ReallocFn>(realloc_fn, runtime_realloc, std::realloc)) g_realloc = realloc_fn;
  if (!is_runtime<qx_CallocFn>(calloc_fn, runtime_calloc, std::calloc)) g_calloc = calloc_fn;
  if (!is_runtime<qx_FreeFn>(free_fn, runtime_free, std::free)) g_free = free_fn;
  // A null hook would crash the next allocation: keep the hook in place.
  if (!g_alloc) g_alloc = runtime_malloc;
  if (!g_realloc) g_realloc = runtime_realloc;
  if (!g_calloc) g_calloc = runtime_calloc;
  if (!g_free) g_free = runtime_free;
}

void* qx_Malloc(size_t size) {
  void* p = g_alloc(size);
  if (!p) compose_failure("Unable to allocate", "TOOL_216", size);
  return p;
}

void* qx_Realloc(void* block, size_t size) {
  if (!block) return qx_Malloc(size);
  void* p = g_realloc(block, size);
  if (!p) compose_failure("Unable to re-allocate", "TOOL_218", size);
  return p;
}

void* qx_Calloc(size_t count, size_t size) {
  void* p = g_calloc(count, size);
  if (!p) compose_failure("Unable to callocate", "TOOL_219", size);
  return p;
}

void qx_Free(void* block) {
  if (block) g_free(block);
}

void qx_Memory_clear(void) {}
void qx_Memory_statistics(void) {}

}  // extern "C"
