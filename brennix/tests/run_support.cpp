// The test helpers.
#include "run_support.h"

#include "quorvex/quorvex.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace brennix {
namespace test_support {
namespace {

namespace fs = std::filesystem;

void put_real(std::string &header, std::size_t at, double value)
{
    unsigned char bytes[6];
    _DoubleCtoRealPascal(bytes, value);
    std::memcpy(&header[at], bytes, 6);
}

} // namespace

std::string make_ida(const TestImage &image)
{
    std::string header(512, '\0');
    header[22] = static_cast<char>(200);
    header[23] = 3;
    for (const int at : {30, 32}) {
        const int size = at == 30 ? image.height : image.width;
        header[at] = static_cast<char>(size & 0xff);
        header[at + 1] = static_cast<char>((size >> 8) & 0xff);
    }
    header.replace(38, 80, "Test image" + std::string(70, ' '));
    const double place[] = {45.0, 10.0, 100.0, 50.0, 10.0, 10.0};
    for (std::size_t i = 0; i < 6; ++i)
        put_real(header, 120 + 6 * i, place[i]);
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

std::vector<std::string> folder_entries(const std::string &folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        names.push_back(entry->path().filename().string());
    return names;
}

std::vector<std::string> crlf_lines(const std::string &text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 2) {
        end = std::min(text.find("\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

void ScratchFolder::SetUp()
{
    previous_ = fs::current_path().string();
    std::random_device seed;
    fs::path folder;
    do {
        folder = fs::temp_directory_path() / ("brennix-test-" + std::to_string(seed()));
    } while (!fs::create_directory(folder));
    folder_ = folder.string();
    fs::current_path(folder);
}

void ScratchFolder::TearDown()
{
    if (!previous_.empty())
        fs::current_path(previous_);
    std::error_code error;
    fs::remove_all(folder_, error);
    EXPECT_FALSE(error) << error.message();
}

} // namespace test_support
} // namespace brennix
