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

QX_API qx_TreeNode *qx_TreeNode_create(const qx_wchar *name, void *data);
QX_API int qx_TreeNode_setName(qx_TreeNode *node, const qx_wchar *name);
QX_API qx_wchar *qx_TreeNode_getName(const qx_TreeNode *node);
QX_API int qx_TreeNode_setData(qx_TreeNode *node, void *data);
QX_API void *qx_TreeNode_getData(const qx_TreeNode *node);
QX_API int qx_TreeNode_setRoot(qx_TreeNode *node, void *value);
QX_API void *qx_TreeNode_getRoot(const qx_TreeNode *node);

QX_API int qx_TreeNode_insChild(qx_TreeNode *parent, qx_TreeNode *child);
QX_API qx_TreeNode *qx_TreeNode_getParent(const qx_TreeNode *node);
QX_API qx_TreeNode *qx_TreeNode_getFirstChild(const qx_TreeNode *node);
QX_API qx_TreeNode *qx_TreeNode_getLastChild(const qx_TreeNode *node);
QX_API qx_TreeNode *qx_TreeNode_getNextSibling(const qx_TreeNode *node);
QX_API qx_TreeNode *qx_TreeNode_getPreviousSibling(const qx_TreeNode *node);
QX_API int qx_TreeNode_getChildCount(const qx_TreeNode *node, const qx_wchar *name);
QX_API qx_TreeNode *qx_TreeNode_getChildByName(const qx_TreeNode *node, const qx_wchar *name,
                                               int occurrence);
/* Follows a dotted path of child names ("a.b.c") from the start node. */
QX_API qx_TreeNode *qx_TreeNode_search(const qx_TreeNode *start, const qx_wchar *path,
                                       int occurrence);
QX_API qx_TreeNode *qx_TreeNode_next(const qx_TreeNode *node);
/* order 0 or 1: pre-order, 2: post-order, anything else: null. */
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
