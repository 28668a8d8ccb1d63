/* Records in a linked list, sorted; a tree walked by dotted path.

   The list holds pointers to the program's own records: the list owns its
   nodes, the program owns the records and hands a release callback to
   qx_LnkList_destroy so that they are freed with the list.  The tree names
   a plant's areas and equipment and finds a node by a path such as
   "north.pumps.p2". */
#include <stdio.h>
#include <stdlib.h>

#include <qx/qx.h>

typedef struct Part {
  const char *name;
  int quantity;
} Part;

static Part *new_part(const char *name, int quantity) {
  Part *p = malloc(sizeof *p);
  p->name = name;
  p->quantity = quantity;
  return p;
}

static int free_part(void *data) {
  free(data);
  return 1;
}

/* Ascending quantity.  The quicksort is not stable: equal quantities end
   where its partitioning leaves them, the same on every run. */
static int by_quantity(const void *a, const void *b) {
  const Part *x = a, *y = b;
  if (x->quantity != y->quantity) return x->quantity < y->quantity ? -1 : 1;
  return 0;
}

static int is_named(const void *element, const void *key) {
  const char *a = ((const Part *)element)->name, *b = key;
  while (*a && *a == *b) ++a, ++b;
  return *a - *b;
}

/* Prints each node's path while the visit walks the tree. */
static int print_node(void *context, void *data) {
  (void)context;
  printf("  %s\n", (const char *)data);
  return 0; /* 0: keep visiting */
}

int main(void) {
  qx_LnkList *parts = qx_LnkList_create(new_part("flange", 12), new_part("bolt", 240),
                                        new_part("gasket", 12), new_part("valve", 3), NULL);
  qx_LnkList_qSort(parts, by_quantity);
  printf("%d parts by quantity:\n", qx_LnkList_length(parts));
  for (qx_LnkList_start(parts); !qx_LnkList_eol(parts); qx_LnkList_next(parts)) {
    const Part *p = qx_LnkList_getCurr(parts);
    printf("  %-8s %4d\n", p->name, p->quantity);
  }
  const Part *found = qx_LnkList_search(parts, "gasket", is_named);
  printf("search gasket: %d at position %d\n", found ? found->quantity : -1,
         qx_LnkList_getPos(parts));
  qx_LnkList_destroy(parts, free_part); /* frees every record too */

  /* The tree's node data are the caller's: here static texts, so destroy
     gets no release callback. */
  qx_TreeNode *plant = qx_TreeNode_create(QX_T("plant"), "plant");
  qx_TreeNode *north = qx_TreeNode_create(QX_T("north"), "plant.north");
  qx_TreeNode *pumps = qx_TreeNode_create(QX_T("pumps"), "plant.north.pumps");
  qx_TreeNode_insChild(plant, north);
  qx_TreeNode_insChild(north, pumps);
  qx_TreeNode_insChild(pumps, qx_TreeNode_create(QX_T("p1"), "plant.north.pumps.p1"));
  qx_TreeNode_insChild(pumps, qx_TreeNode_create(QX_T("p2"), "plant.north.pumps.p2"));
  qx_TreeNode_insChild(plant, qx_TreeNode_create(QX_T("south"), "plant.south"));

  /* Paths start below the node searched from; names match in any case. */
  qx_TreeNode *p2 = qx_TreeNode_search(plant, QX_T("North.Pumps.P2"), 1);
  printf("search North.Pumps.P2: %s\n", p2 ? (const char *)qx_TreeNode_getData(p2) : "none");
  printf("search north.valves: %s\n",
         qx_TreeNode_search(plant, QX_T("north.valves"), 1) ? "found" : "none");
  printf("pumps has %d children\n", qx_TreeNode_getChildCount(pumps, NULL));
  printf("pre-order:\n");
  qx_TreeNode_visitPre(plant, NULL, print_node);
  qx_TreeNode_destroy(plant, NULL);
  return 0;
}
