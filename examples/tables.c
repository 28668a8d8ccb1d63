/* A parts table, as an engineering application keeps one.

   Creates a table with text, number, date, logical and memo fields and an
   index with three tags, appends 10,000 parts through table field lists,
   seeks a part, walks a tag, queries into a cursor, changes and deletes
   parts, packs, and reads the whole table back.  Tables and indexes are
   named by the small ids the API hands out; records cross as table field
   lists whose values are text. */
#include <stdio.h>
#include <string.h>

#include <qx/qx.h>

#define PARTS 10000

static int failures = 0;

static void check(int ok, const char *what) {
  if (!ok) {
    printf("FAILED: %s\n", what);
    ++failures;
  }
}

/* Wide text from ASCII, for the values this program builds with printf. */
static const qx_wchar *wide(const char *text, qx_wchar *out, size_t room) {
  size_t i = 0;
  for (; text[i] && i + 1 < room; ++i) out[i] = (qx_wchar)(unsigned char)text[i];
  out[i] = 0;
  return out;
}

/* ASCII (Latin-1) from wide text, for printing. */
static const char *narrow(const qx_wchar *text, char *out, size_t room) {
  size_t i = 0;
  for (; text && text[i] && i + 1 < room; ++i) out[i] = (char)text[i];
  out[i] = 0;
  return out;
}

static void print_part(int table, const char *how) {
  char code[16], diam[16], made[16], ok[4];
  narrow(qx_Db_getFldStr(table, QX_T("CODE")), code, sizeof code);
  narrow(qx_Db_getFldStr(table, QX_T("DIAM")), diam, sizeof diam);
  narrow(qx_Db_getFldStr(table, QX_T("MADE")), made, sizeof made);
  narrow(qx_Db_getFldStr(table, QX_T("OK")), ok, sizeof ok);
  printf("%-10s %-8s DIAM %s MADE %s OK %s\n", how, code, diam, made, ok);
}

static int create_table(void) {
  qx_DbFldList *fields = qx_DbFldList_create(NULL, NULL);
  qx_DbFldList_insEnd(fields, QX_T("CODE"), NULL, 8, 0, (qx_wchar)'C');
  qx_DbFldList_insEnd(fields, QX_T("DIAM"), NULL, 10, 3, (qx_wchar)'N');
  qx_DbFldList_insEnd(fields, QX_T("MADE"), NULL, 8, 0, (qx_wchar)'D');
  qx_DbFldList_insEnd(fields, QX_T("OK"), NULL, 1, 0, (qx_wchar)'L');
  qx_DbFldList_insEnd(fields, QX_T("NOTE"), NULL, 10, 0, (qx_wchar)'M');
  int table = qx_Db_createDb(QX_T("parts.dbf"), fields);
  qx_DbFldList_destroy(fields);
  return table;
}

/* One part per record: the values go in as text through a field list.  A
   logical field takes the character code of a text through a list, so it is
   stored by its letter with the single-field call instead. */
static void append_parts(int table) {
  qx_DbFldList *rec = qx_DbFldList_create(QX_T("CODE"), NULL, QX_T("DIAM"), NULL, QX_T("MADE"),
                                          NULL, QX_T("NOTE"), NULL, NULL);
  for (int i = 0; i < PARTS; ++i) {
    char text[64];
    qx_wchar value[64];
    qx_Db_appRec(table);
    snprintf(text, sizeof text, "P%05d", (i * 7919) % PARTS);
    qx_DbFldList_modNthVal(rec, 0, wide(text, value, 64));
    snprintf(text, sizeof text, "%d.%03d", 10 + i % 90, (i * 37) % 1000);
    qx_DbFldList_modNthVal(rec, 1, wide(text, value, 64));
    snprintf(text, sizeof text, "2024%02d%02d", 1 + i % 12, 1 + i % 28);
    qx_DbFldList_modNthVal(rec, 2, wide(text, value, 64));
    snprintf(text, sizeof text, i % 1000 == 0 ? "inspected in batch %d" : "", i / 1000);
    qx_DbFldList_modNthVal(rec, 3, wide(text, value, 64));
    qx_Db_assignFldStr(table, QX_T("OK"), i % 3 ? QX_T("T") : QX_T("F"));
    if (qx_Db_modRec(table, rec) != 0) check(0, "a part was not stored");
  }
  qx_DbFldList_destroy(rec);
}

int main(void) {
  int table = create_table();
  check(table == 0, "the first table gets id 0");
  append_parts(table);
  printf("appended %ld parts\n", qx_Db_getRecordCount(table));

  /* TAG000 orders by code, TAG001 by diameter, TAG002 by date, then code. */
  int index = qx_Db_createNdx(table, QX_T("parts"), QX_T("CODE,DIAM DTOS(MADE)+CODE"), 0);
  printf("index id %d\n", index);

  printf("seek P00042: %d\n", qx_Db_seekStr(QX_T("P00042"), table, index + 0));
  print_part(table, "found");
  char note[64];
  printf("seek P0004: %d (a prefix finds the first code that starts with it)\n",
         qx_Db_seekStr(QX_T("P0004"), table, 0));
  print_part(table, "found");

  /* The three thickest parts, walking the diameter tag from its end. */
  qx_Db_botRec(table, 1);
  for (int i = 0; i < 3 && !qx_Db_bof(table); ++i, qx_Db_prevRec(table, 1))
    print_part(table, "thickest");
  /* The first parts made, by date and code. */
  qx_Db_topRec(table, 2);
  for (int i = 0; i < 2; ++i, qx_Db_nextRec(table, 2)) print_part(table, "earliest");

  /* A query into a cursor: in the selected order (by code). */
  qx_Db_topRec(table, 0);
  qx_DbCursor *thick = qx_Db_query(table, QX_T("DIAM >= 99.9 .AND. OK"), QX_T("parts"), NULL);
  printf("query: %d thick parts passed\n", qx_DbCursor_length(thick));
  for (qx_DbCursor_start(thick); !qx_DbCursor_eol(thick); qx_DbCursor_next(thick)) {
    qx_DbFldList *part = qx_DbCursor_getCurrFldList(thick);
    char code[16], diam[16];
    narrow(qx_DbFldList_getFldVal(part, QX_T("CODE")), code, sizeof code);
    narrow(qx_DbFldList_getFldVal(part, QX_T("DIAM")), diam, sizeof diam);
    printf("  %s %s\n", code, diam);
  }
  qx_DbCursor_destroy(thick);

  /* Change one part through a field list, delete every part of batch 7. */
  qx_Db_seekStr(QX_T("P00042"), table, 0);
  qx_DbFldList *change = qx_DbFldList_create(QX_T("DIAM"), QX_T("12.5"), QX_T("NOTE"),
                                             QX_T("re-measured"), NULL);
  check(qx_Db_modRec(table, change) == 0, "the change was stored");
  qx_DbFldList_destroy(change);
  int deleted = 0;
  for (int rc = qx_Db_topRec(table, -1); rc == 0 && !qx_Db_eof(table);
       rc = qx_Db_nextRec(table, -1)) {
    if (qx_Db_getFldInt(table, QX_T("DIAM")) == 77) {
      qx_Db_delRec(table);
      ++deleted;
    }
  }
  printf("deleted %d parts of diameter 77\n", deleted);
  int packed = qx_Db_packDb(table);
  printf("pack: %d, %ld parts left\n", packed, qx_Db_getRecordCount(table));
  check(qx_Db_closeDb(table) == 0, "the table closed");

  /* Everything back, from a fresh open, through the index file on disk. */
  table = qx_Db_openDb(QX_T("parts.dbf"));
  index = qx_Db_openNdx(table, QX_T("parts.cdx"));
  printf("reopened: table %d, index %d\n", table, index);
  qx_Db_topRec(table, 0);
  qx_DbCursor *all = qx_Db_readTable(table, QX_T("parts"), NULL);
  double total = 0.0;
  int notes = 0, passed = 0;
  for (qx_DbCursor_start(all); !qx_DbCursor_eol(all); qx_DbCursor_next(all)) {
    qx_DbFldList *part = qx_DbCursor_getCurrFldList(all);
    qx_DbFldList_findFld(part, QX_T("DIAM"));
    total += qx_DbFldList_getCurrDouble(part);
    qx_DbFldNode *memo = qx_DbFldList_findFld(part, QX_T("NOTE"));
    if (memo && memo->value && memo->value[0]) ++notes;
    if (qx_DbFldList_getFldVal(part, QX_T("OK"))[0] == 'T') ++passed;
  }
  printf("read back %d parts: diameters add up to %.3f, %d with notes, %d passed\n",
         qx_DbCursor_length(all), total, notes, passed);
  qx_DbFldList *first = qx_DbCursor_getNthFldList(all, 0);
  printf("first by code:\n");
  qx_DbFldList_printList(first);
  fflush(stdout);
  qx_DbCursor_destroy(all);
  qx_Db_seekStr(QX_T("P00042"), table, 0);
  narrow(qx_Db_getFldStr(table, QX_T("NOTE")), note, sizeof note);
  printf("P00042 now: DIAM %.3f NOTE %s\n", qx_Db_getFldDouble(table, QX_T("DIAM")), note);
  qx_Db_closeAll();
  return failures ? 1 : 0;
}
