// The quorvex program: look inside, check and draw IDA images through the
// QUORVEX library.  Exit status 0 on success, 1 for bad input (or images
// that do not agree), 2 for a command line that cannot be run.
#include "cli.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

const char general_help[] =
    "Usage: quorvex [--tables FILE] COMMAND [OPTIONS] FILE...\n"
    "Look inside, check and draw IDA images.\n"
    "\n"
    "Commands:\n"
    "  info FILE...        header fields, description, pixel statistics, corners\n"
    "  check FILE...       whether the files can be combined with the first\n"
    "  render FILE -o OUT  the image as a PNG picture\n"
    "  point FILE...       the pixel at a place in each image, its byte and value\n"
    "  region FILE...      the pixels of each image in a box or areas: counts,\n"
    "                      statistics\n"
    "  composite FILE... -o OUT\n"
    "                      the largest, smallest, mean or median value at each\n"
    "                      place, the number of valid pixels there, their\n"
    "                      standard deviation, their trend or their sum\n"
    "  warp FILE... --grid GRID -o OUT\n"
    "                      the images put on the grid of another\n"
    "  crop FILE -o OUT    a window of the image as an image of its own\n"
    "  anomaly FILE --normal NORMAL -o OUT\n"
    "                      the departure of each value from the normal one, or\n"
    "                      where it lies between the years' lowest and highest\n"
    "\n"
    "  --tables FILE       tables of IDA types, projections and spheroids to use\n"
    "                      instead of the built-in ones (any command); without\n"
    "                      it, those of the file QUORVEX_TABLES names, if set\n"
    "  --help              this text; COMMAND --help for a command's own\n"
    "  --version           the program's version\n";

const char info_help[] = "Usage: quorvex info [--json] [--tables FILE] FILE...\n"
                         "For each IDA file: every header field by its report name, the library's\n"
                         "description of the image (with its status and message when it refuses\n"
                         "the file), the linear law, pixel counts, the minimum, maximum, mean,\n"
                         "median and standard deviation of the physical values of the valid\n"
                         "pixels, and for a projected image the longitude/latitude of the four\n"
                         "corner pixels and the centre pixel.\n"
                         "\n"
                         "  --json              one JSON object per file\n";

const char check_help[] = "Usage: quorvex check [--tables FILE] FILE...\n"
                          "Checks that every file has the IDA type, size, pixel size and\n"
                          "geolocation of the first and prints the library's message.  Exit\n"
                          "status 0 when all agree, 1 otherwise.\n";

const char render_help[] = "Usage: quorvex render FILE -o OUT.png [--colours FILE.CLR |\n"
                           "                      --diverge-at VALUE] [--legend] [--tables FILE]\n"
                           "Draws the image as a PNG, one pixel per pixel; missing pixels are\n"
                           "transparent.\n"
                           "\n"
                           "  -o, --output OUT.png  the picture to write (replaced whole)\n"
                           "  --colours FILE.CLR    colour classes in Brennix's colour-file form\n"
                           "                        (From To Red Green Blue Legend); without it a\n"
                           "                        colour ramp over the physical values\n"
                           "  --diverge-at VALUE    a ramp from brown through white at VALUE to\n"
                           "                        blue-green, as far either way as the value\n"
                           "                        furthest from VALUE (an anomaly about 0, or\n"
                           "                        100 for a percentage)\n"
                           "  --legend              a panel beside the image with each colour and\n"
                           "                        its legend text\n";

const char point_help[] =
    "Usage: quorvex point (--at LON,LAT | --pixel COLUMN,LINE | --places FILE)\n"
    "                     [--json] [--tables FILE] FILE...\n"
    "For each IDA file, a line of tab-separated fields: the file, the column\n"
    "and line of the pixel (from 0 at the upper left), the longitude and\n"
    "latitude of its centre, its byte and its physical value, or \"missing\",\n"
    "\"special\" or \"outside\" (no pixel of the image is there); \"-\" stands\n"
    "for a field the pixel lacks.  A first line names the fields.\n"
    "\n"
    "  --at LON,LAT        the pixel under a longitude/latitude in degrees\n"
    "  --pixel COLUMN,LINE the pixel at a column and line\n"
    "  --places FILE       the pixel under each place of a file of lines\n"
    "                      LON,LAT or LON,LAT,NAME (blank lines, lines starting\n"
    "                      with # and a first line of column names such as\n"
    "                      lon,lat,name skipped): for each IDA file a line\n"
    "                      per place, in the file's order, led by a field\n"
    "                      \"place\", the name or else LON,LAT as written\n"
    "  --json              one JSON object per file and line\n";

const char composite_help[] =
    "Usage: quorvex composite (--max | --min | --mean | --median | --count |\n"
    "                         --stddev | --trend | --sum) -o OUT.ida\n"
    "                         [--slope SLOPE] [--intercept INTERCEPT]\n"
    "                         [--tables FILE] FILE...\n"
    "Writes one IDA image from images of one grid and one coding: at each\n"
    "place the largest, smallest, mean or median physical value of the valid\n"
    "pixels, coded as the images code it (the mean, and the median of an even\n"
    "count, which is the mean of the middle two, as the valid byte of the\n"
    "nearest value, of two as near the lower).  Where no image has a valid\n"
    "pixel, the first image's byte stays.  The header is the first image's.\n"
    "With --count, each place the number of images with a valid pixel\n"
    "there, coded in the result's header (IDA type 200, 1 a byte, up to 254;\n"
    "the program says how many places had more).  With --stddev, --trend\n"
    "and --sum, values coded in the result's header: bytes 0 to 254 stand\n"
    "for SLOPE x byte + INTERCEPT, each the nearest (of two as near, the\n"
    "lower), and 255 is missing.  --stddev: the standard deviation of their\n"
    "values (the deviation divided by the count), by default at half the\n"
    "images' slope, missing where no image has a valid pixel.  --trend: the\n"
    "change per image of the least-squares line through their values, the\n"
    "images one step apart in the order given (per year for a dekad of each\n"
    "year), by default (byte - 128) x the images' slope / P, P the smallest\n"
    "power of two not below the number of images less one, missing where\n"
    "fewer than two images have a valid pixel.  --sum: their sum (a season's\n"
    "rainfall from its dekads), by default from the number of images times\n"
    "their lowest value, at their slope x P, P the smallest power of two not\n"
    "below their number, missing where any image has no valid pixel.\n"
    "Values beyond the bytes' take the nearest; the program says how many\n"
    "did.\n"
    "\n"
    "  --max, --min, --mean, --median  the value taken\n"
    "  --count                         the number of valid pixels\n"
    "  --stddev                        the standard deviation of their values\n"
    "  --trend                         the change per image of their values\n"
    "  --sum                           the sum of their values\n"
    "  --slope SLOPE, --intercept INTERCEPT\n"
    "                                  the law of a standard deviation, a\n"
    "                                  trend or a sum\n"
    "  -o, --output OUT.ida            the image to write (replaced whole)\n";

const char warp_help[] =
    "Usage: quorvex warp FILE... --grid GRID.ida -o OUT.ida\n"
    "                    [--max | --min | --mean | --median] [--tables FILE]\n"
    "Writes the image of FILE on the grid of GRID.ida (its projection, size,\n"
    "centre and scale), both through the library's projection engine: each\n"
    "pixel takes the byte of FILE's pixel whose centre lies nearest to the\n"
    "place of its own centre, or FILE's missing code where FILE shows nothing.\n"
    "Of several FILEs coded alike (the scans of a day), each pixel takes the\n"
    "first one's valid pixel there, else the first one's byte there.\n"
    "The header is the first FILE's, with GRID.ida's projection, size,\n"
    "centre, scale and parallels.\n"
    "\n"
    "  --grid GRID.ida       the image whose grid the result takes\n"
    "  -o, --output OUT.ida  the image to write (replaced whole)\n"
    "  --max, --min, --mean, --median\n"
    "                        onto a coarser grid: each pixel the largest,\n"
    "                        smallest, mean or median value of the FILEs'\n"
    "                        valid pixels whose centres' places fall in it,\n"
    "                        coded as composite codes it; where none does, the\n"
    "                        nearest pixel\n";

const char crop_help[] = "Usage: quorvex crop FILE (--pixels COLUMN,LINE,WIDTH,HEIGHT |\n"
                         "                          --box WEST,SOUTH,EAST,NORTH) -o OUT.ida\n"
                         "                    [--tables FILE]\n"
                         "Writes a window of FILE as an IDA image of its own: every pixel keeps\n"
                         "its place, its byte and its coding.  The header is FILE's, with the\n"
                         "window's size and the reference pixel moved by the window's corner.\n"
                         "\n"
                         "  --pixels COLUMN,LINE,WIDTH,HEIGHT\n"
                         "                        the window of WIDTH x HEIGHT pixels whose upper\n"
                         "                        left pixel is at COLUMN, LINE (from 0)\n"
                         "  --box WEST,SOUTH,EAST,NORTH\n"
                         "                        the smallest window holding every pixel whose\n"
                         "                        centre lies in the box, in degrees (a WEST east\n"
                         "                        of EAST crosses the 180th meridian)\n"
                         "  -o, --output OUT.ida  the image to write (replaced whole)\n";

const char region_help[] =
    "Usage: quorvex region (--box WEST,SOUTH,EAST,NORTH | --areas AREAS.geojson)\n"
    "                      [--json] [--tables FILE] FILE...\n"
    "For each IDA file, a line of tab-separated fields: the file, the count\n"
    "of the pixels whose centres lie in the box, of those the valid, missing\n"
    "and special ones, and the minimum, maximum, mean, median and standard\n"
    "deviation of the physical values of the valid ones (\"-\" where none\n"
    "is; the median of an even count is the mean of the middle two, the\n"
    "deviation is divided by the count).  A first line names the fields.\n"
    "Given a stack of images of one grid, the lines are the series of one\n"
    "region.  With --areas, a line for each area of each file, led by the\n"
    "area's name.\n"
    "\n"
    "  --box WEST,SOUTH,EAST,NORTH\n"
    "                      the box in degrees, edges included (a WEST east of\n"
    "                      EAST crosses the 180th meridian)\n"
    "  --areas AREAS.geojson\n"
    "                      the Polygon and MultiPolygon features of a GeoJSON\n"
    "                      file in degrees (districts, basins), each named by\n"
    "                      its \"name\" property, else its id, else its number\n"
    "  --json              one JSON object per file (and area), with info's\n"
    "                      pixels and statistics\n";

const char anomaly_help[] =
    "Usage: quorvex anomaly FILE --normal NORMAL.ida -o OUT.ida\n"
    "                       [--percent | --stddev STDDEV.ida] [--slope SLOPE]\n"
    "                       [--intercept INTERCEPT] [--tables FILE]\n"
    "       quorvex anomaly FILE --lowest MIN.ida --highest MAX.ida -o OUT.ida\n"
    "                       [--slope SLOPE] [--intercept INTERCEPT] [--tables FILE]\n"
    "Writes the departure of FILE from a normal at each place: FILE's physical\n"
    "value less NORMAL.ida's, with --percent FILE's as a percentage of\n"
    "NORMAL.ida's, or with --stddev the difference in STDDEV.ida's standard\n"
    "deviations.  Or where FILE's value lies between the years' lowest and\n"
    "highest, in percent of their difference (a vegetation condition index).\n"
    "The other images need FILE's grid, not its IDA type or coding.\n"
    "The result codes the departures in its header (IDA type 200): bytes 0\n"
    "to 254 stand for SLOPE x byte + INTERCEPT, each departure coded by the\n"
    "byte of the nearest value (of two as near, the lower), and 255 is\n"
    "missing where an image has no valid pixel, for a percentage where the\n"
    "normal is 0, in standard deviations where the standard deviation is 0,\n"
    "and for a condition where the highest is not above the lowest.\n"
    "Departures beyond the values of the bytes take the nearest; the program\n"
    "says how many did.  The header is FILE's but for the coding.\n"
    "\n"
    "  --normal NORMAL.ida   the normal values (the mean or median of the\n"
    "                        years, as composite makes them)\n"
    "  -o, --output OUT.ida  the image to write (replaced whole)\n"
    "  --percent             FILE's value as a percentage of the normal\n"
    "  --stddev STDDEV.ida   the standard deviations of the years (as\n"
    "                        composite --stddev makes them)\n"
    "  --lowest MIN.ida, --highest MAX.ida\n"
    "                        the years' lowest and highest values (as\n"
    "                        composite --min and --max make them)\n"
    "  --slope SLOPE, --intercept INTERCEPT\n"
    "                        the result's law; by default FILE's slope (made\n"
    "                        positive) with a departure of 0 at byte 128, in\n"
    "                        standard deviations 1/32 (-4 to 3.97), or in\n"
    "                        percent 1 and 0\n";

struct Command {
    const char *name;
    const char *help;
    int (*run)(cli::Options &);
};

const Command commands[] = {
    {"info", info_help, cli::run_info},         {"check", check_help, cli::run_check},
    {"render", render_help, cli::run_render},   {"point", point_help, cli::run_point},
    {"region", region_help, cli::run_region},   {"composite", composite_help, cli::run_composite},
    {"warp", warp_help, cli::run_warp},         {"crop", crop_help, cli::run_crop},
    {"anomaly", anomaly_help, cli::run_anomaly}};

void load_tables(const std::string &path, cli::Options &options)
{
    std::string error;
    if (!load_tables_file(path.c_str(), &options.tables, &error))
        throw cli::InputError(error);
}

// The value of an option: the next argument.
std::string value_of(int &i, int argc, char **argv)
{
    if (i + 1 >= argc)
        throw cli::UsageError(std::string(argv[i]) + " needs a value");
    return argv[++i];
}

int run(int argc, char **argv)
{
    cli::Options options;
    if (!load_default_tables(&options.tables))
        throw cli::InputError("the built-in tables do not read");
    int i = 1;
    std::string tables;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << general_help;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "quorvex " QUORVEX_VERSION "\n";
            return 0;
        }
        if (arg != "--tables")
            throw cli::UsageError("unknown option '" + arg + "' (see quorvex --help)");
        tables = value_of(i, argc, argv);
    }
    if (i == argc)
        throw cli::UsageError("no command (see quorvex --help)");
    const Command *command = nullptr;
    for (const Command &c : commands)
        if (std::strcmp(argv[i], c.name) == 0)
            command = &c;
    if (command == nullptr)
        throw cli::UsageError(std::string("unknown command '") + argv[i] +
                              "' (see quorvex --help)");
    bool options_end = false;
    for (++i; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options_end || arg.empty() || arg[0] != '-' || arg == "-") {
            options.files.push_back(arg);
        } else if (arg == "--") {
            options_end = true;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << command->help;
            return 0;
        } else if (arg == "--tables") {
            tables = value_of(i, argc, argv);
        } else if (arg == "--json" &&
                   (command->run == cli::run_info || command->run == cli::run_point ||
                    command->run == cli::run_region)) {
            options.json = true;
        } else if ((arg == "-o" || arg == "--output") &&
                   (command->run == cli::run_render || command->run == cli::run_composite ||
                    command->run == cli::run_warp || command->run == cli::run_crop ||
                    command->run == cli::run_anomaly)) {
            options.output = value_of(i, argc, argv);
        } else if (arg == "--colours" && command->run == cli::run_render) {
            options.colours = value_of(i, argc, argv);
        } else if (arg == "--diverge-at" && command->run == cli::run_render) {
            options.diverge_at = value_of(i, argc, argv);
        } else if ((arg == "--max" || arg == "--min" || arg == "--mean" || arg == "--median" ||
                    ((arg == "--count" || arg == "--stddev" || arg == "--trend" ||
                      arg == "--sum") &&
                     command->run == cli::run_composite)) &&
                   (command->run == cli::run_composite || command->run == cli::run_warp)) {
            if (!options.statistic.empty() && options.statistic != arg.substr(2))
                throw cli::UsageError(command->run == cli::run_composite
                                          ? cli::composite_statistics
                                          : "warp takes one of --max, --min, --mean and --median");
            options.statistic = arg.substr(2);
        } else if (arg == "--at" && command->run == cli::run_point) {
            options.at = value_of(i, argc, argv);
        } else if (arg == "--pixel" && command->run == cli::run_point) {
            options.pixel = value_of(i, argc, argv);
        } else if (arg == "--places" && command->run == cli::run_point) {
            options.places = value_of(i, argc, argv);
        } else if (arg == "--pixels" && command->run == cli::run_crop) {
            options.window = value_of(i, argc, argv);
        } else if (arg == "--box" &&
                   (command->run == cli::run_crop || command->run == cli::run_region)) {
            options.box = value_of(i, argc, argv);
        } else if (arg == "--areas" && command->run == cli::run_region) {
            options.areas = value_of(i, argc, argv);
        } else if (arg == "--grid" && command->run == cli::run_warp) {
            options.grid = value_of(i, argc, argv);
        } else if (arg == "--normal" && command->run == cli::run_anomaly) {
            options.normal = value_of(i, argc, argv);
        } else if (arg == "--lowest" && command->run == cli::run_anomaly) {
            options.lowest = value_of(i, argc, argv);
        } else if (arg == "--highest" && command->run == cli::run_anomaly) {
            options.highest = value_of(i, argc, argv);
        } else if (arg == "--stddev" && command->run == cli::run_anomaly) {
            options.stddev = value_of(i, argc, argv);
        } else if (arg == "--slope" &&
                   (command->run == cli::run_anomaly || command->run == cli::run_composite)) {
            options.slope = value_of(i, argc, argv);
        } else if (arg == "--intercept" &&
                   (command->run == cli::run_anomaly || command->run == cli::run_composite)) {
            options.intercept = value_of(i, argc, argv);
        } else if (arg == "--percent" && command->run == cli::run_anomaly) {
            options.percent = true;
        } else if (arg == "--legend" && command->run == cli::run_render) {
            options.legend = true;
        } else {
            throw cli::UsageError("unknown option '" + arg + "' for " + command->name +
                                  " (see quorvex " + command->name + " --help)");
        }
    }
    if (options.files.empty())
        throw cli::UsageError(std::string(command->name) + " needs a FILE (see quorvex " +
                              command->name + " --help)");
    // The tables file GDAL's IDA driver takes as well, unless named here.
    if (const char *shared = std::getenv("QUORVEX_TABLES"); tables.empty() && shared != nullptr)
        tables = shared;
    if (!tables.empty())
        load_tables(tables, options);
    options.tables_path = tables;
    return command->run(options);
}

} // namespace

int main(int argc, char **argv)
{
    try {
        const int status = run(argc, argv);
        // A report that did not reach its reader is a failure too.
        if (!std::cout.flush())
            throw cli::InputError("standard output: write failed");
        return status;
    } catch (const cli::UsageError &e) {
        std::cerr << "quorvex: " << e.what() << "\n";
        return 2;
    } catch (const cli::InputError &e) {
        std::cerr << "quorvex: " << e.what() << "\n";
        return 1;
    } catch (const std::bad_alloc &) {
        std::cerr << "quorvex: out of memory\n";
        return 1;
    }
}
