// Fuzz target for the tables reader of our front ends: the input is a
// tables file.  A refused file must give "NAME:LINE: reason" with a line the
// file has and leave the tables as they were; accepted tables must be safe
// for the library: every label terminated, every name within its row,
// spheroid axes with 0 < b <= a, type codes unique.  The header reader then
// runs on the input's first bytes with those tables.
#include "fuzz_check.h"
#include "quorvex_tables.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *text = reinterpret_cast<const char *>(data);
    QuorvexTables tables;
    tables.spheroids[0].a = 42.0; // no file can give row 0 this and b = 0
    std::string error;
    if (!load_tables_text(text, size, "f", &tables, &error)) {
        FUZZ_REQUIRE(error.compare(0, 2, "f:") == 0);
        char *end = nullptr;
        const long line = std::strtol(error.c_str() + 2, &end, 10);
        FUZZ_REQUIRE(line >= 1 && line <= 1 + std::count(text, text + size, '\n'));
        FUZZ_REQUIRE(std::strncmp(end, ": ", 2) == 0 && end[2] != '\0');
        FUZZ_REQUIRE(tables.spheroids[0].a == 42.0 && tables.types.empty());
        return 0;
    }
    for (const PROJITEM &p : tables.projections)
        FUZZ_REQUIRE(memchr(p.name, '\0', sizeof p.name) != nullptr);
    for (const SFEROID &s : tables.spheroids) {
        FUZZ_REQUIRE(memchr(s.name, '\0', sizeof s.name) != nullptr);
        FUZZ_REQUIRE((s.a == 0.0 && s.b == 0.0) || (s.b > 0.0 && s.b <= s.a));
    }
    std::set<int> codes;
    FUZZ_REQUIRE(tables.labels.size() == tables.types.size());
    for (std::size_t i = 0; i < tables.types.size(); ++i) {
        const IDATYPE &t = tables.types[i];
        FUZZ_REQUIRE(codes.insert(t.code).second);
        FUZZ_REQUIRE(t.label == tables.labels[i].get() && std::strlen(t.label) < size);
        FUZZ_REQUIRE(t.mincodedvalue <= t.maxcodedvalue);
    }
    unsigned char header[QUORVEX_HEADER_SIZE] = {};
    std::memcpy(header, data, std::min<std::size_t>(size, sizeof header));
    IMAGETYPE image = {};
    _IDAHeaderToIT(header, &image, tables.projections, tables.spheroids, tables.types.data(),
                   tables.type_count(), 1);
    return 0;
}
