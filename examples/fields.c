/* Field lists: a record of named, typed values.

   A valve is described by a field list made in one call (each type letter
   followed by the value C's variadic promotion delivers: text for 'C', int
   for 'I', double for 'N', three doubles for 'P'), then read back by name,
   changed, extended with repeated values (which gather in a nested list),
   and walked field by field. */
#include <stdio.h>
#include <stdlib.h>

#include <qx/qx.h>

static void print_utf8(const char *format, const qx_wchar *text) {
  char buffer[256]; /* enough for these short texts */
  qx_utf16_to_utf8(buffer, sizeof buffer, text);
  printf(format, buffer);
}

int main(void) {
  qx_FldList *valve = qx_FldList_create(
      QX_T("tag"), (int)QX_FLD_CHAR, QX_T("V-101"),
      QX_T("size"), (int)QX_FLD_INT, 150,
      QX_T("pressure"), (int)QX_FLD_REAL, 16.0,
      QX_T("position"), (int)QX_FLD_POINT, 12.5, 4.0, 0.75,
      NULL);
  if (!valve) return 1;

  qx_wchar tag[32];
  int32_t size = 0;
  double pressure = 0;
  qx_Point at;
  qx_FldList_getChar(valve, QX_T("TAG"), tag, 31); /* names match in any case */
  qx_FldList_getInt(valve, QX_T("size"), &size);
  qx_FldList_getReal(valve, QX_T("pressure"), &pressure);
  qx_FldList_getPoint(valve, QX_T("position"), &at, 0);
  print_utf8("%s: ", tag);
  printf("DN%d, PN%.0f at (%.2f, %.2f, %.2f)\n", size, pressure, at.x, at.y, at.z);

  /* Results tell what went wrong: -2 no such field, -3 another type. */
  printf("getInt(material) = %d\n", qx_FldList_getInt(valve, QX_T("material"), &size));
  printf("getInt(tag) = %d\n", qx_FldList_getInt(valve, QX_T("tag"), &size));

  qx_FldList_modReal(valve, QX_T("pressure"), 25.0);
  qx_FldList_addCharVal(valve, QX_T("connects"), QX_T("P-7"));
  qx_FldList_addCharVal(valve, QX_T("connects"), QX_T("P-8"));

  printf("%d fields:\n", qx_FldList_count(valve));
  for (qx_FldList_start(valve); !qx_FldList_eol(valve); qx_FldList_next(valve)) {
    const qx_FldNode *field = qx_FldList_curr(valve);
    qx_wchar *value = qx_FldNode_getFldValue(field); /* free() it, not qx_Free */
    print_utf8("  %-9s ", field->name);
    printf("%c ", (char)field->type);
    print_utf8("%s", value);
    free(value);
    if (field->type == QX_FLD_LIST) { /* the repeated name's values */
      qx_FldList *nested = field->value.list;
      for (qx_FldList_start(nested); !qx_FldList_eol(nested); qx_FldList_next(nested)) {
        qx_wchar text[32];
        qx_FldList_currChar(nested, text, 31);
        print_utf8(" %s", text);
      }
    }
    printf("\n");
  }
  qx_FldList_destroy(valve); /* frees names, texts and the nested list */
  return 0;
}
