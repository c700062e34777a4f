// Implementation of the end-to-end test helpers.
#include "run_support.h"

#include "brennix.h"
#include "quorvex/quorvex.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace brennix {
namespace testing {
namespace {

void put_real(std::string &header, std::size_t at, double value)
{
    unsigned char bytes[6];
    _DoubleCtoRealPascal(bytes, value);
    std::memcpy(&header[at], bytes, 6);
}

void put_int16(std::string &header, std::size_t at, int value)
{
    header[at] = static_cast<char>(value & 0xff);
    header[at + 1] = static_cast<char>((value >> 8) & 0xff);
}

void remove_tree(const std::string &path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode)) {
        for (const std::string &entry : folder_entries(path))
            remove_tree(path + "/" + entry);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

} // namespace

std::string make_ida(const TestImage &image)
{
    std::string header(512, '\0');
    header[22] = static_cast<char>(200);
    header[23] = 3;
    put_int16(header, 30, image.height);
    put_int16(header, 32, image.width);
    const std::string title = "Test image" + std::string(70, ' ');
    header.replace(38, 80, title);
    put_real(header, 120, 45.0);
    put_real(header, 126, 10.0);
    put_real(header, 132, 100.0);
    put_real(header, 138, 50.0);
    put_real(header, 144, 10.0);
    put_real(header, 150, 10.0);
    header[168] = 0;
    header[169] = static_cast<char>(250);
    header[170] = static_cast<char>(image.missing);
    put_real(header, 171, image.slope);
    put_real(header, 177, image.intercept);
    header[183] = 2;
    return header + std::string(image.pixels.begin(), image.pixels.end());
}

std::string read_file(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string &name, const std::string &bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool file_exists(const std::string &name)
{
    struct stat info;
    return stat(name.c_str(), &info) == 0;
}

std::vector<std::string> folder_entries(const std::string &folder)
{
    std::vector<std::string> names;
    if (DIR *dir = opendir(folder.c_str())) {
        while (const dirent *entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

std::vector<std::string> crlf_lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void ScratchFolder::SetUp()
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previous_ = cwd;
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/brennix-test-XXXXXX";
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    folder_ = pattern;
    ASSERT_EQ(chdir(folder_.c_str()), 0);
}

void ScratchFolder::TearDown()
{
    if (!previous_.empty()) {
        EXPECT_EQ(chdir(previous_.c_str()), 0);
    }
    remove_tree(folder_);
}

RunResult run_on_image(const TestImage &image, const std::string &slope,
                       const std::string &intercept)
{
    write_file("in.ida", make_ida(image));
    RunResult result;
    result.status = run_command("in.ida out.ida " + slope + " " + intercept +
                                    " run.log colours.clr",
                                result.console);
    result.image = read_file("out.ida");
    result.log = read_file("run.log");
    result.colour = read_file("COLOURS.CLR");
    const std::vector<std::string> lines = crlf_lines(result.log);
    if (lines.size() > log_lines_before_pixels)
        result.pixel_lines.assign(lines.begin() + log_lines_before_pixels, lines.end());
    return result;
}

} // namespace testing
} // namespace brennix
