/* qx — table field lists and cursors: how records cross between the table
   API (qx/db.h) and its callers.

   A table field list is a linked list (qx/lnklist.h) of qx_DbFldNode
   pointers: one node per field with its name, type letter, width, decimals
   and the value as text.  It describes the fields of a table to create and
   carries one record's values.  A cursor is a linked list of
   qx_DbCursorNode pointers, each a labelled table field list: the records
   of a whole-table read or a query.  Both lists own their elements; their
   cursors are the linked lists' current nodes.  Callers read the nodes
   directly, so the record layouts are part of the interface.

   Value rule, for every operation that stores a value text in a node: the
   old text is freed; a null text leaves the value null (result 0); else a
   copy is kept with trailing white space removed and, for types 'N' and 'F',
   leading white space too (result 1).

   Several readers return text in a buffer of their own (sizes below) that
   the next call of the same reader overwrites: copy what you keep. */
#ifndef QX_DBFLDLIST_H
#define QX_DBFLDLIST_H

#include "qx/types.h"
#include "qx/lnklist.h"

QX_EXTERN_C_BEGIN

/* Room for a field name in a node: 63 characters and the terminator. */
#define QX_DBFLD_NAME_LEN 64

/* One field of a table, allocated with qx_Malloc. */
typedef struct qx_DbFldNode {
  qx_wchar name[QX_DBFLD_NAME_LEN]; /* longer names are cut to 63 */
  qx_wchar *value;                  /* owned copy, or null */
  int32_t width;                    /* width in characters */
  int32_t decimals;
  qx_wchar type;                    /* 'C', 'N', 'F', 'D', 'L', 'M', ... upper case */
} qx_DbFldNode;

/* A table field list: a linked list of qx_DbFldNode pointers. */
typedef struct qx_LnkList qx_DbFldList;

/* One record of a cursor. */
typedef struct qx_DbCursorNode {
  qx_DbFldList *fldList; /* owned */
  qx_wchar *label;       /* owned copy (the table name of a read or query), or null */
} qx_DbCursorNode;

/* A cursor: a linked list of qx_DbCursorNode pointers. */
typedef struct qx_LnkList qx_DbCursor;

/* Nodes. */
/* A new node: name copied (cut to 63, case kept), type upper-cased, value by
   the value rule; null when memory runs out.  Free with qx_DbFldNode_destroy. */
QX_API qx_DbFldNode *qx_DbFldNode_new(const qx_wchar *name, const qx_wchar *value, int width,
                                      int decimals, qx_wchar type);
/* A node from an engine field (name, value, width, decimals, type with F
   reported as N); null for a null field or when memory runs out. */
QX_API qx_DbFldNode *qx_DbFldNode_fromFld(void *field);
/* Frees the value and the node: 1, or 0 for null. */
QX_API int qx_DbFldNode_destroy(qx_DbFldNode *node);

/* Lists. */
/* A list of 'C' nodes of width 0 from name, value pairs ended by a null
   name: names upper-cased (at most 71 characters taken), values copied (at
   most 512; null gives an empty text).  Free with qx_DbFldList_destroy. */
QX_API qx_DbFldList *qx_DbFldList_create(const qx_wchar *name, ...) QX_SENTINEL;
QX_API qx_DbFldList *qx_DbFldList_copy(qx_DbFldList *list); /* deep copy; null for null */
QX_API void qx_DbFldList_destroy(qx_DbFldList *list);     /* the list and its nodes */
QX_API void qx_DbFldList_freeValues(qx_DbFldList *list);  /* every value set null */
/* Make a node as qx_DbFldNode_new does and insert it: the insertion's
   result, 0 when the node could not be made. */
QX_API int qx_DbFldList_insStart(qx_DbFldList *list, const qx_wchar *name, const qx_wchar *value,
                                 int width, int decimals, qx_wchar type);
QX_API int qx_DbFldList_insEnd(qx_DbFldList *list, const qx_wchar *name, const qx_wchar *value,
                               int width, int decimals, qx_wchar type);
/* 1 and the node current when a stored name equals the upper-cased `name`
   exactly (names stored in small letters are not found); else 0. */
QX_API int qx_DbFldList_find(qx_DbFldList *list, const qx_wchar *name);
/* The first node whose name equals `name` regardless of case, now current;
   null when none. */
QX_API qx_DbFldNode *qx_DbFldList_findFld(qx_DbFldList *list, const qx_wchar *name);

/* The current node and what it holds.  Without a current node: null, "",
   'C', 0, 0.0.  Texts: buffers of 512 characters of each reader. */
QX_API qx_DbFldNode *qx_DbFldList_getCurrFld(qx_DbFldList *list);
QX_API const qx_wchar *qx_DbFldList_getCurrName(qx_DbFldList *list);
QX_API qx_wchar qx_DbFldList_getCurrType(qx_DbFldList *list);
QX_API int qx_DbFldList_getCurrWidth(qx_DbFldList *list);
QX_API int qx_DbFldList_getCurrPrec(qx_DbFldList *list);
QX_API const qx_wchar *qx_DbFldList_getCurrStr(qx_DbFldList *list);
/* The value padded with blanks to the node's width. */
QX_API const qx_wchar *qx_DbFldList_getCurrStrPadded(qx_DbFldList *list);
QX_API double qx_DbFldList_getCurrDouble(qx_DbFldList *list); /* _wtof of the value */
QX_API int qx_DbFldList_getCurrInt(qx_DbFldList *list);       /* _wtoi of the value */
/* The value rule on the current node; 0 for a null list or no current node. */
QX_API int qx_DbFldList_modCurrVal(qx_DbFldList *list, const qx_wchar *text);
/* Set width / decimals of the current node: the previous value (0 when none). */
QX_API int qx_DbFldList_modCurrWidth(qx_DbFldList *list, int width);
QX_API int qx_DbFldList_modCurrPrec(qx_DbFldList *list, int decimals);

/* Element n (from 0) made current; its value (padded) in a buffer of 260
   characters, longer values cut; "" when there is no element n. */
QX_API const qx_wchar *qx_DbFldList_getNthStr(qx_DbFldList *list, int n);
QX_API const qx_wchar *qx_DbFldList_getNthStrPadded(qx_DbFldList *list, int n);
QX_API int qx_DbFldList_modNthVal(qx_DbFldList *list, int n, const qx_wchar *text);

/* By name (as qx_DbFldList_findFld): the value in a buffer of 512 characters
   ("" when not found or null), or the value rule on that node (0 when not
   found). */
QX_API const qx_wchar *qx_DbFldList_getFldVal(qx_DbFldList *list, const qx_wchar *name);
QX_API int qx_DbFldList_modFldVal(qx_DbFldList *list, const qx_wchar *name, const qx_wchar *text);

/* Delete (and destroy) the current node: the linked list's result; or the
   node qx_DbFldList_find finds: 1, or 0 when not found or null arguments. */
QX_API int qx_DbFldList_delCurr(qx_DbFldList *list);
QX_API int qx_DbFldList_delFld(qx_DbFldList *list, const qx_wchar *name);

/* Writes each node to standard output as "%-16s " with the name, then
   "%c:%s\n" with type and value when the value is not null. */
QX_API void qx_DbFldList_printList(qx_DbFldList *list);

/* A list from a template file of field descriptions, one a line (a name and
   a descriptor of seven characters: type, width in three digits, decimals in
   three digits, as in "DIAMETER  N010003"); other lines are skipped.  Null
   when the file cannot be opened or holds no description. */
QX_API qx_DbFldList *qx_DbFldList_fromTemplate(const qx_wchar *path);
/* 1 when `line` is a field description, its parts stored in the outputs
   (the name output is written in any case and needs 256 characters); else 0. */
QX_API int qx_DbFldList_parseFldDesc(const qx_wchar *line, qx_wchar *name, qx_wchar *type,
                                     int *width, int *decimals);

/* The linked-list walk under this family's names (qx/lnklist.h). */
QX_API int qx_DbFldList_start(qx_DbFldList *list);
QX_API int qx_DbFldList_next(qx_DbFldList *list);
QX_API int qx_DbFldList_prev(qx_DbFldList *list);
QX_API int qx_DbFldList_eol(qx_DbFldList *list);
QX_API int qx_DbFldList_length(qx_DbFldList *list);

/* Cursors. */
QX_API qx_DbCursor *qx_DbCursor_create(void); /* empty; free with qx_DbCursor_destroy */
/* A new element: the label copied, the list taken over; null when memory runs out. */
QX_API qx_DbCursorNode *qx_DbCursorNode_create(const qx_wchar *label, qx_DbFldList *list);
/* Frees the label, destroys the list and frees the element: 1. */
QX_API int qx_DbCursorNode_destroy(qx_DbCursorNode *node);
/* Make an element (taking the list over) and insert it: the insertion's
   result; 0 for a null cursor or when the element could not be made. */
QX_API int qx_DbCursor_insStart(qx_DbCursor *cursor, const qx_wchar *label, qx_DbFldList *list);
QX_API int qx_DbCursor_insEnd(qx_DbCursor *cursor, const qx_wchar *label, qx_DbFldList *list);
/* Replaces the current element by a new one (the old one destroyed). */
QX_API int qx_DbCursor_modCurr(qx_DbCursor *cursor, const qx_wchar *label, qx_DbFldList *list);
/* The current / nth element's label (borrowed).  Without such an element:
   a copy of the label this reader returned last (null before the first),
   valid until its next call.  The nth reader moves the current element. */
QX_API const qx_wchar *qx_DbCursor_getCurrTblName(qx_DbCursor *cursor);
QX_API const qx_wchar *qx_DbCursor_getNthTblName(qx_DbCursor *cursor, int n);
/* The current / nth element's list (borrowed), or null. */
QX_API qx_DbFldList *qx_DbCursor_getCurrFldList(qx_DbCursor *cursor);
QX_API qx_DbFldList *qx_DbCursor_getNthFldList(qx_DbCursor *cursor, int n);
QX_API qx_DbCursorNode *qx_DbCursor_getNth(qx_DbCursor *cursor, int n); /* moves there */
QX_API int qx_DbCursor_delCurr(qx_DbCursor *cursor);
QX_API int qx_DbCursor_delNth(qx_DbCursor *cursor, int n);
/* Moves the elements of b to the end of a and frees b: 1, or 0 for null
   cursors or a cursor joined to itself. */
QX_API int qx_DbCursor_join(qx_DbCursor *a, qx_DbCursor *b);
/* A deep copy of the elements that have a label and a list; null when none. */
QX_API qx_DbCursor *qx_DbCursor_copy(qx_DbCursor *cursor);
/* Destroys every element and the cursor: 1, or 0 for null. */
QX_API int qx_DbCursor_destroy(qx_DbCursor *cursor);

/* The linked-list walk under this family's names (qx/lnklist.h). */
QX_API int qx_DbCursor_start(qx_DbCursor *cursor);
QX_API int qx_DbCursor_next(qx_DbCursor *cursor);
QX_API int qx_DbCursor_prev(qx_DbCursor *cursor);
QX_API int qx_DbCursor_skip(qx_DbCursor *cursor, int count);
QX_API int qx_DbCursor_eol(qx_DbCursor *cursor);
QX_API int qx_DbCursor_end(qx_DbCursor *cursor);
QX_API int qx_DbCursor_length(qx_DbCursor *cursor);
QX_API qx_DbCursorNode *qx_DbCursor_getCurr(qx_DbCursor *cursor);

QX_EXTERN_C_END

#endif /* QX_DBFLDLIST_H */
