/* An outside program using an installed qx: C only, as a porting team's
   first program would be.  It joins a string list (the list code is C++
   inside, so a static link needs the C++ runtime) and prints the result. */
#include <stdio.h>

#include <qx/qx.h>

int main(void) {
  if (FAILED(CoInitialize(NULL))) return 1;
  qx_StrList *parts = qx_StrList_fromDelimitedString(QX_T("flange;bolt;gasket"), QX_T(";"));
  qx_StrList_sort(parts);
  qx_wchar *joined = qx_StrList_toDelimitedString(parts, QX_T(", "));
  char text[64];
  qx_utf16_to_utf8(text, sizeof text, joined);
  printf("%d parts: %s\n", qx_StrList_count(parts), text);
  qx_Free(joined);
  qx_StrList_destroy(parts);
  CoUninitialize();
  return 0;
}
