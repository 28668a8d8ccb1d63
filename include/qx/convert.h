/* qx — automation value conversion: table field lists to and from the
   application's field-list collection, and a variable list to a field list.

   The collections are automation objects (a field-list collection of field
   objects; a list of named variables).  C sees them as the opaque pointers
   below.  The library's own in-process classes stand behind them unless the
   host registered its own.  A call that fails on one of the objects stops
   where it failed; what was made until then is kept as described. */
#ifndef QX_CONVERT_H
#define QX_CONVERT_H

#include "qx/types.h"
#include "qx/dbfldlist.h"
#include "qx/fldlist.h"

QX_EXTERN_C_BEGIN

/* A field-list collection and a variable list (automation interfaces). */
typedef struct qx_QVFldList qx_QVFldList;
typedef struct qx_VariableList qx_VariableList;

/* Initialises COM on the calling thread (every call, never balanced) and
   makes a new collection with one field object per node of `list` (none for
   a null list): width, decimals, one-letter type, name, and the value text
   or, for a null value, NoValue 1.  `*out` receives the collection with a
   reference of its own; what it held before is released.  When the
   collection cannot be made, `*out` is left as it was. */
QX_API void qx_ConvertDBFldListToQVFldList(qx_DbFldList *list, qx_QVFldList **out);

/* Takes over one reference to `collection` and releases it.  `*out` receives
   a new table field list (free with qx_DbFldList_destroy) with one node per
   field object: name cut to 63 characters, value to 512 (a field without a
   value gives a null value), type the first letter of its Type ('C' when
   Type is empty).  A null collection gives null; an empty one an empty list. */
QX_API void qx_ConvertQVFldListToDBFldList(qx_QVFldList *collection, qx_DbFldList **out);

/* Takes over one reference to `variables` and releases it.  Appends each
   named variable to `*out` (made with qx_FldList_create when null and a
   variable is there) by its value's type: empty and null Unknown, 16-bit
   integers, booleans (1 or 0) and bytes Int, 32-bit integers Long, floats
   and doubles Real, text Char (first 300 characters).  Names are cut to 128
   characters; a variable without a name is skipped; any other type writes
   "\nUnhandled Variable Type in COM FldList: %i" to standard output and
   appends nothing.  A null list does nothing. */
QX_API void qx_ConvertVarListToFldList(qx_VariableList *variables, qx_FldList **out);

/* Takes over one reference to `variables` (released).  Adds a variable
   `name` with the text `value`, keyed by the decimal text of the new count.
   1 when added; 0 when an argument is null or the list cannot be read. */
QX_API int qx_VarsList_InsertAtEnd(qx_VariableList *variables, const qx_wchar *name,
                                   const qx_wchar *value);

/* Takes over one reference to `variables` (released).  Removes the
   variables keyed "1" to the count's decimal text: empties a list filled by
   qx_VarsList_InsertAtEnd.  Always 1, also for a null list. */
QX_API int qx_VarsList_Reset(qx_VariableList *variables);

QX_EXTERN_C_END

#endif /* QX_CONVERT_H */
