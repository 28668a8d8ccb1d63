// Pack's rollback journal.  Pack closes up the kept records in place and
// rebuilds the index files; a crash half-way would leave records listed
// twice, or cut away, under the old count.  So before pack changes a byte it
// copies everything it is going to overwrite into a journal beside the data
// file (the header, the data file from the first record that moves to its
// end, and every index file it rebuilds) and brings the journal to the disk.
// When the packed table and its indexes are on the disk, the journal is
// removed: that removal is the moment the pack takes effect.  An open (or a
// pack) that finds a journal left by a crash puts the saved bytes back
// first, so after any crash the table is either as before the pack or as
// after it, never a mixture.  The files are changed in place throughout, so
// other processes that hold them open keep valid handles.
//
// Layout (little-endian): a 32-byte head (the mark "QXPACKJ" and the
// journal version 1, the number of entries, the journal's full length),
// then the entries, each a 32-byte head (role: 0 data file, 1 index file;
// name length; the file's length before the pack; the offset and size of
// the saved bytes), the name (UTF-8 system path of an index file, empty for
// the data file, which is the file the journal stands beside) and the saved
// bytes.  The head is written last, after the rest is on the disk: a journal
// without its mark was cut short before pack changed anything and is simply
// removed.
#ifndef QX_DBF_JOURNAL_H
#define QX_DBF_JOURNAL_H

#include <cstdint>
#include <string>

namespace qx::dbf {

struct Engine;
struct Table;

// The system path of the journal of the data file `table_name` (an engine
// file name).
std::string journal_path(const std::string& table_name);
bool journal_exists(const std::string& table_name);

// Opening a table: when a journal stands beside it, waits for the data
// file's whole-file lock (a pack that is still running holds it and removes
// its journal before letting go), then puts back what a crashed pack saved
// and removes the journal.  0 when there was nothing to do or the table is
// restored; 50 when the lock could not be had; an error otherwise (the table
// must not be used then).
int journal_recover(Engine* engine, const std::string& table_name);
// The same for a table that already holds its whole-file lock (pack).
int journal_recover_locked(Table* t);

// Saves what pack will overwrite: the header, the data file from `from` to
// its end and every index file with a journal file; the journal is complete
// and on the disk when this returns 0.  An error leaves the table unchanged.
int journal_begin(Table* t, uint64_t from);
// Brings the table's index files to the disk (those that name their file
// through the index seam, else the production index found by its name).
int sync_index_files(Table* t);
// Brings the packed data file and its index files to the disk, then removes
// the journal.  On an error the journal stays (see journal_recover_locked).
int journal_commit(Table* t);

}  // namespace qx::dbf

#endif  // QX_DBF_JOURNAL_H
