// Travel lists: linked lists of travel nodes (a point, a label and an
// integer) that the list owns once they are inserted; and the small
// process-wide registry that numbers 32-bit values, exported beside them.
#include <array>

#include "port/wstr.h"
#include "qx/geolist.h"
#include "qx/lnklist.h"
#include "qx/memory.h"

namespace {

int release_node(void* node) {
  qx_PointTravelNode_destroy(static_cast<qx_PointTravelNode*>(node));
  return 1;
}

// Fifty slots used round-robin: the 51st value takes the oldest slot.
// Numbers count every registration from 0 and are never reused.
struct Registry {
  struct Slot {
    int32_t number = 0;
    int32_t value = 0;
  };
  std::array<Slot, 50> slots{};
  size_t next = 0;
  int32_t counter = 0;
};

Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

extern "C" {

qx_PointTravelList* qx_PointTravelList_create(void) { return qx_LnkList_create(nullptr); }

qx_PointTravelNode* qx_PointTravelNode_create(const qx_Point* point, const qx_wchar* label,
                                              const void* /*unused*/, int32_t value) {
  if (!point) return nullptr;
  auto* node = static_cast<qx_PointTravelNode*>(qx_Malloc(sizeof(qx_PointTravelNode)));
  if (!node) return nullptr;
  qx_Point_copy(&node->point, point);
  qx::port::wcopy(node->label, QX_TRAVEL_LABEL_LEN + 1, label);
  node->value = value;
  return node;
}

void qx_PointTravelNode_destroy(qx_PointTravelNode* node) {
  if (node) qx_Free(node);
}

int qx_PointTravelList_insEnd(qx_PointTravelList* list, qx_PointTravelNode* node) {
  return qx_LnkList_insEnd(list, node);
}

qx_PointTravelNode* qx_PointTravelList_getCurr(const qx_PointTravelList* list) {
  return static_cast<qx_PointTravelNode*>(qx_LnkList_getCurr(list));
}

int qx_PointTravelList_destroy(qx_PointTravelList* list) {
  return qx_LnkList_destroy(list, release_node);
}

int qx_PointTravelList_start(qx_PointTravelList* list) { return qx_LnkList_start(list); }
int qx_PointTravelList_end(qx_PointTravelList* list) { return qx_LnkList_end(list); }
int qx_PointTravelList_next(qx_PointTravelList* list) { return qx_LnkList_next(list); }
int qx_PointTravelList_prev(qx_PointTravelList* list) { return qx_LnkList_prev(list); }
int qx_PointTravelList_eol(const qx_PointTravelList* list) { return qx_LnkList_eol(list); }

int32_t qx_PointTravelList_add(int32_t value) {
  Registry& r = registry();
  r.slots[r.next] = {r.counter, value};
  r.next = (r.next + 1) % r.slots.size();
  // A 32-bit counter that wraps round instead of overflowing.
  int32_t number = r.counter;
  r.counter = static_cast<int32_t>(static_cast<uint32_t>(r.counter) + 1u);
  return number;
}

int32_t qx_PointTravelList_get(int32_t number) {
  for (const auto& slot : registry().slots)
    if (slot.number == number) return slot.value;
  return 0;
}

}  // extern "C"
