/* qx — tree nodes: ordered trees of named nodes, each carrying one caller
   pointer.  Children form a chain in insertion order under the parent's
   first-child link.  Names are owned copies and are matched without regard
   to letter case; the data pointers belong to the caller. */
#ifndef QX_TREE_H
#define QX_TREE_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

typedef struct qx_TreeNode {
  qx_wchar *name;                      /* owned copy; may be null */
  void *data;                          /* the caller's value (also the "root" value) */
  struct qx_TreeNode *nextSibling;     /* null for the last child */
  struct qx_TreeNode *previousSibling; /* null for the first child */
  struct qx_TreeNode *firstChild;      /* null for a leaf */
  struct qx_TreeNode *parent;          /* null for a root */
} qx_TreeNode;

/* Visit callback: (context, node data); 1 accepts the node and ends the visit. */
typedef int (*qx_TreeVisitFn)(void *context, void *data);

#define QX_TREE_VISIT_PRE 1
#define QX_TREE_VISIT_POST 2

/* A new node in no tree with a copy of the name (may be null), from
   qx_Malloc; null when memory runs out.  Free it with qx_TreeNode_destroy,
   or hand it to a parent with insChild (destroying the root frees all). */
QX_API qx_TreeNode *qx_TreeNode_create(const qx_wchar *name, void *data);
QX_API int qx_TreeNode_setName(qx_TreeNode *node, const qx_wchar *name); /* copied: 1, or 0 */
QX_API qx_wchar *qx_TreeNode_getName(const qx_TreeNode *node); /* the node's own copy; do not free */
QX_API int qx_TreeNode_setData(qx_TreeNode *node, void *data); /* always 0 */
QX_API void *qx_TreeNode_getData(const qx_TreeNode *node); /* null for a null node */
/* Sets the data only when it is still null and value is not: 1, else 0.
   getRoot reads the data like getData. */
QX_API int qx_TreeNode_setRoot(qx_TreeNode *node, void *value);
QX_API void *qx_TreeNode_getRoot(const qx_TreeNode *node);

/* Appends child (with its subtree) as the last child; the parent's tree owns
   it from then on.  1, or 0 for a null argument. */
QX_API int qx_TreeNode_insChild(qx_TreeNode *parent, qx_TreeNode *child);
/* Neighbours in the tree; null where there is none. */
QX_API qx_TreeNode *qx_TreeNode_getParent(const qx_TreeNode *node);
QX_API qx_TreeNode *qx_TreeNode_getFirstChild(const qx_TreeNode *node);
QX_API qx_TreeNode *qx_TreeNode_getLastChild(const qx_TreeNode *node);
QX_API qx_TreeNode *qx_TreeNode_getNextSibling(const qx_TreeNode *node);
QX_API qx_TreeNode *qx_TreeNode_getPreviousSibling(const qx_TreeNode *node);
/* How many children have the name (any case); all children for a null name. */
QX_API int qx_TreeNode_getChildCount(const qx_TreeNode *node, const qx_wchar *name);
/* The occurrence-th child (1-based; below 1 counts as 1) of the name, or null. */
QX_API qx_TreeNode *qx_TreeNode_getChildByName(const qx_TreeNode *node, const qx_wchar *name,
                                               int occurrence);
/* Follows a dotted path of child names ("a.b.c", any case) down from the
   start node, whose own name is not part of it; each step takes the first
   child of its name, the last one the occurrence-th.  Null when missing. */
QX_API qx_TreeNode *qx_TreeNode_search(const qx_TreeNode *start, const qx_wchar *path,
                                       int occurrence);
/* The next node in pre-order over the whole tree (not only below node). */
QX_API qx_TreeNode *qx_TreeNode_next(const qx_TreeNode *node);
/* Calls callback(context, data) for node and every node below it, in
   pre-order (order 0 or 1) or post-order (2); the first node whose callback
   answers 1 is returned and ends the walk.  Null when none does, or for
   another order. */
QX_API qx_TreeNode *qx_TreeNode_visit(qx_TreeNode *node, void *context, qx_TreeVisitFn callback,
                                      int order);
QX_API qx_TreeNode *qx_TreeNode_visitPre(qx_TreeNode *node, void *context,
                                         qx_TreeVisitFn callback);
QX_API qx_TreeNode *qx_TreeNode_visitPost(qx_TreeNode *node, void *context,
                                          qx_TreeVisitFn callback);

/* delCurr removes a childless node; destroy removes a whole subtree.  The
   release callback, when given, receives each removed node's data. */
QX_API int qx_TreeNode_delCurr(qx_TreeNode *node, qx_ReleaseFn release);
QX_API int qx_TreeNode_destroy(qx_TreeNode *node, qx_ReleaseFn release);

QX_EXTERN_C_END

#endif /* QX_TREE_H */
