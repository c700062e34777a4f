// The platform's file access, through the interface every platform shares:
// byte-exact transfers, replacement in one step, and file identity.
#include "file_access.h"
#include "run_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Bytes that a text-mode transfer would change on Windows: line ends both
// ways, a lone carriage return, and the byte that ends text-mode reads.
const std::string awkward_bytes("a\r\nb\nc\rd\x1a" "e\0f", 12);

// Each test in a folder of its own, never one another run could share.
class FileAccess : public brennix::test_support::ScratchFolder {
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        folder = folder_;
    }

    std::string path(const char *name) const { return (folder / name).string(); }

    static void put(const std::string &name, const std::string &bytes)
    {
        std::ofstream(name, std::ios::binary) << bytes;
    }

    static std::string get(const std::string &name)
    {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder;
};

// Writes the pieces through a replacement and commits it.  The space asked
// for beforehand is more than is written: a hint that must not show in the file.
bool replace_with(const std::string &name, const std::vector<std::string> &pieces,
                  std::string &reason)
{
    brennix::ReplacingFile file;
    bool ok = file.begin(name);
    file.reserve(1u << 16);
    for (const std::string &piece : pieces)
        ok = ok && file.write(piece.data(), piece.size());
    ok = ok && file.commit();
    if (!ok)
        reason = file.error();
    return ok;
}

TEST_F(FileAccess, ReadingGivesTheBytesExactlyAndTheSizeBeforehand)
{
    put(path("in.ida"), awkward_bytes);
    brennix::InputFile in;
    ASSERT_TRUE(in.open(path("in.ida"))) << in.error();
    EXPECT_EQ(in.known_size(), static_cast<long long>(awkward_bytes.size()));
    std::vector<unsigned char> buffer(100, 0xEE);
    ASSERT_EQ(in.read(buffer.data(), buffer.size()), awkward_bytes.size());
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 12), awkward_bytes);
    EXPECT_EQ(in.read(buffer.data(), buffer.size()), 0u);
}

TEST_F(FileAccess, InputThatCannotBeOpenedSaysWhy)
{
    fs::create_directories(folder / "sub");
    for (const char *name : {"missing.ida", "sub"}) {
        SCOPED_TRACE(name);
        brennix::InputFile in;
        EXPECT_FALSE(in.open(path(name)));
        EXPECT_FALSE(in.error().empty());
    }
}

TEST_F(FileAccess, OutputIsWrittenByteExactAndEmptiesAnOldFile)
{
    put(path("log.txt"), std::string(5000, 'o'));
    brennix::OutputFile out;
    ASSERT_TRUE(out.create(path("log.txt"))) << out.error();
    ASSERT_TRUE(out.write(awkward_bytes.data(), awkward_bytes.size()));
    ASSERT_TRUE(out.close()) << out.error();
    EXPECT_EQ(get(path("log.txt")), awkward_bytes);
}

TEST_F(FileAccess, OutputInAMissingFolderFails)
{
    brennix::OutputFile out;
    EXPECT_FALSE(out.create(path("no-such-folder/log.txt")));
    EXPECT_FALSE(out.error().empty());
}

TEST_F(FileAccess, ReplacementWritesThePiecesAndLeavesNothingBehind)
{
    struct Case {
        const char *what;
        bool existing;
    } cases[] = {{"new file", false}, {"over a longer file", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.existing)
            put(path("out.ida"), std::string(3000, 'x'));
        std::string reason;
        ASSERT_TRUE(replace_with(path("out.ida"), {"header", awkward_bytes, ""}, reason))
            << reason;
        EXPECT_EQ(get(path("out.ida")), "header" + awkward_bytes);
        EXPECT_EQ(entries(), std::vector<std::string>{"out.ida"});
        fs::remove(path("out.ida"));
    }
}

TEST_F(FileAccess, ReplacementMayOverwriteAFileThatWasJustRead)
{
    put(path("same.ida"), "old bytes");
    {
        brennix::InputFile in;
        ASSERT_TRUE(in.open(path("same.ida")));
        unsigned char buffer[16];
        in.read(buffer, sizeof buffer);
    }
    std::string reason;
    ASSERT_TRUE(replace_with(path("same.ida"), {"new"}, reason))
        << reason;
    EXPECT_EQ(get(path("same.ida")), "new");
}

TEST_F(FileAccess, FailedReplacementLeavesNoFile)
{
    std::string reason;
    EXPECT_FALSE(replace_with(path("no-such-folder/out.ida"), {"bytes"}, reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(entries().empty());
}

TEST_F(FileAccess, AbandonedReplacementKeepsTheOldFileAndNoTemporary)
{
    put(path("out.ida"), "old");
    {
        brennix::ReplacingFile file;
        ASSERT_TRUE(file.begin(path("out.ida"))) << file.error();
        ASSERT_TRUE(file.write("new bytes", 9));
    }
    EXPECT_EQ(get(path("out.ida")), "old");
    EXPECT_EQ(entries(), std::vector<std::string>{"out.ida"});
}

TEST_F(FileAccess, SameFileIsRecognisedUnderAnotherSpelling)
{
    put(path("a.ida"), "a");
    put(path("b.ida"), "b");
    const std::string dotted = (folder / "." / "a.ida").string();
    EXPECT_TRUE(brennix::same_existing_file(path("a.ida"), path("a.ida")));
    EXPECT_TRUE(brennix::same_existing_file(path("a.ida"), dotted));
    EXPECT_FALSE(brennix::same_existing_file(path("a.ida"), path("b.ida")));
    EXPECT_FALSE(brennix::same_existing_file(path("a.ida"), path("none.ida")));
    EXPECT_FALSE(brennix::same_existing_file(path("none.ida"), path("none.ida")));
#if defined(_WIN32)
    std::string forward = path("a.ida");
    for (char &c : forward)
        if (c == '\\')
            c = '/';
    EXPECT_TRUE(brennix::same_existing_file(path("a.ida"), forward));
#endif
}

} // namespace
