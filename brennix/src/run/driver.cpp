// The order of a Brennix run: console, command text, log, input, header,
// pixels, output image, colour file.
#include "brennix.h"

#include "command_line.h"
#include "file_access.h"
#include "ida_image.h"
#include "log_file.h"
#include "number_text.h"
#include "quorvex/quorvex.h"
#include "rescale.h"
#include "reports.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace brennix {
namespace {

const char banner[] = "Brennix changes slope and intercept in IDA files, by Tolmar (20050711)";
constexpr std::size_t field_count = 6;

struct Fields {
    std::string in_file;
    std::string out_file;
    std::string slope;
    std::string intercept;
    std::string log_file;
    std::string colour_file;
};

void set_up_console(Console &console)
{
    console.set_title(banner);
    console.clear();
    console.set_colour(ConsoleColour::yellow_on_black);
    console.set_screen_size(120, 40);
    console.clear();
}

int show_usage(Console &console)
{
    console.clear();
    console.write("\n Correct syntax is\n\n");
    console.set_colour(ConsoleColour::bright_white_on_black);
    console.write(" Brennix In_file Out_file Slope Intercept LogFile.txt Colour_File.CLR\n");
    console.set_colour(ConsoleColour::yellow_on_black);
    console.write(
        "\n"
        " The programme reads an IDA file and converts it to another IDA file using the required"
        " slope and intercept values\n"
        "\n"
        " The SLOPE and the INTERCEPT on the command line are used in the output file, but the"
        " input file can have any\n"
        " slope and intercept settings. The missing data code of input is transferred to the"
        " output\n"
        "\n"
        " LogFile.TXT contains information about pixels that cannot be represented with the"
        " selected slope and intercept\n"
        " (underflow or overflow). When this happens, the minimum value is set to ByteValue of 0"
        " and the Max\n"
        " is set to Missing - 1.\n"
        "\n"
        " The  programme creates a colour file adapted to the proposed slope and intercept\n"
        "\n"
        " Press any key ...");
    console.wait_for_key();
    return exit_usage;
}

std::string two_digits(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string run_stamp(const LocalTime &t)
{
    return ZonedLine()
        .add(two_digits(t.month) + "-" + two_digits(t.day) + "-" + std::to_string(t.year))
        .next_zone()
        .add(two_digits(t.hour) + ":" + two_digits(t.minute) + ":" + two_digits(t.second))
        .text();
}

// The law is checked before any file is touched: a slope of 0 would store
// a constant image and lose every pixel, and a value that is not finite
// has no meaning as a law.
bool law_is_usable(const Law &law, const Fields &fields, Console &console)
{
    if (!std::isfinite(law.slope) || law.slope == 0.0) {
        console.report_error("Slope: \"" + fields.slope +
                             "\" does not give a finite slope other than 0");
        return false;
    }
    if (!std::isfinite(law.intercept)) {
        console.report_error("Intercept: \"" + fields.intercept +
                             "\" does not give a finite intercept");
        return false;
    }
    return true;
}

std::string failure_text(const char *what, const std::string &name, const std::string &reason)
{
    return std::string("Cannot ") + what + " \"" + name + "\": " + reason;
}

// A failure after the log is open goes to the user and to the log.
int fail_with_log(Console &console, LogFile &log, const Fields &fields, const std::string &message)
{
    console.report_error(message);
    log.line(message);
    if (!log.close())
        console.report_error(failure_text("write LogFile.txt", fields.log_file, log.error()));
    return exit_failure;
}

void echo_names_and_law(Console &console, const Fields &fields, const Law &law)
{
    console.write(ZonedLine()
                      .add(" In,  out: ")
                      .next_zone()
                      .add(fields.in_file)
                      .next_zone()
                      .add(fields.out_file)
                      .text() +
                  "\n");
    console.write(ZonedLine()
                      .add("SlopO, IntO: " + number_text(law.slope))
                      .next_zone()
                      .add(number_text(law.intercept))
                      .text() +
                  "\n");
    console.write(ZonedLine()
                      .add("LogFile, SCLR: " + fields.log_file)
                      .next_zone()
                      .add(fields.colour_file)
                      .text() +
                  "\n");
}

void echo_input_header(Console &console, const HeaderBytes &header, const Law &input_law)
{
    const struct {
        const char *label;
        double value;
    } items[] = {
        {"ImType: ", static_cast<double>(header[field::ImageType])},
        {"ImProj: ", static_cast<double>(header[field::Projection])},
        {"ImHite: ", static_cast<double>(read_int16(header, field::Height))},
        {"ImWIDz: ", static_cast<double>(read_int16(header, field::WIDz))},
        {"Mis: ", static_cast<double>(header[field::Missing])},
        {"IntI: ", input_law.intercept},
        {"SlopI: ", input_law.slope},
    };
    for (const auto &item : items)
        console.write(ZonedLine().add(item.label).next_zone().add(number_text(item.value)).text() +
                      "\n");
}

// Re-encodes the pixels into the output image while their log lines are
// written; the log stays open for the caller.
int write_image(const Fields &fields, const HeaderBytes &input, const Law &input_law,
                const Law &output_law, InputFile &input_file, LogFile &log, Console &console)
{
    const HeaderBytes output = derive_output_header(input, fields.in_file, output_law);
    console.clear();
    for (const std::string &line : header_report_lines(output))
        log.line(line);
    log.line("");

    // The pixels flow from the input through the re-encoding into a new
    // file that replaces the output only once it is complete, so the output
    // may name the input and a failure leaves no half-written image.
    ReplacingFile output_file;
    if (!output_file.begin(fields.out_file))
        return fail_with_log(console, log, fields,
                             failure_text("write Out_file", fields.out_file, output_file.error()));
    const ByteTable table(input_law, output_law, input[field::Missing]);
    PixelRescaler rescaler(table, read_int16(input, field::Height), read_int16(input, field::WIDz),
                           log);
    std::string reason;
    switch (stream_image(input_file, output, promised_pixel_count(input), rescaler, output_file,
                         reason)) {
    case StreamResult::input_failed:
        return fail_with_log(console, log, fields,
                             failure_text("read In_file", fields.in_file, reason));
    case StreamResult::output_failed:
        return fail_with_log(console, log, fields,
                             failure_text("write Out_file", fields.out_file, reason));
    case StreamResult::done:
        break;
    }
    // A log that could not take its lines fails the run before the image is
    // put in place, so that a finished image always comes with its full log.
    if (!log.flush()) {
        console.report_error(failure_text("write LogFile.txt", fields.log_file, log.error()));
        return exit_failure;
    }
    // The output may name the input, which must be let go before the new
    // image can take its place on every platform.
    input_file.close();
    if (!output_file.commit())
        return fail_with_log(console, log, fields,
                             failure_text("write Out_file", fields.out_file, output_file.error()));
    return exit_success;
}

// The colour file comes last, after the log is closed.
int write_colour_file(const Fields &fields, const Law &output_law, Console &console)
{
    const std::string colour_name = colour_file_name(fields.colour_file);
    OutputFile colour;
    const std::string colour_text = colour_file_text(output_law.slope, output_law.intercept);
    if (!colour.create(colour_name) || !colour.write(colour_text.data(), colour_text.size()) ||
        !colour.close()) {
        console.report_error(failure_text("write Colour_File.CLR", colour_name, colour.error()));
        return exit_failure;
    }
    return exit_success;
}

int process(const Fields &fields, const Law &output_law, const std::string &command_text,
            Console &console)
{
    LogFile log;
    if (!log.open(fields.log_file)) {
        console.report_error(failure_text("create LogFile.txt", fields.log_file, log.error()));
        return exit_failure;
    }
    echo_names_and_law(console, fields, output_law);
    log.line(run_stamp(console.now()));
    log.line("Logging : " + command_text);
    log.line("");

    HeaderBytes input{};
    InputFile input_file;
    std::string reason;
    if (!open_ida_image(input_file, fields.in_file, input, reason))
        return fail_with_log(console, log, fields,
                             failure_text("read In_file", fields.in_file, reason));
    const Law input_law{_RealPascalToDoubleC(&input[field::m]),
                        _RealPascalToDoubleC(&input[field::b])};
    echo_input_header(console, input, input_law);

    const int status = write_image(fields, input, input_law, output_law, input_file, log, console);
    if (status != exit_success)
        return status;
    if (!log.close()) {
        console.report_error(failure_text("write LogFile.txt", fields.log_file, log.error()));
        return exit_failure;
    }

    return write_colour_file(fields, output_law, console);
}

// One file under two names: the same path once made absolute and tidied,
// or two existing names that lead to the same file.
bool same_file(const std::string &a, const std::string &b)
{
    return same_name(a, b) || same_existing_file(a, b);
}

// The log, the image and the colour file are written in that order, so a
// name shared by two of them, or by the colour file and the input, would
// let a later write destroy an earlier file while the run reports success.
// Only the output may name the input: the input is read whole first.
bool names_clash(const Fields &fields, Console &console)
{
    const std::string colour = colour_file_name(fields.colour_file);
    const struct {
        const char *field;
        const std::string &name;
        const char *other_field;
        const std::string &other;
    } pairs[] = {
        {"Out_file", fields.out_file, "LogFile.txt", fields.log_file},
        {"Colour_File.CLR", colour, "In_file", fields.in_file},
        {"Colour_File.CLR", colour, "Out_file", fields.out_file},
        {"Colour_File.CLR", colour, "LogFile.txt", fields.log_file},
    };
    for (const auto &pair : pairs) {
        if (same_file(pair.name, pair.other)) {
            console.report_error(std::string(pair.field) + ": \"" + pair.name + "\" is also " +
                                 pair.other_field + "; one would destroy the other");
            return true;
        }
    }
    return false;
}

} // namespace

int run_command(const std::string &command_text, Console &console)
{
    set_up_console(console);
    const std::vector<std::string> split = split_fields(command_text);
    if (command_text.empty() || split.size() != field_count)
        return show_usage(console);
    const Fields fields{split[0], split[1], split[2], split[3], split[4], split[5]};
    const Law output_law{convert_number(fields.slope), convert_number(fields.intercept)};
    if (!law_is_usable(output_law, fields, console))
        return exit_usage;
    // The log is opened, and written over, before the input is read; a log
    // naming the input would destroy it unread.
    if (same_existing_file(fields.log_file, fields.in_file)) {
        console.report_error("LogFile.txt: \"" + fields.log_file +
                             "\" is the input file; emptying it for the log would destroy it");
        return exit_usage;
    }
    if (names_clash(fields, console))
        return exit_usage;
    if (is_standard_output(fields.out_file))
        console.move_text_to_errors();
    return process(fields, output_law, command_text, console);
}

} // namespace brennix
