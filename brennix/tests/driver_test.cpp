// Whole runs in-process: the golden run, the usage screen, and every way a
// run can refuse its command or fail on its files.
#include "brennix.h"

#include "ida_image.h"
#include "run_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace brennix {
namespace {

using testing::file_exists;
using testing::folder_entries;
using testing::read_file;
using testing::RecordingConsole;
using testing::RunResult;
using testing::TestImage;
using testing::write_file;

class Driver : public testing::ScratchFolder {};

TestImage golden_image()
{
    TestImage image;
    image.height = 3;
    image.width = 4;
    image.pixels = {9, 10, 137, 138, 255, 200, 0, 100, 50, 255, 254, 11};
    return image;
}

TEST_F(Driver, GoldenRun)
{
    const RunResult run = testing::run_on_image(golden_image(), "0.25", "-5");
    ASSERT_EQ(run.status, exit_success);
    EXPECT_TRUE(run.console.errors.empty());

    EXPECT_EQ(run.console.out,
              "<title:Brennix changes slope and intercept in IDA files, by Tolmar (20050711)>"
              "<clear><yellow><clear>"
              " In,  out:    in.ida        out.ida\n"
              "SlopO, IntO:  .25           -5 \n"
              "LogFile, SCLR: run.log      colours.clr\n"
              "ImType:        200 \n"
              "ImProj:        3 \n"
              "ImHite:        3 \n"
              "ImWIDz:        4 \n"
              "Mis:           255 \n"
              "IntI:         -10 \n"
              "SlopI:         .5 \n"
              "<clear>");

    const std::string expected_log =
        "12-06-2026    09:05:07\r\n"
        "Logging : in.ida out.ida 0.25 -5 run.log colours.clr\r\n"
        "\r\n"
        "Header.ImageType       AS BYTE         >                  200<\r\n"
        "Header.Projection      AS BYTE         >                    3<\r\n"
        "Header.Height          AS INTEGER      >                    3<\r\n"
        "Header.WIDz            AS INTEGER      >                    4<\r\n"
        "Header.Title( 1-40)    AS STRING*80    >Built from in.ida with new slope and int<\r\n"
        "Header.Title(41-80)    AS STRING*80    >ercept                                  <\r\n"
        "Header.LatCenter       AS string*6     >     45.             <\r\n"
        "Header.LongCenter      AS string*6     >     10.             <\r\n"
        "Header.xcenter         AS string*6     >    100.             <\r\n"
        "Header.ycenter         AS string*6     >     50.             <\r\n"
        "Header.dx              AS string*6     >     10.             <\r\n"
        "Header.dy              AS string*6     >     10.             <\r\n"
        "Header.Parallel1       AS string*6     >      0.             <\r\n"
        "Header.Parallel2       AS string*6     >      0.             <\r\n"
        "Header.Lower           AS BYTE         >                    0<\r\n"
        "Header.Upper           AS BYTE         >                  254<\r\n"
        "Header.Missing         AS BYTE         >                  255<\r\n"
        "Header.m (slope)       AS string*6     >      0.25           <\r\n"
        "Header.b (intercept)   AS string*6     >     -5.             <\r\n"
        "Header.Decimals        AS BYTE         >                    2<\r\n"
        "\r\n"
        " Pixel/Row  0 / 0  (-5.5 ) out of range (underflow)\r\n"
        " Pixel/Row  3 / 0  ( 59 ) out of range (overflow)\r\n"
        " Pixel/Row  1 / 1  ( 90 ) out of range (overflow)\r\n"
        " Pixel/Row  2 / 1  (-10 ) out of range (underflow)\r\n"
        " Pixel/Row  2 / 2  ( 117 ) out of range (overflow)\r\n";
    EXPECT_EQ(run.log, expected_log);

    std::string expected_image = testing::make_ida(golden_image()).substr(0, 512);
    expected_image.replace(38, 80, "Built from in.ida with new slope and intercept" +
                                       std::string(34, ' '));
    expected_image.replace(168, 15, std::string("\x00\xFE\xFF\x7F\x00\x00\x00\x00\x00"
                                                "\x83\x00\x00\x00\x00\xA0", 15));
    expected_image += std::string("\x00\x00\xFE\xFE\xFF\xFE\x00\xB4\x50\xFF\xFE\x02", 12);
    EXPECT_EQ(run.image, expected_image);

    EXPECT_EQ(run.colour,
              "From    To   Red     Green   Blue    Legend\r\n"
              "  0      0   255     255       0        <-5 \r\n"
              "  1      9   255     255     217     -5  to -3 \r\n"
              "  9     19   236     255     255     -3  to -1 \r\n"
              " 19     29   123     255     255     -1  to  2 \r\n"
              " 29     49     0     238     238      2  to  7 \r\n"
              " 49     79     0     206     206      7  to  14 \r\n"
              " 79     99    26     141     185      14  to  19 \r\n"
              " 99    129     3     112     158      19  to  27 \r\n"
              "129    159    11      70     123      27  to  34 \r\n"
              "159    179   102      28     170      34  to  39 \r\n"
              "179    194   154      65     123      39  to  43 \r\n"
              "194    210   140      55     121      43  to  47 \r\n"
              "211    229   168      38      71      47  to  52 \r\n"
              "229    253    28       2       7      52  to  58 \r\n"
              "254    254   255       0       0        > 58 \r\n"
              "255    255     0     255       0        Missing\r\n");
    // The name as stored, which a case-blind file system would not tell
    // by asking for "colours.clr".
    const std::vector<std::string> names = folder_entries(".");
    EXPECT_NE(std::find(names.begin(), names.end(), "COLOURS.CLR"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "colours.clr"), names.end());
}

// Two and a half pieces: positions run on across pieces, the header goes
// out once, the short last piece is neither dropped nor overread.
TEST_F(Driver, PixelsSpanningSeveralPiecesKeepTheirPlaceAndValue)
{
    TestImage image = golden_image();  // 0.5 x byte - 10, stored anew as 2 x byte - 20
    image.width = 1000;
    image.height = static_cast<int>(5 * stream_piece_size / 2 / 1000);
    image.pixels.resize(std::size_t(1000) * static_cast<std::size_t>(image.height));
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = static_cast<unsigned char>(10 + i % 128);
    std::vector<std::string> lines;
    for (std::size_t at : {std::size_t(0), stream_piece_size - 1, stream_piece_size,
                           image.pixels.size() - 1}) {
        image.pixels[at] = 0;
        lines.push_back(" Pixel/Row  " + std::to_string(at % 1000) + " / " +
                        std::to_string(at / 1000) + "  (-10 ) out of range (underflow)");
    }
    std::string expected;
    for (unsigned char v : image.pixels)
        expected += static_cast<char>(v == 0 ? 0 : 2 * v - 20);
    const RunResult run = testing::run_on_image(image, "0.25", "-5");
    EXPECT_EQ(run.pixel_lines, lines);
    EXPECT_TRUE(run.image.substr(512) == expected) << run.image.size();
}

TEST_F(Driver, NothingToLogStillGivesTheFullLog)
{
    write_file("run.log", std::string(10000, 'x'));
    const RunResult run = testing::run_on_image(golden_image(), "0.5", "-10");
    EXPECT_EQ(run.status, exit_success);
    EXPECT_EQ(testing::crlf_lines(run.log).size(), testing::log_lines_before_pixels);
    EXPECT_TRUE(run.pixel_lines.empty());
}

const char usage_screen[] =
    "<clear>\n Correct syntax is\n\n<white>"
    " Brennix In_file Out_file Slope Intercept LogFile.txt Colour_File.CLR\n<yellow>\n"
    " The programme reads an IDA file and converts it to another IDA file using the required"
    " slope and intercept values\n\n"
    " The SLOPE and the INTERCEPT on the command line are used in the output file, but the"
    " input file can have any\n"
    " slope and intercept settings. The missing data code of input is transferred to the"
    " output\n\n"
    " LogFile.TXT contains information about pixels that cannot be represented with the"
    " selected slope and intercept\n"
    " (underflow or overflow). When this happens, the minimum value is set to ByteValue of 0"
    " and the Max\n"
    " is set to Missing - 1.\n\n"
    " The  programme creates a colour file adapted to the proposed slope and intercept\n\n"
    " Press any key ...<key>";

TEST_F(Driver, WrongFieldCountsShowTheUsageScreen)
{
    write_file("in.ida", testing::make_ida(golden_image()));
    const char *commands[] = {
        "",
        "in.ida out.ida 1 0 run.log",
        "in.ida out.ida 1 0 run.log colours.clr extra",
        "in.ida  out.ida 1 0 run.log colours.clr",
        "in.ida out.ida 1 0 run.log colours.clr ",
    };
    for (const char *command : commands) {
        RecordingConsole console;
        EXPECT_EQ(run_command(command, console), exit_usage) << command;
        const std::string setup = "<title:Brennix changes slope and intercept in IDA files, by "
                                  "Tolmar (20050711)><clear><yellow><clear>";
        EXPECT_EQ(console.out, setup + usage_screen) << command;
        EXPECT_EQ(folder_entries("."), std::vector<std::string>{"in.ida"}) << command;
    }
}

TEST_F(Driver, AnEmptyFieldRunsWithAnEmptyValue)
{
    write_file("in.ida", testing::make_ida(golden_image()));
    RecordingConsole console;
    // The intercept is empty, hence 0.
    EXPECT_EQ(run_command("in.ida out.ida 0.5  run.log colours.clr", console), exit_success);
    EXPECT_NE(read_file("run.log").find("Header.b (intercept)   AS string*6     >      0.  "),
              std::string::npos);
}

TEST_F(Driver, MeaninglessLawIsRefusedBeforeAnyFile)
{
    write_file("in.ida", testing::make_ida(golden_image()));
    const struct {
        const char *slope;
        const char *intercept;
        const char *field;
    } cases[] = {
        {"0", "1", "Slope"},     {"abc", "1", "Slope"},   {"-0", "1", "Slope"},
        {"1E999", "1", "Slope"}, {"&H0", "1", "Slope"},   {"1", "1E999", "Intercept"},
        {"1", "-1D400", "Intercept"},
    };
    for (const auto &c : cases) {
        RecordingConsole console;
        const int status = run_command(std::string("in.ida out.ida ") + c.slope + " " +
                                           c.intercept + " run.log colours.clr",
                                       console);
        EXPECT_EQ(status, exit_usage) << c.slope << " " << c.intercept;
        ASSERT_EQ(console.errors.size(), 1u);
        EXPECT_EQ(console.errors[0].rfind(std::string(c.field) + ": ", 0), 0u)
            << console.errors[0];
        EXPECT_EQ(folder_entries("."), std::vector<std::string>{"in.ida"});
    }
}

TEST_F(Driver, UnreadableInputStopsWithoutImageOrColourFile)
{
    TestImage image = golden_image();
    const std::string good = testing::make_ida(image);
    const struct {
        const char *what;
        std::string bytes;  // written as in.ida unless null-named
        const char *reason;
    } cases[] = {
        {"missing file", "", "No such file or directory"},
        {"header of 100 bytes", good.substr(0, 100), "header holds 100 bytes"},
        {"header only", good.substr(0, 512), "pixel data holds 0 bytes, Height x WIDz is 12"},
        {"one pixel short", good.substr(0, good.size() - 1),
         "pixel data holds 11 bytes, Height x WIDz is 12"},
        {"input is a folder", "", "Is a directory"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        if (std::string(c.what) == "input is a folder")
            ASSERT_TRUE(testing::make_folder("in.ida"));
        else if (std::string(c.what) != "missing file")
            write_file("in.ida", c.bytes);
        RecordingConsole console;
        EXPECT_EQ(run_command("in.ida out.ida 1 0 run.log colours.clr", console), exit_failure);
        ASSERT_EQ(console.errors.size(), 1u);
        EXPECT_NE(console.errors[0].find("\"in.ida\""), std::string::npos) << console.errors[0];
        EXPECT_NE(console.errors[0].find(c.reason), std::string::npos) << console.errors[0];
        const std::vector<std::string> log = testing::crlf_lines(read_file("run.log"));
        ASSERT_EQ(log.size(), 4u);
        EXPECT_EQ(log[3], console.errors[0]);
        EXPECT_FALSE(file_exists("out.ida"));
        EXPECT_FALSE(file_exists("COLOURS.CLR"));
        testing::remove_path("in.ida");
    }
}

TEST_F(Driver, FilesThatCannotBeWrittenFailTheRun)
{
    write_file("in.ida", testing::make_ida(golden_image()));
    const struct {
        const char *command;
        const char *named;
        std::vector<std::string> left;  // what the folder holds afterwards
    } cases[] = {
        {"in.ida out.ida 1 0 no/run.log colours.clr", "\"no/run.log\"", {"in.ida"}},
        {"in.ida no/out.ida 1 0 run.log colours.clr", "\"no/out.ida\"", {"in.ida", "run.log"}},
        {"in.ida out.ida 1 0 run.log no/colours.clr", "\"no/COLOURS.CLR\"",
         {"in.ida", "out.ida", "run.log"}},
    };
    for (const auto &c : cases) {
        RecordingConsole console;
        EXPECT_EQ(run_command(c.command, console), exit_failure) << c.command;
        ASSERT_EQ(console.errors.size(), 1u) << c.command;
        EXPECT_NE(console.errors[0].find(c.named), std::string::npos) << console.errors[0];
        EXPECT_NE(console.errors[0].find("No such file or directory"), std::string::npos);
        std::vector<std::string> left = folder_entries(".");
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, c.left) << c.command;
        testing::remove_path("out.ida");
        testing::remove_path("run.log");
    }
}

TEST_F(Driver, OutputMayNameTheInput)
{
    write_file("in.ida", testing::make_ida(golden_image()));
    RecordingConsole console;
    ASSERT_EQ(run_command("in.ida in.ida 0.25 -5 run.log colours.clr", console), exit_success);
    const std::string replaced = read_file("in.ida");
    ASSERT_EQ(replaced.size(), 524u);
    EXPECT_EQ(replaced.substr(512), std::string("\x00\x00\xFE\xFE\xFF\xFE\x00\xB4\x50\xFF\xFE\x02", 12));
}

TEST_F(Driver, FailedReplaceKeepsTheOldFileAndLeavesNoTemporary)
{
    write_file("in.ida", testing::make_ida(golden_image()));
    ASSERT_TRUE(testing::make_folder("out.ida"));
    RecordingConsole console;
    EXPECT_EQ(run_command("in.ida out.ida 1 0 run.log colours.clr", console), exit_failure);
    std::vector<std::string> left = folder_entries(".");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"in.ida", "out.ida", "run.log"}));
    EXPECT_TRUE(folder_entries("out.ida").empty());
    EXPECT_NE(read_file("run.log").find("Cannot write Out_file \"out.ida\""), std::string::npos);
    testing::remove_path("out.ida");
}

TEST_F(Driver, LogNamingTheInputIsRefused)
{
    const std::string input = testing::make_ida(golden_image());
    write_file("in.ida", input);
    RecordingConsole console;
    EXPECT_EQ(run_command("in.ida out.ida 1 0 ./in.ida colours.clr", console), exit_usage);
    ASSERT_EQ(console.errors.size(), 1u);
    EXPECT_EQ(console.errors[0].rfind("LogFile.txt: ", 0), 0u);
    EXPECT_EQ(read_file("in.ida"), input);
    EXPECT_EQ(folder_entries("."), std::vector<std::string>{"in.ida"});
}

TEST_F(Driver, ColourFileFolderKeepsItsCase)
{
    write_file("in.ida", testing::make_ida(golden_image()));
    ASSERT_TRUE(testing::make_folder("Sub"));
    RecordingConsole console;
    EXPECT_EQ(run_command("in.ida out.ida 1 0 run.log Sub/ndvi.clr", console), exit_success);
    EXPECT_EQ(folder_entries("Sub"), std::vector<std::string>{"NDVI.CLR"});
}

TEST(SilentConsole, RunsWithoutShowingAnything)
{
    SilentConsole console;
    EXPECT_EQ(run_command("", console), exit_usage);
}

} // namespace
} // namespace brennix
