// Allocation hooks and fixed arrays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/memory_internal.h"
#include "qx/array.h"
#include "qx/memory.h"
#include "test_support.h"

using qxtest::u8;

namespace {

int g_allocations = 0;
void* counting_malloc(size_t n) {
  ++g_allocations;
  return std::malloc(n);
}
// Hooks that fail while g_fail is set, so one process can test both ways.
bool g_fail = false;
void* failing_malloc(size_t n) { return g_fail ? nullptr : std::malloc(n); }
void* failing_realloc(void* p, size_t n) { return g_fail ? nullptr : std::realloc(p, n); }
void* failing_calloc(size_t c, size_t n) { return g_fail ? nullptr : std::calloc(c, n); }

TEST(Memory, RuntimeFunctionsChangeNothing) {
  qx_MemoryManager_set(counting_malloc, std::realloc, std::calloc, std::free);
  g_allocations = 0;
  qx_Free(qx_Malloc(8));
  EXPECT_EQ(g_allocations, 1);
  // Passing the runtime's own malloc does not put it back.
  qx_MemoryManager_set(std::malloc, std::realloc, std::calloc, std::free);
  qx_Free(qx_Malloc(8));
  EXPECT_EQ(g_allocations, 2);
}

TEST(Memory, FailingHooksComposeTheMessageAndReturnNull) {
  qx_MemoryManager_set(failing_malloc, failing_realloc, failing_calloc, std::free);
  g_fail = true;
  EXPECT_EQ(qx_Malloc(24), nullptr);
  EXPECT_EQ(u8(qx::last_allocation_failure()), "Unable to allocate 24 bytes of memory");
  EXPECT_EQ(qx_Calloc(3, 40), nullptr);
  EXPECT_EQ(u8(qx::last_allocation_failure()), "Unable to callocate 40 bytes of memory")
      << "the element size, not the total";
  void* block = std::malloc(4);
  EXPECT_EQ(qx_Realloc(block, 99), nullptr);
  EXPECT_EQ(u8(qx::last_allocation_failure()), "Unable to re-allocate 99 bytes of memory");
  std::free(block);  // still valid after the failure
  // A null block goes to the allocate hook.
  EXPECT_EQ(qx_Realloc(nullptr, 10), nullptr);
  EXPECT_EQ(u8(qx::last_allocation_failure()), "Unable to allocate 10 bytes of memory");
  g_fail = false;
  void* p = qx_Malloc(24);
  EXPECT_NE(p, nullptr);
  qx_Free(p);
}

// Every hook counts its calls, so a test sees which ones an operation uses.
int g_hook_calls = 0;
void* counted_malloc(size_t n) {
  ++g_hook_calls;
  return std::malloc(n);
}
void* counted_realloc(void* p, size_t n) {
  ++g_hook_calls;
  return std::realloc(p, n);
}
void* counted_calloc(size_t c, size_t n) {
  ++g_hook_calls;
  return std::calloc(c, n);
}
void counted_free(void* p) {
  ++g_hook_calls;
  std::free(p);
}

TEST(Memory, FreeOfNullAndTheEmptyOperationsCallNoHook) {
  qx_MemoryManager_set(counted_malloc, counted_realloc, counted_calloc, counted_free);
  g_hook_calls = 0;
  qx_Free(nullptr);
  qx_Memory_clear();
  qx_Memory_statistics();
  EXPECT_EQ(g_hook_calls, 0);
  qx_Free(qx_Malloc(10));
  EXPECT_EQ(g_hook_calls, 2) << "one allocation and one release";
}

TEST(Array, CreateCopiesTheInitialValueIntoEveryElement) {
  EXPECT_EQ(qx_Array_create(0, 8, nullptr), nullptr);
  double init = 2.5;
  qx_Array* a = qx_Array_create(3, sizeof init, &init);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(qx_Array_size(a), 3u);
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(*static_cast<double*>(qx_Array_getNth(a, i)), 2.5);
  qx_Array_destroy(a, nullptr);
}

TEST(Array, IndexBoundaries) {
  int v = 0;
  qx_Array* a = qx_Array_create(3, sizeof v, &v);
  EXPECT_EQ(qx_Array_getNth(a, 3), nullptr);
  EXPECT_EQ(qx_Array_getAddress(a, 3), nullptr);
  EXPECT_EQ(qx_Array_getNth(a, 2), static_cast<char*>(a->data) + 2 * sizeof v);
  EXPECT_EQ(qx_Array_getAddress(a, 2), qx_Array_getNth(a, 2));
  EXPECT_EQ(qx_Array_getNth(nullptr, 0), nullptr);
  EXPECT_EQ(qx_Array_size(nullptr), 0u);
  qx_Array_destroy(a, nullptr);
}

TEST(Array, SearchCannotTellIndexZeroFromNoMatch) {
  int values[] = {7, 8, 9};
  int zero = 0;
  qx_Array* a = qx_Array_create(3, sizeof(int), &zero);
  for (uint32_t i = 0; i < 3; ++i) qx_Array_setNth(a, i, &values[i], nullptr);
  auto equal = [](const void* e, const void* k) {
    return *static_cast<const int*>(e) == *static_cast<const int*>(k) ? 0 : 1;
  };
  int key = 9;
  EXPECT_EQ(qx_Array_search(a, &key, equal), 2u);
  key = 7;
  EXPECT_EQ(qx_Array_search(a, &key, equal), 0u);
  key = 42;
  EXPECT_EQ(qx_Array_search(a, &key, equal), 0u);
  qx_Array_destroy(a, nullptr);
}

std::vector<int> g_released;
int record_release(void* element) {
  g_released.push_back(*static_cast<int*>(element));
  return 0;
}

TEST(Array, DestroyReleasesEveryElementInIndexOrder) {
  g_released.clear();
  EXPECT_EQ(qx_Array_destroy(nullptr, record_release), 0);
  EXPECT_TRUE(g_released.empty());
  int zero = 0;
  qx_Array* a = qx_Array_create(3, sizeof(int), &zero);
  for (int i = 0; i < 3; ++i) {
    int v = i + 10;
    qx_Array_setNth(a, i, &v, nullptr);
  }
  g_released.clear();
  EXPECT_EQ(qx_Array_destroy(a, record_release), 1);
  EXPECT_EQ(g_released, (std::vector<int>{10, 11, 12}));
}

TEST(Array, SetNthReleasesTheOldValueFirst) {
  int five = 5, six = 6;
  qx_Array* a = qx_Array_create(2, sizeof(int), &five);
  g_released.clear();
  EXPECT_EQ(qx_Array_setNth(a, 1, &six, record_release), 0);
  EXPECT_EQ(g_released, std::vector<int>{5});
  EXPECT_EQ(*static_cast<int*>(qx_Array_getNth(a, 1)), 6);
  qx_Array_destroy(a, nullptr);
}

TEST(Array, Swap) {
  int zero = 0;
  qx_Array* a = qx_Array_create(3, sizeof(int), &zero);
  for (int i = 0; i < 3; ++i) qx_Array_setNth(a, i, &i, nullptr);
  EXPECT_EQ(qx_Array_swap(a, 1, 1), 1);
  EXPECT_EQ(*static_cast<int*>(qx_Array_getNth(a, 1)), 1);
  EXPECT_EQ(qx_Array_swap(a, 0, 2), 1);
  EXPECT_EQ(*static_cast<int*>(qx_Array_getNth(a, 0)), 2);
  EXPECT_EQ(*static_cast<int*>(qx_Array_getNth(a, 2)), 0);
  EXPECT_EQ(qx_Array_swap(a, 0, 3), 0);
  EXPECT_EQ(qx_Array_swap(nullptr, 0, 0), 0);
  qx_Array_destroy(a, nullptr);
}

}  // namespace
