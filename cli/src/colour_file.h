// Colour files as Brennix writes them: a heading line, then one class per
// line, "From To Red Green Blue Legend": the first and last byte of the
// class, its colour, and a legend text that runs to the end of the line.
#ifndef QUORVEX_CLI_COLOUR_FILE_H
#define QUORVEX_CLI_COLOUR_FILE_H

#include <cstddef>
#include <string>
#include <vector>

namespace cli {

struct ColourClass {
    int from, to; // 0-255, from <= to
    unsigned char red, green, blue;
    std::string legend; // blanks at both ends removed
};

// Reads a colour file's text; name stands for the file in errors.  Blank
// lines are skipped, a first line that does not begin with a number is the
// heading, fields are separated by blanks, lines end in LF or CR LF.  On a
// malformed line returns false with *error = "NAME:LINE: reason".
bool read_colour_text(const char *text, std::size_t size, const std::string &name,
                      std::vector<ColourClass> *classes, std::string *error);

// The same for a file; *error = "PATH: reason" when it cannot be read.
bool read_colour_file(const std::string &path, std::vector<ColourClass> *classes,
                      std::string *error);

} // namespace cli

#endif
