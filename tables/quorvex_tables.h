// The caller's tables of IDA types, projections and spheroids that the
// library's header reader and consistency check take, read from a text file
// in the library's record syntax.  Shared by our own front ends (C++ only;
// nothing here crosses the library's boundary).
//
// File syntax: one row per line, comments after ";" or "#", blank lines
// ignored.  A row is a kind word followed by blank-separated key=value
// fields (values with blanks in double quotes, no space next to "="):
//
//   projection code=4 name="Lambert conf. conic" parfalse=1
//   spheroid   code=1 name="WGS 84" a=6378137 b=6356752.314245
//   idatype    code=12 label="NDVI x 250" mincodedvalue=0 maxcodedvalue=250
//              missingcodes=255,254 slope=0.004 intercept=-0.1
//
// (an idatype row is one line).  Keys of each kind:
//   projection  code 0-255, name (at most 20 characters), parfalse 0-255
//               (bit 0: two standard parallels in the header; default 0)
//   spheroid    code 0-13, name (at most 11 characters), a, b (axes,
//               0 < b <= a)
//   idatype     code 0-255, label, mincodedvalue, maxcodedvalue (default
//               0 and 255), missingcodes, maskingcodes, cloudcodes,
//               nodatacodes (up to 10 comma-separated codes each), sp1,
//               sp2 (default none), slope, intercept (default 1 and 0)
// A code may appear once per kind.  Rows not given stay zero.
#ifndef QUORVEX_TABLES_H
#define QUORVEX_TABLES_H

#include "quorvex/quorvex.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

struct QuorvexTables {
    // In file order; types.size() is the NIdaType the library takes.
    std::vector<IDATYPE> types;
    // Owns the text every types[i].label points at.  Shared, never changed
    // after loading, so copies of the tables stay valid on their own.
    std::vector<std::shared_ptr<char[]>> labels;
    // Indexed by projection code: a row for every code a header byte can
    // hold, zero where the file gives none.
    PROJITEM projections[256] = {};
    // Indexed by spheroid code; the header reader uses rows 1, 4 and 12.
    static constexpr int spheroid_rows = 14;
    SFEROID spheroids[spheroid_rows] = {};

    int16_t type_count() const { return static_cast<int16_t>(types.size()); }
    // The row of an IDA type code, or null.
    const IDATYPE *find_type(int code) const;
};

// Reads the tables file at path into *tables, replacing what it held.  On
// failure returns false, leaves *tables unchanged and sets *error (if not
// null) to "FILE:LINE: reason" (no line number when the file cannot be
// read).
bool load_tables_file(const char *path, QuorvexTables *tables, std::string *error);

// The same for text already in memory; name stands for the file in errors.
bool load_tables_text(const char *text, std::size_t size, const char *name, QuorvexTables *tables,
                      std::string *error);

// The built-in default tables (the text of default_tables.txt).
bool load_default_tables(QuorvexTables *tables);

// The text of the built-in default tables file.
std::string default_tables_text();

#endif
