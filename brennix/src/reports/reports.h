// The two texts that describe the new image: the header report of the log
// and the colour file with legends for the new law.
#ifndef BRENNIX_REPORTS_H
#define BRENNIX_REPORTS_H

#include "ida_header.h"

#include <string>
#include <vector>

namespace brennix {

// The 20 report lines of a header, each a 40-character label, the value
// text and "<", without line ends.
std::vector<std::string> header_report_lines(const HeaderBytes &header);

// The whole colour file, 17 lines each ended by CR LF.
std::string colour_file_text(double slope, double intercept);

// The colour file's name: the file-name part (after the last "/") upper-
// cased, a-z and the UTF-8 forms of seven accented letters (a-umlaut,
// o-umlaut, u-umlaut, e-acute, n-tilde, a-ring, c-cedilla); folders stay as
// typed, since on a case-sensitive file system an upper-cased folder would
// not be the one meant.
std::string colour_file_name(const std::string &name);

} // namespace brennix

#endif
