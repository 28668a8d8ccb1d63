/* A text settings file read through string lists.

   The program writes a small "name = value" file into the folder named on
   its command line (the current folder by default), reads it back with
   qx_File_readFile (one string per non-empty line), splits each line at its
   '=' and trims both sides, and prints the settings sorted by name. */
#include <stdio.h>
#include <stdlib.h>

#include <qx/qx.h>

static void print_wide(const char *label, const qx_wchar *text) {
  char utf8[512];
  qx_utf16_to_utf8(utf8, sizeof utf8, text);
  printf("%s%s\n", label, utf8);
}

int main(int argc, char **argv) {
  /* The library reaches its file service through COM: start it first. */
  if (FAILED(CoInitialize(NULL))) return 1;

  char path[QX_MAX_PATH];
  snprintf(path, sizeof path, "%s/plant.cfg", argc > 1 ? argv[1] : ".");
  FILE *out = fopen(path, "w");
  if (!out) return 1;
  fputs("; plant settings\n"
        "units = mm\n"
        "\n"
        "project=Pump station 7\n"
        "scale =\t2.5\n", out);
  fclose(out);

  qx_wchar *wide_path = qx_utf8_to_utf16_dup(path); /* free with qx_Free */
  qx_StrList *lines = qx_File_readFile(wide_path);   /* free with qx_StrList_destroy */
  qx_File_deleteSingle(wide_path);
  qx_Free(wide_path);
  if (!lines) return 1;

  qx_StrList *settings = qx_StrList_create(NULL, NULL);
  for (qx_StrList_start(lines); !qx_StrList_eol(lines); qx_StrList_next(lines)) {
    /* getCurr answers in a buffer of the library: use it before the next call. */
    qx_wchar *line = qx_StrList_getCurr(lines);
    if (line[0] == u';') continue;
    qx_StrList *parts = qx_StrList_fromDelimitedString(line, QX_T("="));
    if (qx_StrList_count(parts) == 2) {
      qx_wchar *name = qx_StrList_getCurrPtr(parts); /* cursor on the first: a copy */
      qx_wchar *value = qx_Str_dup(qx_StrList_getNth(parts, 1));
      qx_Str_delBlks(name);
      qx_Str_delBlks(value);
      qx_wchar entry[300];
      qx_Str_cpy(entry, name);
      qx_Str_cat(entry, QX_T(" -> "));
      qx_Str_cat(entry, value);
      qx_StrList_insSorted(settings, entry); /* the list keeps its own copy */
      qx_Free(name);
      qx_Free(value);
    }
    qx_StrList_destroy(parts);
  }

  printf("%d settings\n", qx_StrList_count(settings));
  for (qx_StrList_start(settings); !qx_StrList_eol(settings); qx_StrList_next(settings))
    print_wide("  ", qx_StrList_getCurr(settings));

  qx_wchar *joined = qx_StrList_toDelimitedString(settings, QX_T("; "));
  print_wide("joined: ", joined);
  qx_Free(joined);

  qx_StrList_destroy(settings);
  qx_StrList_destroy(lines);
  CoUninitialize();
  return 0;
}
