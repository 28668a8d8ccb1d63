#include "dbf/engine.h"

#include "dbf/table_internal.h"

namespace qx::dbf {

Engine::Engine() { engInit(this); }

Engine::~Engine() { engShutdown(this); }

void engInit(Engine* e) {
  if (!e) return;
  e->lastError = 0;
  e->quietErrors = 0;
  e->reportCreateFailure = 1;
  e->reportOpenFailure = 1;
  e->reportFieldNameFailure = 1;
  e->reportExpressionFailure = 1;
  e->reportReadFailure = 1;
  e->reportSkipFailure = 1;
  e->reportRelationFailure = 1;
  e->reportTagNameFailure = 1;
  e->autoOpenProductionIndex = 1;
  e->refuseOverwrite = 1;
  e->exclusiveAccess = 0;
  e->readOnlyAccess = 0;
  e->lockRetries = -1;
  e->uniqueDefault = kUniqueContinue;
  e->dateFormat = "MM/DD/YY";
  e->memStartBlock = 1024;
  e->memSortPool = 61440;
  e->memSortBuffer = 4096;
  e->memBuffer = 16384;
  e->memMemo = 512;
  e->memExpression = 1024;
  e->initialised = true;
}

int engCloseAll(Engine* e) {
  if (!e) return -1;
  int first = 0;
  while (!e->tables.empty()) {
    int rc = dbfClose(e->tables.front().get());
    if (rc < 0 && first == 0) first = rc;
  }
  return first;
}

void engShutdown(Engine* e) {
  if (!e) return;
  engCloseAll(e);
  e->field_buffer.clear();
  e->field_buffer.shrink_to_fit();
  e->initialised = false;
}

}  // namespace qx::dbf
