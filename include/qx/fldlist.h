/* qx — field lists: ordered lists of named, typed values.

   A field list is a linked list (qx/lnklist.h) whose elements are pointers
   to qx_FldNode records; the list's cursor is the field list's current
   position.  Callers read the nodes directly, so qx_FldNode's layout is part
   of the interface.

   Type letters and the value each node holds:
     'C' Char     text            owned copy
     'H' Handle   text            owned copy (upper-cased when made by new, app, add)
     'I' Int      32-bit integer
     'L' Long     32-bit integer  (differs from Int in its letter and text form)
     'N' Real     double
     'D' Dpoint, 'M' Mpoint, 'O' Vector, 'P' Point   three doubles x, y, z
     'S' StrList  string list     taken over, destroyed with the node
     'U' Unknown  nothing (null)
     'V' List     nested field list   taken over, destroyed with the node

   Names are stored upper-cased and matched without regard to case; when a
   name occurs more than once, lookups find the first.  Nothing here reports
   a message: results are told by the codes below. */
#ifndef QX_FLDLIST_H
#define QX_FLDLIST_H

#include "qx/types.h"
#include "qx/lnklist.h"
#include "qx/str.h"
#include "qx/point.h"
#include "qx/rotation.h"
#include "qx/strlist.h"

QX_EXTERN_C_BEGIN

#define QX_FLD_OK 1           /* done */
#define QX_FLD_NO_CURRENT (-1) /* the cursor is off the list */
#define QX_FLD_NOT_FOUND (-2) /* no field of that name */
#define QX_FLD_OTHER_TYPE (-3) /* the field is of another type (or its value was converted) */
#define QX_FLD_NO_MEMORY (-4) /* a node could not be allocated */

/* The "no value" marker of numbers handed to qx_FldList_create. */
#define QX_FLD_NO_VALUE (-9999)

#define QX_FLD_CHAR ((qx_wchar)'C')
#define QX_FLD_DPOINT ((qx_wchar)'D')
#define QX_FLD_HANDLE ((qx_wchar)'H')
#define QX_FLD_INT ((qx_wchar)'I')
#define QX_FLD_LONG ((qx_wchar)'L')
#define QX_FLD_MPOINT ((qx_wchar)'M')
#define QX_FLD_REAL ((qx_wchar)'N')
#define QX_FLD_VECTOR ((qx_wchar)'O')
#define QX_FLD_POINT ((qx_wchar)'P')
#define QX_FLD_STRLIST ((qx_wchar)'S')
#define QX_FLD_UNKNOWN ((qx_wchar)'U')
#define QX_FLD_LIST ((qx_wchar)'V')

/* A field list is a linked list of qx_FldNode pointers. */
typedef struct qx_LnkList qx_FldList;

/* The value area: room for three doubles, read according to the type. */
typedef union qx_FldValue {
  qx_wchar *text;       /* 'C', 'H' (may be null) */
  int32_t integer;      /* 'I', 'L' */
  double real;          /* 'N' */
  qx_Point point;       /* 'D', 'M', 'P' */
  qx_Vector vector;     /* 'O' */
  double xyz[3];        /* any of the four point kinds */
  qx_StrList *strList;  /* 'S' */
  qx_FldList *list;     /* 'V' (may be null) */
  void *none;           /* 'U': null */
} qx_FldValue;

typedef struct qx_FldNode {
  qx_wchar *name;      /* owned, upper-cased */
  qx_wchar type;       /* type letter, a 16-bit wide character */
  int16_t spare1;      /* 1 when made; not read by the library */
  int16_t spare2;      /* 0 when made; not read by the library */
  qx_FldValue value;
} qx_FldNode;

/* --- the list and its cursor (the linked list's own operations) --------- */
QX_API int qx_FldList_start(qx_FldList *list);
QX_API int qx_FldList_next(qx_FldList *list); /* 1 while on a field (see qx/lnklist.h) */
QX_API int qx_FldList_prev(qx_FldList *list);
QX_API int qx_FldList_eol(const qx_FldList *list);   /* non-zero past the end or when empty */
QX_API qx_FldNode *qx_FldList_curr(const qx_FldList *list); /* the list's own node, or null */
QX_API int qx_FldList_count(const qx_FldList *list); /* fields at the top level */

/* --- making nodes: the node is in no list; null when memory runs out ----
   A null point or vector argument stores (0, 0, 0).  The name and text are
   copied.  Free a node that never joined a list with
   qx_FldList_destroyNode. */
QX_API qx_FldNode *qx_FldList_newChar(const qx_wchar *name, const qx_wchar *text);
QX_API qx_FldNode *qx_FldList_newHandle(const qx_wchar *name, const qx_wchar *handle);
QX_API qx_FldNode *qx_FldList_newInt(const qx_wchar *name, int32_t value);
QX_API qx_FldNode *qx_FldList_newLong(const qx_wchar *name, int32_t value);
QX_API qx_FldNode *qx_FldList_newReal(const qx_wchar *name, double value);
QX_API qx_FldNode *qx_FldList_newPoint(const qx_wchar *name, const qx_Point *point);
QX_API qx_FldNode *qx_FldList_newMpoint(const qx_wchar *name, const qx_Point *point);
QX_API qx_FldNode *qx_FldList_newDpoint(const qx_wchar *name, const qx_Point *point);
QX_API qx_FldNode *qx_FldList_newVector(const qx_wchar *name, const qx_Vector *vector);
/* Takes over the nested list. */
QX_API qx_FldNode *qx_FldList_newList(const qx_wchar *name, qx_FldList *nested);
QX_API qx_FldNode *qx_FldList_newUnknown(const qx_wchar *name);

/* --- appending: 1, or -4 when the node could not be made or linked ------
   (a null list included).  On -4 nothing is taken over: a nested list or
   string list handed in still belongs to the caller. */
QX_API int qx_FldList_appChar(qx_FldList *list, const qx_wchar *name, const qx_wchar *text);
QX_API int qx_FldList_appHandle(qx_FldList *list, const qx_wchar *name, const qx_wchar *handle);
QX_API int qx_FldList_appInt(qx_FldList *list, const qx_wchar *name, int32_t value);
QX_API int qx_FldList_appLong(qx_FldList *list, const qx_wchar *name, int32_t value);
QX_API int qx_FldList_appReal(qx_FldList *list, const qx_wchar *name, double value);
QX_API int qx_FldList_appPoint(qx_FldList *list, const qx_wchar *name, const qx_Point *point);
QX_API int qx_FldList_appMpoint(qx_FldList *list, const qx_wchar *name, const qx_Point *point);
QX_API int qx_FldList_appDpoint(qx_FldList *list, const qx_wchar *name, const qx_Point *point);
QX_API int qx_FldList_appVector(qx_FldList *list, const qx_wchar *name, const qx_Vector *vector);
QX_API int qx_FldList_appList(qx_FldList *list, const qx_wchar *name, qx_FldList *nested);
QX_API int qx_FldList_appUnknown(qx_FldList *list, const qx_wchar *name);
/* Takes over the string list. */
QX_API int qx_FldList_appStrList(qx_FldList *list, const qx_wchar *name, qx_StrList *strings);

/* A new list from (name, type, value) triples ended by a null name; free it
   with qx_FldList_destroy.  The arguments go through C's variadic promotion,
   so each type letter reads exactly these:
     name  const qx_wchar *            (a null name ends the list)
     type  int                         a letter such as 'C' or u'C'
     'C', 'H'            const qx_wchar *   text, copied
     'I', 'L'            int                write 5, not 5.0
     'N'                 double             write 5.0 or (double)n, not 5
     'D', 'M', 'O', 'P'  double, double, double   x, y, z: three doubles
                                                   (not a qx_Point pointer)
     any other letter    one pointer, ignored      an Unknown field
   An int where a double is read (or the reverse) reads garbage or crashes:
   the compiler cannot check these.  -9999 for 'I', 'L' and 'N' stores 0. */
QX_API qx_FldList *qx_FldList_create(const qx_wchar *name, ...) QX_SENTINEL;

/* The first field of that name, now current; null (cursor past the end)
   when there is none. */
QX_API qx_FldNode *qx_FldList_find(qx_FldList *list, const qx_wchar *name);

/* --- reading by name: 1, -2 no such field, -3 another type --------------
   getChar and getHandle copy at most `size` characters and a terminator
   (the buffer holds size + 1).  getChar formats numbers ("%d", "%ld", "%f")
   and still gives -3.  getReal clears its output first and converts text
   with -3; getInt and getLong leave it as it was and convert text with -3.
   A Long value is 32-bit; getLong and currLong write it to a long so that
   a caller's long variable receives the whole, sign-extended value. */
QX_API int qx_FldList_getChar(qx_FldList *list, const qx_wchar *name, qx_wchar *buffer, int size);
QX_API int qx_FldList_getReal(qx_FldList *list, const qx_wchar *name, double *value);
QX_API int qx_FldList_getInt(qx_FldList *list, const qx_wchar *name, int32_t *value);
QX_API int qx_FldList_getLong(qx_FldList *list, const qx_wchar *name, long *value);
/* Any of the four point kinds; `flag` is not read.  getVector is the same. */
QX_API int qx_FldList_getPoint(qx_FldList *list, const qx_wchar *name, qx_Point *point, int flag);
QX_API int qx_FldList_getVector(qx_FldList *list, const qx_wchar *name, qx_Vector *vector);
QX_API int qx_FldList_getHandle(qx_FldList *list, const qx_wchar *name, qx_wchar *buffer,
                                int size);

/* --- changing by name ----------------------------------------------------
   The first field of the name takes the new type and value (its old text is
   freed; an old nested list or string list is NOT released: the caller
   still holds it).  Result 1.  Without such a field the value is appended
   as by the matching app function (so modHandle upper-cases only then). */
QX_API int qx_FldList_modChar(qx_FldList *list, const qx_wchar *name, const qx_wchar *text);
QX_API int qx_FldList_modHandle(qx_FldList *list, const qx_wchar *name, const qx_wchar *handle);
QX_API int qx_FldList_modInt(qx_FldList *list, const qx_wchar *name, int32_t value);
QX_API int qx_FldList_modLong(qx_FldList *list, const qx_wchar *name, int32_t value);
QX_API int qx_FldList_modReal(qx_FldList *list, const qx_wchar *name, double value);
QX_API int qx_FldList_modPoint(qx_FldList *list, const qx_wchar *name, const qx_Point *point);
QX_API int qx_FldList_modMpoint(qx_FldList *list, const qx_wchar *name, const qx_Point *point);
QX_API int qx_FldList_modDpoint(qx_FldList *list, const qx_wchar *name, const qx_Point *point);
QX_API int qx_FldList_modVector(qx_FldList *list, const qx_wchar *name, const qx_Vector *vector);
QX_API int qx_FldList_modList(qx_FldList *list, const qx_wchar *name, qx_FldList *nested);
QX_API int qx_FldList_modUnknown(qx_FldList *list, const qx_wchar *name);

/* --- reading the current field: 1, -1 no current field, -3 another type --
   currChar and currHandle copy at most `size` characters and a terminator.
   currReal converts text with result 1; currInt and currLong do not
   convert text.  currList hands out the nested list or string list itself
   and gives -3 (not -1) without a current field. */
/* The whole name into buffer, whose room is the caller's concern (names are
   as long as they were given). */
QX_API int qx_FldList_currFldname(qx_FldList *list, qx_wchar *buffer);
QX_API int qx_FldList_currFldtype(qx_FldList *list, qx_wchar *type); /* the type letter */
QX_API int qx_FldList_currChar(qx_FldList *list, qx_wchar *buffer, int size);
QX_API int qx_FldList_currReal(qx_FldList *list, double *value);
QX_API int qx_FldList_currInt(qx_FldList *list, int32_t *value);
QX_API int qx_FldList_currLong(qx_FldList *list, long *value);
QX_API int qx_FldList_currPoint(qx_FldList *list, qx_Point *point);
QX_API int qx_FldList_currVector(qx_FldList *list, qx_Vector *vector);
QX_API int qx_FldList_currList(qx_FldList *list, void **handle);
QX_API int qx_FldList_currHandle(qx_FldList *list, qx_wchar *buffer, int size);

/* --- adding under a repeated name ----------------------------------------
   The first value of a name makes a plain field; the next one turns that
   field into a 'V' field of the same name whose nested list holds the
   earlier value and then each value added.  Result 1, or the append's
   result when the name was new. */
QX_API int qx_FldList_addCharVal(qx_FldList *list, const qx_wchar *name, const qx_wchar *text);
QX_API int qx_FldList_addHandleVal(qx_FldList *list, const qx_wchar *name,
                                   const qx_wchar *handle);
QX_API int qx_FldList_addIntVal(qx_FldList *list, const qx_wchar *name, int32_t value);
QX_API int qx_FldList_addLongVal(qx_FldList *list, const qx_wchar *name, int32_t value);
QX_API int qx_FldList_addRealVal(qx_FldList *list, const qx_wchar *name, double value);
QX_API int qx_FldList_addPointVal(qx_FldList *list, const qx_wchar *name, const qx_Point *point);
QX_API int qx_FldList_addMpointVal(qx_FldList *list, const qx_wchar *name, const qx_Point *point);
QX_API int qx_FldList_addDpointVal(qx_FldList *list, const qx_wchar *name, const qx_Point *point);
QX_API int qx_FldList_addVectorVal(qx_FldList *list, const qx_wchar *name,
                                   const qx_Vector *vector);
QX_API int qx_FldList_addUnknownVal(qx_FldList *list, const qx_wchar *name);
/* Dispatches on the letter ('C' and 'H' take the text itself, the others a
   pointer to the value; 'U' reads nothing).  1 for those letters whatever
   the inner result; 0 for any other letter, 'S' and 'V' included. */
QX_API int qx_FldList_addVal(qx_FldList *list, const qx_wchar *name, qx_wchar type,
                             const void *value);

/* Moves the first field of the name into a new nested list held by a 'V'
   field of the same name, in the same place.  Result: the 'V' node; null
   when the field is already 'V' or memory runs out (nothing changed).  A
   missing name appends a 'V' field with a null nested list and returns it. */
QX_API qx_FldNode *qx_FldList_convertNodeToList(qx_FldList *list, const qx_wchar *name);

/* --- removing ------------------------------------------------------------ */
/* Frees the name, the value (text, nested list, string list) and the node. */
QX_API void qx_FldList_destroyNode(qx_FldNode *node);
QX_API int qx_FldList_destroy(qx_FldList *list); /* every node as destroyNode, then the list: 1, or 0 */
QX_API int qx_FldList_delCurr(qx_FldList *list); /* frees the current field: 1, or 0 */
/* 1 when the first field of the name was deleted; 0 otherwise. */
QX_API int qx_FldList_delFld(qx_FldList *list, const qx_wchar *name);

/* --- one node as text ---------------------------------------------------- */
/* "%s" of text, "%d", "%ld", "%f", or "P:1.000 2.000 3.000" for the point
   kinds; empty for a null node and for 'S', 'U' and 'V'.  At most 511
   characters.  The caller releases the text with free(). */
QX_API qx_wchar *qx_FldNode_getFldValue(const qx_FldNode *node);
/* Sets a number from its text, or writes text over the stored text in
   place, cut to the stored text's length.  Other types are left alone. */
QX_API void qx_FldNode_updateFldValue(qx_FldNode *node, const qx_wchar *text);

/* --- whole-list operations ------------------------------------------------
   Each walks a list with its cursor and leaves it past the end.  New lists
   belong to the caller (qx_FldList_destroy); the source lists are only
   read, never taken over.  Appends that run out of memory are not reported:
   the field is missing and the result is still 1. */
/* A deep copy (nested lists copied, a string list becomes an Unknown
   field); an empty list for null; null only when no list can be made. */
QX_API qx_FldList *qx_FldList_copy(qx_FldList *list);
/* Appends copies of src's fields to dst, duplicate names kept: 1, or 0
   when either is null. */
QX_API int qx_FldList_concatenate(qx_FldList *dst, qx_FldList *src);
/* As concatenate, but a field whose name dst has replaces dst's first field
   of that name in place (with the modXxx rules). */
QX_API int qx_FldList_combine(qx_FldList *dst, qx_FldList *src);
/* Stores src's field srcName in dst as dstName (replaced or appended): text
   cut to 512 characters, a Handle becomes Char; 'S', 'U', 'V' copy nothing.
   1 when the source field was found; 0 otherwise or for a null argument. */
QX_API int qx_FldList_copyFld(qx_FldList *src, const qx_wchar *srcName, qx_FldList *dst,
                              const qx_wchar *dstName);
/* -2 when either is null; by type letter -1 or 1 when they differ; else
   text compared exactly (-1, 0, 1), reals and points equal within 0.001
   (points give 1 when apart), integers -1, 0, 1; 'S', 'U', 'V' 0. */
QX_API int qx_FldList_compareNode(const qx_FldNode *a, const qx_FldNode *b);
/* A copy of a's fields that differ from b's field of the same name, and
   with includeMissing of those b lacks; null when there are none. */
QX_API qx_FldList *qx_FldList_diff(qx_FldList *a, qx_FldList *b, int includeMissing);
/* Rotates the 'D', 'M', 'O', 'P' fields whose letter is in `letters` and
   adds the offset (x, y, z) to the positions 'M' and 'P'.  0 when the list
   or letters is null or both offset and rotation are; else 1, or the last
   failing step's result. */
QX_API int qx_FldList_applyTransform(qx_FldList *list, const double *offset,
                                     const qx_RotMatrix *rotation, const qx_wchar *letters);
/* Char fields from name=value lines (INI entry rules; lines with an empty
   name or value skipped), cursor on the first; null when none gave a pair. */
QX_API qx_FldList *qx_FldList_fromEnvList(qx_StrList *strings);
/* A table field list (qx/dbfldlist.h, a linked list of qx_DbFldNode) as
   typed values: 'N' with decimals a Real (a ',' read as the point), 'N'
   without an Int, any other type Char; unnamed fields skipped. */
QX_API qx_FldList *qx_FldList_fromDbFldList(struct qx_LnkList *tableFields);

/* --- printing --------------------------------------------------------------
   One line per named field: at level 0 the name "%-16s ", deeper 17 blanks
   and 3 more per level below 1; then "C:text", "I:%d", "L:%ld", "N:%f",
   "P:%.3f %.3f %.3f" or "<undefined>"; a 'V' field ends its line and its
   list follows one level deeper.  A text field without text gives no value
   and no line end.  printList is level 0, to standard output in UTF-8. */
QX_API void qx_FldList_printList(qx_FldList *list);
QX_API void qx_FldList_printLevelList(qx_FldList *list, int level);
/* The same lines without line ends (cut to 259 characters), each through
   qx_Diag_putOutputMsg when the diagnostics level is at least diagLevel and
   the condition shares a bit with mask; a text field without text gives no
   line. */
QX_API void qx_FldList_printListDiag(qx_FldList *list, int diagLevel, int mask);
QX_API void qx_FldList_printLevelListDiag(qx_FldList *list, int level, int diagLevel, int mask);

QX_EXTERN_C_END

#endif /* QX_FLDLIST_H */
