// Tree nodes: named nodes with one caller pointer each, children chained in
// insertion order.  Every function runs in the tree trace frame except next
// and destroy.  Walks over a subtree keep their own stack instead of
// recursing, so a deep tree cannot exhaust the call stack; they still write
// the trace lines a recursive visit writes, one frame per visited node.
#include "qx/tree.h"

#include <vector>

#include "core/trace.h"
#include "port/wstr.h"
#include "qx/diag.h"
#include "qx/memory.h"
#include "qx/str.h"
#include "qx/strlist.h"

namespace {

const qx::TraceFamily kTree{QX_DIAG_TREE, "Exiting", __FILE__};

using Tree = qx_TreeNode;

Tree* last_child(const Tree* node) {
  Tree* child = node->firstChild;
  while (child && child->nextSibling) child = child->nextSibling;
  return child;
}

bool name_matches(const Tree* node, const qx_wchar* name) {
  return node->name && name && qx_Str_cmpi(node->name, name) == 0;
}

// The frame lines of the nested visits a recursive walk makes: the start
// node's frame belongs to the exported function itself.
struct VisitFrames {
  const qx_wchar* name;
  const Tree* root;
  void enter(const Tree* node) const {
    if (node != root) qx::trace_event(kTree, "Entering", name, __LINE__);
  }
  void leave(const Tree* node) const {
    if (node != root) qx::trace_event(kTree, kTree.exit_word, name, __LINE__);
  }
  // Closes the frames still open when a node is accepted.
  void unwind(const Tree* node, const std::vector<const Tree*>& path) const {
    leave(node);
    for (auto it = path.rbegin(); it != path.rend(); ++it) leave(*it);
  }
};

// Callback on the node, then on each child's subtree in order.
Tree* visit_pre(Tree* root, void* context, qx_TreeVisitFn callback) {
  VisitFrames frames{u"qx_TreeNode_visitPre", root};
  std::vector<const Tree*> path;  // ancestors whose children are being visited
  Tree* node = root;
  for (;;) {
    frames.enter(node);
    if (callback(context, node->data) == 1) {
      frames.unwind(node, path);
      return node;
    }
    if (node->firstChild) {
      path.push_back(node);
      node = node->firstChild;
      continue;
    }
    // The node's subtree is done: go on with the next sibling, or finish
    // the parents whose last child this was.
    for (;;) {
      if (node == root) return nullptr;
      frames.leave(node);
      if (node->nextSibling) {
        node = node->nextSibling;
        break;
      }
      node = const_cast<Tree*>(path.back());
      path.pop_back();
    }
  }
}

// Each child's subtree in order, then the callback on the node.
Tree* visit_post(Tree* root, void* context, qx_TreeVisitFn callback) {
  VisitFrames frames{u"qx_TreeNode_visitPost", root};
  std::vector<const Tree*> path;
  Tree* node = root;
  auto descend = [&] {
    while (node->firstChild) {
      path.push_back(node);
      node = node->firstChild;
      frames.enter(node);
    }
  };
  descend();
  for (;;) {
    if (callback(context, node->data) == 1) {
      frames.unwind(node, path);
      return node;
    }
    if (node == root) return nullptr;
    frames.leave(node);
    if (node->nextSibling) {
      node = node->nextSibling;
      frames.enter(node);
      descend();
    } else {
      node = const_cast<Tree*>(path.back());
      path.pop_back();
    }
  }
}

}  // namespace

extern "C" {

qx_TreeNode* qx_TreeNode_create(const qx_wchar* name, void* data) {
  QX_TRACE(kTree, u"qx_TreeNode_create");
  auto* node = static_cast<Tree*>(qx_Malloc(sizeof(Tree)));
  if (!node) QX_RETURN(node);
  *node = Tree{nullptr, data, nullptr, nullptr, nullptr, nullptr};
  if (name && !(node->name = qx_Str_dup(name))) {
    qx_Free(node);
    QX_RETURN(static_cast<Tree*>(nullptr));
  }
  QX_RETURN(node);
}

int qx_TreeNode_setName(qx_TreeNode* node, const qx_wchar* name) {
  QX_TRACE(kTree, u"qx_TreeNode_setName");
  if (!node) QX_RETURN(0);
  qx_Free(node->name);
  node->name = qx_Str_dup(name);
  QX_RETURN(1);
}

qx_wchar* qx_TreeNode_getName(const qx_TreeNode* node) {
  QX_TRACE(kTree, u"qx_TreeNode_getName");
  QX_RETURN(node ? node->name : nullptr);
}

int qx_TreeNode_setData(qx_TreeNode* node, void* data) {
  QX_TRACE(kTree, u"qx_TreeNode_setData");
  if (node) node->data = data;
  QX_RETURN(0);
}

void* qx_TreeNode_getData(const qx_TreeNode* node) {
  QX_TRACE(kTree, u"qx_TreeNode_getData");
  QX_RETURN(node ? node->data : nullptr);
}

// The root value shares the data field and is set only once.
int qx_TreeNode_setRoot(qx_TreeNode* node, void* value) {
  QX_TRACE(kTree, u"qx_TreeNode_setRoot");
  if (!node || node->data || !value) QX_RETURN(0);
  node->data = value;
  QX_RETURN(1);
}

void* qx_TreeNode_getRoot(const qx_TreeNode* node) {
  QX_TRACE(kTree, u"qx_TreeNode_getRoot");
  QX_RETURN(node ? node->data : nullptr);
}

int qx_TreeNode_insChild(qx_TreeNode* parent, qx_TreeNode* child) {
  QX_TRACE(kTree, u"qx_TreeNode_insChild");
  if (!parent || !child) QX_RETURN(0);
  if (Tree* last = last_child(parent)) {
    last->nextSibling = child;
    child->previousSibling = last;
  } else {
    parent->firstChild = child;
    child->previousSibling = nullptr;
  }
  child->parent = parent;
  QX_RETURN(1);
}

qx_TreeNode* qx_TreeNode_getParent(const qx_TreeNode* node) {
  QX_TRACE(kTree, u"qx_TreeNode_getParent");
  QX_RETURN(node ? node->parent : nullptr);
}

qx_TreeNode* qx_TreeNode_getFirstChild(const qx_TreeNode* node) {
  QX_TRACE(kTree, u"qx_TreeNode_getFirstChild");
  QX_RETURN(node ? node->firstChild : nullptr);
}

qx_TreeNode* qx_TreeNode_getLastChild(const qx_TreeNode* node) {
  QX_TRACE(kTree, u"qx_TreeNode_getLastChild");
  QX_RETURN(node ? last_child(node) : nullptr);
}

qx_TreeNode* qx_TreeNode_getNextSibling(const qx_TreeNode* node) {
  QX_TRACE(kTree, u"qx_TreeNode_getNextSibling");
  QX_RETURN(node ? node->nextSibling : nullptr);
}

qx_TreeNode* qx_TreeNode_getPreviousSibling(const qx_TreeNode* node) {
  QX_TRACE(kTree, u"qx_TreeNode_getPreviousSibling");
  QX_RETURN(node ? node->previousSibling : nullptr);
}

int qx_TreeNode_getChildCount(const qx_TreeNode* node, const qx_wchar* name) {
  QX_TRACE(kTree, u"qx_TreeNode_getChildCount");
  if (!node) QX_RETURN(0);
  int count = 0;
  for (const Tree* child = node->firstChild; child; child = child->nextSibling)
    if (!name || name_matches(child, name)) ++count;
  QX_RETURN(count);
}

qx_TreeNode* qx_TreeNode_getChildByName(const qx_TreeNode* node, const qx_wchar* name,
                                        int occurrence) {
  QX_TRACE(kTree, u"qx_TreeNode_getChildByName");
  if (!node || !name) QX_RETURN(static_cast<Tree*>(nullptr));
  int wanted = occurrence < 1 ? 1 : occurrence;
  for (Tree* child = node->firstChild; child; child = child->nextSibling)
    if (name_matches(child, name) && --wanted == 0) QX_RETURN(child);
  QX_RETURN(static_cast<Tree*>(nullptr));
}

// Every part but the last takes the first child of its name; the last takes
// the occurrence asked for.
qx_TreeNode* qx_TreeNode_search(const qx_TreeNode* start, const qx_wchar* path, int occurrence) {
  QX_TRACE(kTree, u"qx_TreeNode_search");
  if (!start || !path) QX_RETURN(static_cast<Tree*>(nullptr));
  qx_StrList* parts = qx_StrList_fromDelimitedString(path, u".");
  if (!parts) QX_RETURN(static_cast<Tree*>(nullptr));
  const Tree* node = start;
  for (qx_LnkListNode* part = parts->first; part && node; part = part->next) {
    const qx_wchar* name = static_cast<qx_StrListNode*>(part->data)->str;
    node = qx_TreeNode_getChildByName(node, name, part->next ? 1 : occurrence);
  }
  qx_StrList_destroy(parts);
  QX_RETURN(const_cast<Tree*>(node));
}

// Pre-order successor over the whole tree, not limited to a subtree.
qx_TreeNode* qx_TreeNode_next(const qx_TreeNode* node) {
  if (!node) return nullptr;
  if (node->firstChild) return node->firstChild;
  for (const Tree* at = node; at; at = at->parent)
    if (at->nextSibling) return at->nextSibling;
  return nullptr;
}

qx_TreeNode* qx_TreeNode_visit(qx_TreeNode* node, void* context, qx_TreeVisitFn callback,
                               int order) {
  QX_TRACE(kTree, u"qx_TreeNode_visit");
  if (order == 0 || order == QX_TREE_VISIT_PRE) QX_RETURN(qx_TreeNode_visitPre(node, context, callback));
  if (order == QX_TREE_VISIT_POST) QX_RETURN(qx_TreeNode_visitPost(node, context, callback));
  QX_RETURN(static_cast<Tree*>(nullptr));
}

qx_TreeNode* qx_TreeNode_visitPre(qx_TreeNode* node, void* context, qx_TreeVisitFn callback) {
  QX_TRACE(kTree, u"qx_TreeNode_visitPre");
  if (!node || !callback) QX_RETURN(static_cast<Tree*>(nullptr));
  QX_RETURN(visit_pre(node, context, callback));
}

qx_TreeNode* qx_TreeNode_visitPost(qx_TreeNode* node, void* context, qx_TreeVisitFn callback) {
  QX_TRACE(kTree, u"qx_TreeNode_visitPost");
  if (!node || !callback) QX_RETURN(static_cast<Tree*>(nullptr));
  QX_RETURN(visit_post(node, context, callback));
}

int qx_TreeNode_delCurr(qx_TreeNode* node, qx_ReleaseFn release) {
  QX_TRACE(kTree, u"qx_TreeNode_delCurr");
  if (!node || node->firstChild) QX_RETURN(0);
  if (node->nextSibling) node->nextSibling->previousSibling = node->previousSibling;
  if (node->previousSibling)
    node->previousSibling->nextSibling = node->nextSibling;
  else if (node->parent)
    node->parent->firstChild = node->nextSibling;
  if (release) release(node->data);
  qx_Free(node->name);
  qx_Free(node);
  QX_RETURN(1);
}

// Children before parents, later siblings before earlier ones.
int qx_TreeNode_destroy(qx_TreeNode* node, qx_ReleaseFn release) {
  if (!node) return 0;
  struct Pending {
    Tree* node;
    Tree* child;  // the next child to destroy, walking backwards
  };
  std::vector<Pending> stack{{node, last_child(node)}};
  int result = 0;
  while (!stack.empty()) {
    Pending& top = stack.back();
    if (Tree* child = top.child) {
      top.child = child->previousSibling;
      stack.push_back({child, last_child(child)});
    } else {
      result = qx_TreeNode_delCurr(top.node, release);
      stack.pop_back();
    }
  }
  return result;
}

}  // extern "C"
