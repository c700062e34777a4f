// Fuzz target for Brennix's whole run, in-process with a silent console.
// Input: one byte for the length of the Slope text, one for the Intercept
// text, the two texts, then the bytes of the input image file.  The file
// names are fixed, in a private temporary folder, so the fuzzer chooses
// what is read, never where anything is written.  Checked after each run:
// the exit status, exactly which files exist (nothing half written on a
// failure), the output image's size, header and pixel range, and the CR LF
// line ends of the text files.
#include "brennix.h"
#include "console.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t header_size = 512;
constexpr size_t longest_number_text = 24;
constexpr int height_at = 30;
constexpr int width_at = 32;
constexpr size_t title_at = 38;
constexpr size_t title_end = 118;
constexpr size_t lower_at = 168;
constexpr size_t upper_at = 169;
constexpr size_t missing_at = 170;
constexpr size_t law_at = 171; // slope and intercept, 12 bytes
constexpr size_t law_end = 183;

// The private folder, removed with everything in it when the process ends.
// Its path lives in the object whose destructor removes it, so the removal
// never reads a path already destroyed.
class WorkFolder {
public:
    WorkFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "brennix-fuzz-XXXXXX").string();
        FUZZ_REQUIRE(mkdtemp(&pattern[0]) != nullptr);
        path_ = pattern;
    }
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;
    ~WorkFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path &path() const { return path_; }

private:
    fs::path path_;
};

const fs::path &work_folder()
{
    static const WorkFolder folder;
    return folder.path();
}

std::vector<unsigned char> contents(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> files_in(const fs::path &folder)
{
    std::set<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

bool lines_end_in_cr_lf(const std::vector<unsigned char> &text)
{
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    return text.size() >= 2 && text[text.size() - 2] == '\r' && text.back() == '\n';
}

int int16_at(const std::vector<unsigned char> &bytes, int at)
{
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8)));
}

void check_output_image(const std::vector<unsigned char> &in, const std::vector<unsigned char> &out)
{
    const int height = int16_at(in, height_at);
    const int width = int16_at(in, width_at);
    const long long product = static_cast<long long>(height) * width;
    const size_t pixels = product > 0 ? static_cast<size_t>(product) : 0;
    FUZZ_REQUIRE(out.size() == header_size + pixels);

    // Only the title, the coded range and the law change.
    for (size_t i = 0; i < header_size; ++i) {
        const bool derived = (i >= title_at && i < title_end) || i == lower_at || i == upper_at ||
                             (i >= law_at && i < law_end);
        if (!derived)
            FUZZ_REQUIRE(out[i] == in[i]);
    }
    const unsigned missing = in[missing_at];
    FUZZ_REQUIRE(out[lower_at] == 0);
    FUZZ_REQUIRE(out[upper_at] == ((missing + 255) & 255));

    // A size with two negative factors promises pixels that no row visits:
    // they pass unchanged.  Otherwise missing data passes and every other
    // byte lands in the valid range 0 .. Missing - 1 (0 when Missing is 0).
    const bool visited = height > 0 && width > 0;
    const unsigned highest = missing > 0 ? missing - 1 : 0;
    for (size_t i = 0; i < pixels; ++i) {
        const unsigned before = in[header_size + i];
        const unsigned after = out[header_size + i];
        if (!visited || before == missing)
            FUZZ_REQUIRE(after == before);
        else
            FUZZ_REQUIRE(after <= highest);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    size_t slope_length = data[0] % (longest_number_text + 1);
    size_t intercept_length = data[1] % (longest_number_text + 1);
    size_t at = 2;
    slope_length = std::min(slope_length, size - at);
    const std::string slope(reinterpret_cast<const char *>(data + at), slope_length);
    at += slope_length;
    intercept_length = std::min(intercept_length, size - at);
    const std::string intercept(reinterpret_cast<const char *>(data + at), intercept_length);
    at += intercept_length;
    const std::vector<unsigned char> image(data + at, data + size);

    const fs::path &folder = work_folder();
    for (const std::string &name : files_in(folder))
        fs::remove(folder / name);
    const fs::path in = folder / "in.ida";
    {
        std::ofstream file(in, std::ios::binary);
        file.write(reinterpret_cast<const char *>(image.data()),
                   static_cast<std::streamsize>(image.size()));
        FUZZ_REQUIRE(file.good());
    }
    const fs::path out = folder / "out.ida";
    const fs::path log = folder / "run.log";
    const fs::path colour = folder / "COLOUR.CLR";
    const std::string command = in.string() + " " + out.string() + " " + slope + " " + intercept +
                                " " + log.string() + " " + colour.string();

    brennix::SilentConsole console;
    const int status = brennix::run_command(command, console);
    const std::set<std::string> left = files_in(folder);

    FUZZ_REQUIRE(contents(in) == image);
    if (status == brennix::exit_success) {
        FUZZ_REQUIRE(left == (std::set<std::string>{"in.ida", "out.ida", "run.log", "COLOUR.CLR"}));
        FUZZ_REQUIRE(image.size() >= header_size);
        check_output_image(image, contents(out));
        FUZZ_REQUIRE(lines_end_in_cr_lf(contents(log)));
        FUZZ_REQUIRE(lines_end_in_cr_lf(contents(colour)));
    } else if (status == brennix::exit_failure) {
        FUZZ_REQUIRE(left == (std::set<std::string>{"in.ida", "run.log"}));
        FUZZ_REQUIRE(lines_end_in_cr_lf(contents(log)));
    } else {
        FUZZ_REQUIRE(status == brennix::exit_usage);
        FUZZ_REQUIRE(left == std::set<std::string>{"in.ida"});
    }
    return 0;
}
