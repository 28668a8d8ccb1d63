/* qx — the table API: dBASE/FoxPro tables and their compound index files,
   named by small integer ids, with records handed over as table field lists
   and cursors (qx/dbfldlist.h).

   Ids.  A table id is 0 for the first table and then one more than the
   largest id open at that moment (-1: no table).  An index id is a multiple
   of 100: the largest open index id plus 100, from 100.  The navigation and
   seek operations take a tag id: negative for record-number order, else t
   selects the tag named "TAG%03d" of t mod 100 over all index files open on
   the table (then "TAG%03d" of t, then "TAG%04d" of t mod 100).  Indexes
   made here name their tags TAG000, TAG001, ... in the order of the key
   expressions.

   Text.  File names cross into the engine as UTF-8; field names looked up,
   seek keys, query expressions and values as ISO-8859-1 (characters beyond
   it become '?'); field names of a new table, tag names and key expressions
   keep the low byte of each character.  Text from the engine is widened
   byte by byte.

   Memo fields (M, G, B) are read and stored as their memo contents, never
   as the block number their record bytes hold, so that no text can
   overwrite the link to a record's memo.

   Results.  The engine's codes (0 done, 2 on the next greater key, 3 end of
   file, 50 locked, negative errors), and for an id that names no open table
   the value each operation lists under "no table".  The engine reports no
   error in a message box from here, except those its context keeps on.
   Nothing here is safe to use from two threads at once. */
#ifndef QX_DB_H
#define QX_DB_H

#include "qx/types.h"
#include "qx/dbfldlist.h"
#include "qx/strlist.h"

QX_EXTERN_C_BEGIN

/* Registry elements (plain records from qx_Malloc). */
typedef struct qx_DbRefNode {
  void *table;  /* engine table handle */
  int32_t id;   /* table id */
} qx_DbRefNode;

typedef struct qx_DbTagRefNode {
  void *index;     /* engine index handle; null while the index is being made */
  int32_t tableId; /* owning table */
  int32_t id;      /* index id */
} qx_DbTagRefNode;

/* Set-up and tables. */
QX_API void qx_Db_init(void);                      /* once per process; later calls do nothing */
QX_API int qx_Db_openDb(const qx_wchar *path);     /* table id, or -1 */
/* readOnly 1 opens the data file for reading only.  Table id, or -1. */
QX_API int qx_Db_openDbEx(const qx_wchar *path, int readOnly);
/* A new table with the fields of `fields` (name, type, width, decimals of
   each node); the table id, or -1 for a null list or a table that could not
   be made.  A data file that exists is replaced, unless another handle holds
   it without sharing writes (then it is left whole and the result is -1). */
QX_API int qx_Db_createDb(const qx_wchar *path, qx_DbFldList *fields);
QX_API int qx_Db_closeDb(int id);         /* the engine's close result; 1 no table */
/* Closes every table; the API stays usable.  The engine's result, or 1 when
   nothing had been opened yet. */
QX_API int qx_Db_closeAll(void);
QX_API long qx_Db_getRecordCount(int id); /* 0 no table */
QX_API long qx_Db_getRecordNo(int id);    /* 0 no table */
/* A new table field list of the table's fields with the current record's
   values; null for no table. */
QX_API qx_DbFldList *qx_Db_struct(int id);
QX_API int qx_Db_packDb(int id);          /* the pack result, then at the top; 1 no table */
QX_API int qx_Db_rendx(void);             /* -1 always */

/* Index files. */
/* Opens an index file on the table: index id, or -1. */
QX_API int qx_Db_openNdx(int id, const qx_wchar *path);
/* Creates index `name` with one tag per key expression of `expressions`
   (separated by commas or blanks, so an expression holds neither), named
   TAG000, TAG001, ...; unique for all tags.  Index id, or -1. */
QX_API int qx_Db_createNdx(int id, const qx_wchar *name, const qx_wchar *expressions, int unique);
QX_API int qx_Db_closeNdx(int indexId);   /* close result; 1 no such index */

/* Navigation: the tag id is selected first and stays selected.  1 no table. */
QX_API int qx_Db_topRec(int id, int tagId);
QX_API int qx_Db_botRec(int id, int tagId);
QX_API int qx_Db_nextRec(int id, int tagId);
QX_API int qx_Db_prevRec(int id, int tagId);
/* Note the order: the key first.  0 found, 2 next greater key, 3 end of file. */
QX_API int qx_Db_seekStr(const qx_wchar *key, int id, int tagId);
QX_API int qx_Db_seekDouble(double key, int id, int tagId);
QX_API int qx_Db_eof(int id);             /* flags; 1 no table */
QX_API int qx_Db_bof(int id);
QX_API int qx_Db_deleted(int id);

/* Records. */
/* The current record as a table field list: into `fields` when it has
   elements (each filled from the field of its name; a name the table lacks
   gives type 'C', width 1, an empty value), else a new list (or `fields`
   when empty) with every field.  Null for no table. */
QX_API qx_DbFldList *qx_Db_readRec(int id, qx_DbFldList *fields);
QX_API qx_DbFldList *qx_Db_readCurrRec(void *table, qx_DbFldList *fields);
/* Stores each element's value into the field of its name and writes the
   record: 0 when all were stored, 1 when any was not (or no table). */
QX_API int qx_Db_modRec(int id, qx_DbFldList *fields);
/* Stores one node's value in the record buffer by the field's type: a
   number field takes the number the text reads as, a logical field the
   character whose code the text gives ("84" stores T), other fields the
   text, cut or padded to the width.  0 stored, 1 no such field or a null
   value. */
QX_API int qx_Db_updFld(void *table, qx_DbFldNode *node);
QX_API int qx_Db_writeRec(int id);        /* 0; 1 no table */
QX_API int qx_Db_appRec(int id);          /* appends a blank record: the append result */
QX_API int qx_Db_appendStart(int id);     /* begins an append (memo fields kept) */
QX_API int qx_Db_append(int id);          /* appends the record buffer */
QX_API int qx_Db_delRec(int id);          /* 0; 1 no table */
QX_API int qx_Db_undelRec(int id);
/* Every record in the selected order (every matching record), each under
   `label`, read into a copy of `fields` when given; null when none. */
QX_API qx_DbCursor *qx_Db_readTable(int id, const qx_wchar *label, qx_DbFldList *fields);
QX_API qx_DbCursor *qx_Db_query(int id, const qx_wchar *expression, const qx_wchar *label,
                                qx_DbFldList *fields);

/* Single fields by name.  Stores change the record buffer only (written by
   qx_Db_writeRec, qx_Db_modRec or a move): 0, or 1 when the table or field
   is missing. */
QX_API int qx_Db_assignFldStr(int id, const qx_wchar *name, const qx_wchar *text);
QX_API int qx_Db_assignFldStrN(int id, const qx_wchar *name, const qx_wchar *text, int length);
QX_API int qx_Db_assignFldDouble(int id, const qx_wchar *name, double value);
QX_API int qx_Db_assignFldInt(int id, const qx_wchar *name, int value);
/* The field's text without trailing blanks in a buffer of 512 characters
   ("" when missing), valid until the next call. */
QX_API const qx_wchar *qx_Db_getFldStr(int id, const qx_wchar *name);
QX_API double qx_Db_getFldDouble(int id, const qx_wchar *name); /* 0.0 when missing */
QX_API int qx_Db_getFldInt(int id, const qx_wchar *name);       /* 0 when missing */
/* At most size - 1 (size at most 512) characters of the field into buffer:
   the number copied, 0 when missing. */
QX_API int qx_Db_cpyFldN(int id, const qx_wchar *name, qx_wchar *buffer, int size);
/* Pads `text` with blanks to the field's width (room for width + 1 needed):
   0, or 1 when missing. */
QX_API int qx_Db_padVal(qx_wchar *text, int id, const qx_wchar *name);

/* The registries. */
QX_API void *qx_DbRef_sel(int id);          /* engine table handle, or null */
QX_API int qx_DbRef_add(void *table);       /* new table id, or -1 */
QX_API int qx_DbRef_del(int id);            /* 1 removed, else 0 */
QX_API int qx_DbRef_delTags(int id);        /* 1 when any index entry of the table was removed */
QX_API qx_DbRefNode *qx_DbRefNode_create(void *table, int id);
QX_API qx_DbRefNode *qx_DbRefNode_find(int id);
QX_API int qx_DbRefNode_free(void *node);
QX_API int qx_DbTagRef_add(int tableId, void *index);   /* new index id, or -1 */
QX_API void *qx_DbTagRef_selNdx(int indexId);            /* by id rounded down to 100s */
QX_API int qx_DbTagRef_del(int indexId);                 /* 1 or 0 */
QX_API int qx_DbTagRef_update(int indexId, void *index); /* 1 or 0 */
QX_API qx_DbTagRefNode *qx_DbTagRefNode_create(void *index, int indexId, int tableId);
QX_API int qx_DbTagRefNode_free(void *node);
/* Selects the order of tag id `tagId` on an engine table: the tag handle,
   or null (record-number order). */
QX_API void *qx_DbTagRef_sel(void *table, int tagId);

/* The stand-alone index builder. */
/* Sets up an engine context (qx_Db_init does so for the API's own) with
   its error reports off, no production index opened automatically and
   duplicates of unique tags let in. */
QX_API void qx_Cb_init(void *engine);
/* Builds index file <table path without extension>.cdx for a table that is
   not open here: 1 done, 0 not. */
QX_API int qx_Cb_createNdx(const qx_wchar *tablePath, const qx_wchar *expressions, int unique);
/* The engine index handle, or null. */
QX_API void *qx_Cb_i4create(void *table, const qx_wchar *name, const qx_wchar *expressions,
                            int unused, int unique);
/* The key expressions as a new string list, or null when there are none. */
QX_API qx_StrList *qx_Cb_parseTagInfo(const qx_wchar *expressions);
/* Free engine description arrays of the first count entries (the tag
   entries of qx_Cb_i4create, the field entries of qx_Db_createDb). */
QX_API void qx_Cb_freeTags(void *tags, int count);
QX_API void qx_Db_freeFldInfo(void *fields, int count);
/* The first tag of the table whose key expression equals `expression`
   regardless of case, or null. */
QX_API void *qx_Cb_findTag(void *table, const qx_wchar *expression);

/* Angles. */
QX_API double qx_Cnv_dtor(double degrees);
QX_API double qx_Cnv_rtod(double radians);

QX_EXTERN_C_END

#endif /* QX_DB_H */
