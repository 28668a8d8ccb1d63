"""Prints a table as the dbfread module reads it, one record a line:
"live" or "deleted", then NAME=value pairs with values in ascii() form.
Exits with 77 when the module is not installed."""
import sys

try:
    import dbfread
except ImportError:
    sys.exit(77)

table = dbfread.DBF(sys.argv[1], encoding="latin-1", load=True)
print("version=%d fields=%s" % (table.header.dbversion,
      ",".join("%s:%s:%d:%d" % (f.name, f.type, f.length, f.decimal_count)
               for f in table.fields)))
for kind, records in (("live", table.records), ("deleted", table.deleted)):
    for record in records:
        print(kind + "|" + "|".join("%s=%s" % (k, ascii(v)) for k, v in record.items()))
