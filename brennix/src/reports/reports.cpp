// Header report and colour file.
#include "reports.h"

#include "number_text.h"
#include "quorvex/quorvex.h"

#include <cmath>

namespace brennix {
namespace {

enum class Kind { byte, int16, title_first, title_second, real };

struct ReportItem {
    const char *label;
    std::size_t offset;
    Kind kind;
};

const ReportItem report_items[] = {
    {"Header.ImageType       AS BYTE         >", field::ImageType, Kind::byte},
    {"Header.Projection      AS BYTE         >", field::Projection, Kind::byte},
    {"Header.Height          AS INTEGER      >", field::Height, Kind::int16},
    {"Header.WIDz            AS INTEGER      >", field::WIDz, Kind::int16},
    {"Header.Title( 1-40)    AS STRING*80    >", field::Title, Kind::title_first},
    {"Header.Title(41-80)    AS STRING*80    >", field::Title, Kind::title_second},
    {"Header.LatCenter       AS string*6     >", field::LatCenter, Kind::real},
    {"Header.LongCenter      AS string*6     >", field::LongCenter, Kind::real},
    {"Header.xcenter         AS string*6     >", field::xcenter, Kind::real},
    {"Header.ycenter         AS string*6     >", field::ycenter, Kind::real},
    {"Header.dx              AS string*6     >", field::dx, Kind::real},
    {"Header.dy              AS string*6     >", field::dy, Kind::real},
    {"Header.Parallel1       AS string*6     >", field::Parallel1, Kind::real},
    {"Header.Parallel2       AS string*6     >", field::Parallel2, Kind::real},
    {"Header.Lower           AS BYTE         >", field::Lower, Kind::byte},
    {"Header.Upper           AS BYTE         >", field::Upper, Kind::byte},
    {"Header.Missing         AS BYTE         >", field::Missing, Kind::byte},
    {"Header.m (slope)       AS string*6     >", field::m, Kind::real},
    {"Header.b (intercept)   AS string*6     >", field::b, Kind::real},
    {"Header.Decimals        AS BYTE         >", field::Decimals, Kind::byte},
};

constexpr std::size_t title_half = field::title_length / 2;

std::string report_value(const HeaderBytes &header, const ReportItem &item)
{
    const unsigned char *at = &header[item.offset];
    switch (item.kind) {
    case Kind::byte:
        return whole_mask_text(*at);
    case Kind::int16:
        return whole_mask_text(read_int16(header, item.offset));
    case Kind::title_first:
        return std::string(reinterpret_cast<const char *>(at), title_half);
    case Kind::title_second:
        return std::string(reinterpret_cast<const char *>(at) + title_half, title_half);
    case Kind::real:
        return real_mask_text(_RealPascalToDoubleC(at));
    }
    return std::string();
}

// One class of the colour table: its fixed text and the stored bytes whose
// legend numbers follow it (none, one, or a range "from to to").
struct ColourRow {
    const char *fixed;
    int first_legend;
    int second_legend;
};

constexpr int none = -1;

const ColourRow colour_rows[] = {
    {"From    To   Red     Green   Blue    Legend", none, none},
    {"  0      0   255     255       0        <", 1, none},
    {"  1      9   255     255     217     ", 1, 9},
    {"  9     19   236     255     255     ", 9, 19},
    {" 19     29   123     255     255     ", 19, 29},
    {" 29     49     0     238     238     ", 29, 49},
    {" 49     79     0     206     206     ", 49, 79},
    {" 79     99    26     141     185     ", 79, 99},
    {" 99    129     3     112     158     ", 99, 129},
    {"129    159    11      70     123     ", 129, 159},
    {"159    179   102      28     170     ", 159, 179},
    {"179    194   154      65     123     ", 179, 194},
    {"194    210   140      55     121     ", 194, 210},
    // The legend of this class starts at 210 although the class starts at
    // 211; colour files already in use read so, and stay comparable.
    {"211    229   168      38      71     ", 210, 229},
    {"229    253    28       2       7     ", 229, 253},
    {"254    254   255       0       0        >", 253, none},
    {"255    255     0     255       0        Missing", none, none},
};

} // namespace

std::vector<std::string> header_report_lines(const HeaderBytes &header)
{
    std::vector<std::string> lines;
    for (const ReportItem &item : report_items)
        lines.push_back(std::string(item.label) + report_value(header, item) + "<");
    return lines;
}

std::string colour_file_text(double slope, double intercept)
{
    const auto legend = [&](int k) { return number_text(std::floor(slope * k + intercept)); };
    std::string text;
    for (const ColourRow &row : colour_rows) {
        text += row.fixed;
        if (row.first_legend != none)
            text += legend(row.first_legend);
        if (row.second_legend != none)
            text += " to " + legend(row.second_legend);
        text += "\r\n";
    }
    return text;
}

std::string colour_file_name(const std::string &name)
{
    std::string upper = name;
    const std::size_t slash = upper.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    // Second bytes of the UTF-8 forms (after 0xC3) of a-umlaut, o-umlaut,
    // u-umlaut, e-acute, n-tilde, a-ring and c-cedilla; each upper-case
    // form lies 0x20 below.
    const std::string accented_lower = "\xA4\xB6\xBC\xA9\xB1\xA5\xA7";
    for (std::size_t i = start; i < upper.size(); ++i) {
        char &c = upper[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c == '\xC3' && i + 1 < upper.size() &&
                   accented_lower.find(upper[i + 1]) != std::string::npos) {
            upper[i + 1] = static_cast<char>(static_cast<unsigned char>(upper[i + 1]) - 0x20);
            ++i;
        }
    }
    return upper;
}

} // namespace brennix
