/* Compiles the whole public interface as C11 and makes a few calls through
   the shared library, as a C program would. */
#include <stdio.h>
#include <string.h>

#include "qx/qx.h"

static int failures = 0;

#define CHECK(cond)                                             \
  do {                                                          \
    if (!(cond)) {                                              \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                               \
    }                                                           \
  } while (0)

static int same_text(const qx_wchar *a, const qx_wchar *b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

int main(void) {
  int init = 7;
  qx_Array *a = qx_Array_create(3, sizeof init, &init);
  CHECK(a != NULL);
  CHECK(qx_Array_size(a) == 3);
  CHECK(*(int *)qx_Array_getNth(a, 2) == 7);
  CHECK(qx_Array_destroy(a, NULL) == 1);

  CHECK(qx_Msg_setFormat(1) == 2);
  CHECK(qx_Diag_getLevel() == 0);

  void *p = qx_Malloc(16);
  CHECK(p != NULL);
  qx_Free(p);

  /* The porting header: COM start-up under its Windows names, counted per
     thread, and UTF-16 literals that are the library's own wide type. */
  CHECK(CoInitialize(NULL) == S_OK);
  CHECK(CoInitializeEx(NULL, COINIT_MULTITHREADED) == S_FALSE);
  CoUninitialize();
  CoUninitialize();
  CoUninitialize(); /* one too many: ignored */
  CHECK(SUCCEEDED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED)));
  CoUninitialize();

  const qx_wchar *name = QX_T("Stra\u00dfe \u2192 \U0001F527.dbf");
  char utf8[64];
  CHECK(qx_utf16_to_utf8(utf8, sizeof utf8, name) == strlen("Stra\u00dfe \u2192 \U0001F527.dbf"));
  CHECK(strcmp(utf8, "Stra\u00dfe \u2192 \U0001F527.dbf") == 0);
  qx_wchar *back = qx_utf8_to_utf16_dup(utf8);
  CHECK(back != NULL && same_text(back, name));
  qx_Free(back);

  /* Joining pieces answers 0 when the target could not be written, and
     with no pieces leaves a writable target as it is. */
  CHECK(qx_File_mend(QX_T("/no-such-folder-of-qx/joined.bin")) == 0);
  CHECK(qx_File_mend(QX_T("joined.bin")) == 1);
  CHECK(fopen("joined.bin", "rb") == NULL); /* not created either */

  /* Variables, directories, processes and message lists. */
  CHECK(qx_Env_setSes(QX_T("QV"), QX_T("N:\\Net")) == 1);
  CHECK(same_text(qx_Env_expandStr(QX_T("%qv%|100%%")), QX_T("N:\\Net|100%")));
  qx_wchar dir[QX_MAX_PATH];
  CHECK(same_text(qx_Sys_getBinName(dir, QX_T("A.DLL")), QX_T("n:\\net\\bin\\a.dll")));
  qx_Env_resetSes();
  CHECK(qx_Alias_put(QX_T("ROOT"), QX_T("r:")) == 1);
  qx_wchar expanded[32];
  qx_Alias_expandStr(expanded, QX_T("%root%\\%other%"));
  CHECK(same_text(expanded, QX_T("r:\\%other%")));
  CHECK(qx_Sys_createProcess(QX_T("true"), NULL, 1, NULL, 0) == 1);
  qx_MsgList *texts = qx_Msg_mlt(QX_T("a"), QX_T("Alpha"), QX_T("K_A"), 1, NULL);
  CHECK(same_text(qx_Msg_find(texts, QX_T("a")), QX_T("Alpha")));
  qx_MsgList_destroy(texts);

  /* The table API: a table made from a table field list, a record appended
     through one, an index, a seek and a query into a cursor. */
  qx_DbFldList *fields = qx_DbFldList_create(NULL, NULL);
  CHECK(qx_DbFldList_insEnd(fields, QX_T("CODE"), NULL, 6, 0, (qx_wchar)'C') == 1);
  CHECK(qx_DbFldList_insEnd(fields, QX_T("DIAM"), NULL, 8, 2, (qx_wchar)'N') == 1);
  remove("c_api_parts.dbf"); /* a create never overwrites a table */
  remove("c_api_parts.fpt");
  int table = qx_Db_createDb(QX_T("c_api_parts.dbf"), fields);
  CHECK(table >= 0);
  qx_DbFldList_destroy(fields);
  qx_DbFldList *rec = qx_DbFldList_create(QX_T("code"), QX_T("P-7"), QX_T("diam"), QX_T("2.5"), NULL);
  CHECK(qx_Db_appRec(table) == 0);
  CHECK(qx_Db_modRec(table, rec) == 0);
  qx_DbFldList_destroy(rec);
  CHECK(qx_Db_createNdx(table, QX_T("c_api_parts"), QX_T("CODE DIAM"), 0) == 100);
  CHECK(qx_Db_seekStr(QX_T("P-7"), table, 0) == 0);
  CHECK(qx_Db_getFldDouble(table, QX_T("DIAM")) == 2.5);
  qx_DbCursor *found = qx_Db_query(table, QX_T("DIAM > 2"), QX_T("parts"), NULL);
  CHECK(qx_DbCursor_length(found) == 1);
  qx_DbFldList *first = qx_DbCursor_getNthFldList(found, 0);
  CHECK(same_text(qx_DbFldList_getFldVal(first, QX_T("CODE")), QX_T("P-7")));
  qx_DbFldNode *diam = qx_DbFldList_findFld(first, QX_T("DIAM"));
  CHECK(diam != NULL && diam->width == 8 && diam->decimals == 2 && diam->type == 'N');
  qx_DbCursor_destroy(found);
  CHECK(qx_Db_closeAll() == 0);
  CHECK(qx_Db_getRecordCount(table) == 0); /* the id names no table now */
  remove("c_api_parts.dbf");
  remove("c_api_parts.cdx");
  CHECK(qx_Cnv_rtod(qx_Cnv_dtor(90.0)) == 90.0);

  /* A record through the field-list collection and back. */
  qx_DbFldList *out_rec = qx_DbFldList_create(QX_T("CODE"), QX_T("P-9"), NULL);
  qx_QVFldList *collection = NULL;
  qx_ConvertDBFldListToQVFldList(out_rec, &collection);
  CHECK(collection != NULL);
  qx_DbFldList *in_rec = NULL;
  qx_ConvertQVFldListToDBFldList(collection, &in_rec);
  CHECK(in_rec != NULL && same_text(qx_DbFldList_getFldVal(in_rec, QX_T("CODE")), QX_T("P-9")));
  qx_DbFldList_destroy(in_rec);
  qx_DbFldList_destroy(out_rec);
  CHECK(qx_VarsList_InsertAtEnd(NULL, QX_T("A"), QX_T("1")) == 0);
  CHECK(qx_VarsList_Reset(NULL) == 1);
  CoUninitialize();

  if (failures) return 1;
  printf("1 passed, 0 failed\n");
  return 0;
}
