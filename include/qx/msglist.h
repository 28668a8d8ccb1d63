/* qx — message lists and keyword lists: several texts translated in one
   call and found again by a short name, and comma-separated words paired
   with their translation word by word.

   Both lists are linked lists (qx/lnklist.h) whose elements are the node
   records below; callers may read the nodes.  The find functions return
   library buffers that the next call of the same function overwrites. */
#ifndef QX_MSGLIST_H
#define QX_MSGLIST_H

#include "qx/types.h"
#include "qx/lnklist.h"

QX_EXTERN_C_BEGIN

#define QX_MSGNODE_NAME_LEN 16 /* names and keys are cut to this */
#define QX_MSG_FIND_LEN 256
#define QX_MSG_VALUE_LEN 512 /* the message table's value buffer */

typedef struct qx_MsgNode {
  qx_wchar name[QX_MSGNODE_NAME_LEN + 1]; /* the caller's handle of the text */
  qx_wchar *text;                         /* owned: the default, then the looked-up text */
  qx_wchar key[QX_MSGNODE_NAME_LEN + 1];  /* the message key */
  int32_t format;                         /* layout code (qx/msg.h) */
  int32_t width;                          /* > 0: pad the looked-up text to this */
} qx_MsgNode;

typedef struct qx_LnkList qx_MsgList;

typedef struct qx_MsgKeyWordListNode {
  qx_wchar *word;        /* owned */
  qx_wchar *translation; /* owned */
} qx_MsgKeyWordListNode;

typedef struct qx_LnkList qx_MsgKeyWordList;

/* --- message lists --------------------------------------------------------- */

/* A new node holding the name and key (cut to 16 characters) and a copy of
   the text; null when memory runs out. */
QX_API qx_MsgNode *qx_MsgNode_create(const qx_wchar *name, const qx_wchar *text,
                                     const qx_wchar *key, int format, int width);
/* Looks up every node that has a text and a key: the node's text becomes
   the looked-up text (padded to its width), unless that text begins with
   '^'.  Always 1. */
QX_API int qx_Msg_multiple(qx_MsgList *list);
/* A new, looked-up list from groups of (name, text, key, layout) ended by a
   null name or text.  A layout of 0 keeps the name for the next group,
   which then starts with its text; a null key is followed by no layout.
   Arguments: name, text and key are const qx_wchar *, the layout an int;
   the list ends with a null pointer (the compiler checks that it does). */
QX_API qx_MsgList *qx_Msg_mlt(const qx_wchar *name, ...) QX_SENTINEL;
/* A new, looked-up list from records of four pointers: name, text, key and
   the layout code stored in a pointer ((const qx_wchar *)(intptr_t)code).
   Reading stops at the first record with a null or empty name. */
QX_API qx_MsgList *qx_Msg_mltReadArray(const qx_wchar *const (*records)[4]);
/* The text of the first node of exactly that name, or the name itself.
   Library buffer of 256 characters. */
QX_API qx_wchar *qx_Msg_find(qx_MsgList *list, const qx_wchar *name);
/* Releases every node, its text and the list. */
QX_API int qx_MsgList_destroy(qx_MsgList *list);

/* --- keyword lists --------------------------------------------------------- */

/* Translates the comma-separated `words` with `key` and pairs each word
   with the piece of the translation in the same place.  The translation is
   split at "," or, for a language with a separator file SEP_<language>.dbf
   in the network directory's Language folder, at the translated ",".  An
   empty list when several words have a translation without separator; null
   without words or key.  Free with qx_MsgKeyWordList_destroy. */
QX_API qx_MsgKeyWordList *qx_Msg_getKeyWordList(const qx_wchar *words, const qx_wchar *key);
QX_API qx_MsgKeyWordList *qx_MsgKeyWordList_create(void);
/* Appends copies of the word and translation when all three are given.
   Always 0. */
QX_API int qx_MsgKeyWordList_append(qx_MsgKeyWordList *list, const qx_wchar *word,
                                    const qx_wchar *translation);
/* The translation of the word (case-blind), or the word itself; empty for
   a null word.  Library buffer of 256 characters. */
QX_API qx_wchar *qx_MsgKeyWordList_find(qx_MsgKeyWordList *list, const qx_wchar *word);
QX_API int qx_MsgKeyWordList_destroy(qx_MsgKeyWordList *list);
QX_API qx_MsgKeyWordListNode *qx_MsgKeyWordListNode_create(const qx_wchar *word,
                                                         const qx_wchar *translation);
/* 1, or 0 for a null node. */
QX_API int qx_MsgKeyWordListNode_destroy(qx_MsgKeyWordListNode *node);

/* --- message tables -------------------------------------------------------- */

/* Opens the message table "<first>_<second>.dbf" (character fields MSG_NO,
   the number, and MSG_NAME, the text) from the first place that has it:
   the network directory's "language" folder, then the file's temporary,
   local and network name.  Its index (same path, extension .cdx) is opened,
   or made on MSG_NO (unique) when missing.  1 with both ids set; 0 when no
   place has the table (the table id holds -1), or when the index can
   neither be opened nor made (the table is closed again, both ids -1). */
QX_API int qx_Msg_openDb(const qx_wchar *first, const qx_wchar *second, int *table, int *index);
/* The text of message `number` (padded to the width of MSG_NO to be found)
   without trailing blanks, or null when no record has that number.  Library
   buffer of 512 characters. */
QX_API qx_wchar *qx_Msg_getVal(int table, int index, const qx_wchar *number);
/* Closes the table and its index.  Always 1. */
QX_API int qx_Msg_closeDb(int table);

QX_EXTERN_C_END

#endif /* QX_MSGLIST_H */
