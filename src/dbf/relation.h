// Queries over a table: the records for which a logical expression is true,
// walked in the table's selected order.  The set of matching records is
// settled when the walk begins (relTop): from the tags whose key expressions
// the query compares with constants where it can, otherwise by evaluating
// the query for every record.
#ifndef QX_DBF_RELATION_H
#define QX_DBF_RELATION_H

namespace qx::dbf {

struct Table;
struct Relation;

// A query over `table` (in its selected order), with no expression yet:
// every record matches.  Null when the context is in error.
Relation* relInit(Table* table);
// Sets the query expression (a copy is kept); null or empty removes it.
// 0, or -1 for no query.
int relSetQuery(Relation* relation, const char* expression);
// Locks the query's table as a whole / releases the locks: 0, 50 or an
// error.
int relLock(Relation* relation);
int relUnlock(Relation* relation);
// Goes to the first matching record: 0 while one is current, 3 (end of
// file) when there is none, -1 when the expression does not parse (its
// error in lastError), or the error of a move.
int relTop(Relation* relation);
// Moves `count` matching records on (backwards when negative): 0 while one
// is current, 3 after the last (end of file), 4 before the first (the first
// matching record current again).
int relSkip(Relation* relation, long count);
// Releases the query; with `closeFiles` the table is closed too.  0 or the
// error of closing.
int relFree(Relation* relation, int closeFiles);

// Whether the last relTop took its records from tags (for tests and
// benchmarks of the query walk).
bool rel_used_tags(const Relation* relation);

}  // namespace qx::dbf

#endif  // QX_DBF_RELATION_H
