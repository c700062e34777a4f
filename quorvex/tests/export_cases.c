// Runs fixed cases through every export of the shared library, loaded by
// name at run time as an outside front end would load it, and prints each
// result exactly (doubles as the hex of their bits).  Builds for different
// platforms must print the same text; scripts/compare-builds.sh compares
// them.  The dialogs and a_key, which wait for a user, are not called.
//
//   export_cases LIBRARY [--x87 24|53|64] [--misalign BYTES]
//
// --x87 sets the x87 precision before the first call, as a host program
// may; --misalign runs every call on a stack moved off 16-byte alignment.
// Both exist on 32-bit x86 only.
#include "quorvex/quorvex.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#  include <fcntl.h>
#  include <io.h>
#  include <windows.h>
#else
#  include <dlfcn.h>
#endif

// Every export, by the name it is exported under (the hook apart: its name
// depends on the platform's calling convention), typed as the header declares
// it.
#define EXPORTS(X)                                                                                 \
  X(real_to_double, _RealPascalToDoubleC)                                                          \
  X(double_to_real, _DoubleCtoRealPascal)                                                          \
  X(header_to_it, _IDAHeaderToIT)                                                                  \
  X(char_to_header, _CharToHeader)                                                                 \
  X(check_params, _CheckCurrImageParams)                                                           \
  X(it_to_header, _IT2IDAHeader)                                                                   \
  X(change_ul, _ChangeULValues)                                                                    \
  X(check_images, _CheckInputImages)                                                               \
  X(read_rec, _ReadRec)                                                                            \
  X(split_field, _SplitField)                                                                      \
  X(check_number, _CheckNumber)                                                                    \
  X(retrieve_lonlat, _RetrieveLonLat)                                                              \
  X(upper, a_maiusc)                                                                               \
  X(lower, a_minusc)                                                                               \
  X(reverse_order, _ReverseOrder)                                                                  \
  X(init_projection, _InitProjection)                                                              \
  X(lonlat_to_image, _LonLatToImage)                                                               \
  X(image_to_lonlat, _ImageToLonLat)                                                               \
  X(initialize, _InitializeQuorvex)                                                                \
  X(strin_length, _GetStrinLength)

#define FIELD(field, name) __typeof__(&name) field;
static struct {
    EXPORTS(FIELD)
    __typeof__(&FileOpenHookProc) hook;
} q;

// Stores the export called name into field; object pointers and function
// pointers convert through memcpy in C99.
static void bind_export(void *library, const char *name, void *field, size_t size)
{
#if defined(_WIN32)
    FARPROC proc = GetProcAddress((HMODULE)library, name);
    void *f;
    memcpy(&f, &proc, sizeof f);
#else
    void *f = dlsym(library, name);
#endif
    if (!f) {
        fprintf(stderr, "export %s not found\n", name);
        exit(1);
    }
    memcpy(field, &f, size);
}

static void bind_all(const char *path)
{
#if defined(_WIN32)
    void *library = (void *)LoadLibraryA(path);
    const char *hook_name = sizeof(void *) == 4 ? "_FileOpenHookProc@16" : "FileOpenHookProc";
#else
    void *library = dlopen(path, RTLD_NOW);
    const char *hook_name = "FileOpenHookProc";
#endif
    if (!library) {
        fprintf(stderr, "cannot load %s\n", path);
        exit(1);
    }
#define BIND_EXPORT(field, name) bind_export(library, #name, &q.field, sizeof q.field);
    EXPORTS(BIND_EXPORT)
    bind_export(library, hook_name, &q.hook, sizeof q.hook);
}

// The bits of a double in hex, most significant first.
static void put_double(double v)
{
    uint64_t bits;
    memcpy(&bits, &v, sizeof bits);
    printf(" %08lx%08lx", (unsigned long)(bits >> 32), (unsigned long)(bits & 0xFFFFFFFFu));
}

static void put_bytes(const unsigned char *b, size_t n)
{
    size_t i;
    putchar(' ');
    for (i = 0; i < n; ++i)
        printf("%02x", b[i]);
}

// A fixed sequence of generated values (64-bit linear congruential).
static unsigned long long seed = 12345;
static double next_unit(void)
{
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return (double)(seed >> 11) / 9007199254740992.0;
}

static PROJITEM projections[256];
static SFEROID spheroids[14];

static void real48_cases(void)
{
    // the worked values, four to a row, then generated ones of three magnitudes
    static const double worked[4][4] = {
        {0.0, 1.0, -1.0, 2.5},
        {-2.5, 0.5, 0.75, 90.0},
        {100.0, 6378137.0, 0.1, 0x1.5555555555555p-2},
        {5e-11, 1073741823.0, 0.3999999999996362, -10.19999999999982}};
    unsigned char r[6];
    int i;
    for (i = 0; i < 316; ++i) {
        const double v = i < 16 ? worked[i / 4][i % 4]
                                : (next_unit() - 0.5) * (i % 3 == 0   ? 2e-6
                                                         : i % 3 == 1 ? 20.0
                                                                      : 2e9);
        q.double_to_real(r, v);
        printf("real48");
        put_double(v);
        put_bytes(r, 6);
        put_double(q.real_to_double(r));
        putchar('\n');
    }
}

static IMAGETYPE projected_image(int16_t code, double lon, double lat, double par1, double par2,
                                 double a, double b)
{
    IMAGETYPE it;
    const HEADER header = {
        code, 1, 0, a, b, lat, lon, par1, par2, 0.0, code == 10 ? 500000.0 : -99999.0};
    memset(&it, 0, sizeof it);
    it.header = header;
    it.dx = it.dy = 1.0;
    it.columns = 64;
    it.rows = 64;
    it.slope = 0.4;
    it.intercept = -10.0;
    return it;
}

#define POINTS 40

// Forward as doubles and as integers, inverse lines, and the inverse lines
// carried onto a grid offset by half a pixel, for one projection.
static void projection_cases(IMAGETYPE it)
{
    double list[2 * POINTS + 1], line[2 * 64 + 1], probe[3];
    int i, k, n;
    const double lon0 = it.header.lon_center, lat0 = it.header.lat_center;
    // Scale the grid so that 64 pixels span the plane around a point 10
    // degrees from the centre.
    q.init_projection(&it, 0);
    probe[0] = lon0 + 10.0;
    probe[1] = lat0 > 70.0 ? lat0 - 20.0 : lat0 + 10.0;
    probe[2] = -99999.0;
    q.lonlat_to_image(&it, probe, 0, 0);
    it.dx = it.dy =
        32.0 / (probe[0] * probe[0] + probe[1] * probe[1] > 0.0
                    ? (probe[0] < 0 ? -probe[0] : probe[0]) + (probe[1] < 0 ? -probe[1] : probe[1])
                    : 1.0);
    it.x_center = 31.5;
    it.y_center = 32.25;
    q.init_projection(&it, 0);
    for (k = 0; k < 2; ++k) {
        for (i = 0; i < POINTS; ++i) {
            double lat = lat0 + (next_unit() - 0.5) * 60.0;
            list[2 * i] = lon0 + (next_unit() - 0.5) * 60.0;
            list[2 * i + 1] = lat > 89.9 ? 89.9 : lat < -89.9 ? -89.9 : lat;
        }
        list[2 * POINTS] = -99999.0;
        q.lonlat_to_image(&it, list, (int16_t)k, 0);
        printf("forward%d %d", k, it.header.projection);
        for (i = 0; i < 2 * POINTS; ++i) {
            if (k == 0) {
                put_double(list[i]);
            } else {
                int32_t v;
                memcpy(&v, (unsigned char *)list + 4 * i, 4);
                printf(" %ld", (long)v);
            }
        }
        putchar('\n');
    }
    {
        IMAGETYPE offset = it;
        offset.x_center += 0.5;
        offset.y_center -= 0.5;
        q.init_projection(&offset, 1);
        for (n = -8; n < 72; n += 19) {
            q.image_to_lonlat(&it, (unsigned short)n, line, 64, 0);
            printf("inverse %d %d", it.header.projection, n);
            for (i = 0; i < 2 * 64 + 1; ++i)
                put_double(line[i]);
            q.lonlat_to_image(&offset, line, 1, 1);
            printf(" |");
            for (i = 0; i < 2 * 64; ++i) {
                int32_t v;
                memcpy(&v, (unsigned char *)line + 4 * i, 4);
                printf(" %ld", (long)v);
            }
            putchar('\n');
        }
    }
}

static void all_projections(void)
{
    const double wa = 6378137.0, wb = 6356752.314245;
    projection_cases(projected_image(2, 0.0, 0.0, -99999.0, -99999.0, 6371228.0, 6371228.0));
    projection_cases(projected_image(3, 10.0, 45.0, -99999.0, -99999.0, wa, wb));
    projection_cases(projected_image(4, -96.0, 39.0, 33.0, 45.0, wa, wb));
    projection_cases(projected_image(5, 0.0, 0.0, -99999.0, -99999.0, 6378.169, 6356.5838));
    projection_cases(projected_image(6, 10.0, 52.0, -99999.0, -99999.0, wa, wb));
    projection_cases(projected_image(7, -45.0, 90.0, 70.0, 70.0, wa, wb));
    projection_cases(projected_image(8, -96.0, 23.0, 29.5, 45.5, wa, wb));
    projection_cases(projected_image(9, 0.0, 0.0, -99999.0, -99999.0, 6370997.0, 6370997.0));
    projection_cases(projected_image(10, 9.0, 0.0, -99999.0, -99999.0, wa, wb));
}

// Header writing and reading, reference-point units and the checks.
static void header_cases(void)
{
    static const int16_t codes[] = {3, 4, 7, 10};
    unsigned char bytes[512];
    IMAGETYPE it, back, first;
    IDATYPE types[1];
    char *names[2] = {"first.ida", "second.ida"};
    char message[256], *end;
    int16_t err = 0;
    int c, u, status;
    FILE *f;
    memset(types, 0, sizeof types);
    types[0].code = 200;
    types[0].label = "NDVI";
    types[0].slope = 0.4;
    types[0].intercept = -10.0;
    for (c = 0; c < 4; ++c) {
        it = projected_image(codes[c], 12.25, 44.5, 38.0, 46.0, 6378137.0, 6356752.314245);
        it.ida_type = 200;
        it.dx = 0.001;
        it.dy = 0.00125;
        it.x_center = 1023.5;
        it.y_center = 511.75;
        memset(bytes, 0, sizeof bytes);
        status = q.it_to_header(&it, bytes, projections);
        printf("header %d %d", codes[c], status);
        put_bytes(bytes, sizeof bytes);
        putchar('\n');
        memset(&back, 0, sizeof back);
        status = q.header_to_it(bytes, &back, projections, spheroids, types, 1, 1);
        printf("read %d", status);
        put_double(back.slope);
        put_double(back.dx);
        put_double(back.x_center);
        put_double(back.header.lat_center);
        put_double(back.header.par2);
        printf(" %d\n", (int)q.check_params(&back.header, &back, 0));
        q.char_to_header(bytes, &back.header, projections);
        put_double(back.header.lon_center);
        putchar('\n');
        for (u = 1; u < 4; ++u) {
            IMAGETYPE moved = back;
            status = q.change_ul(&moved, 0, (int16_t)u);
            printf("units %d %d", u, status);
            put_double(moved.x_center);
            put_double(moved.y_center);
            status = q.change_ul(&moved, (int16_t)u, 0);
            printf(" %d", status);
            put_double(moved.x_center);
            put_double(moved.y_center);
            putchar('\n');
        }
        // Two files on disk, the second with a finer grid from the third
        // case on.
        for (u = 0; u < 2; ++u) {
            if (u == 1 && c >= 2) {
                it.dx *= 2.0;
                q.it_to_header(&it, bytes, projections);
            }
            f = fopen(names[u], "wb");
            if (!f || fwrite(bytes, 1, sizeof bytes, f) != sizeof bytes || fclose(f) != 0) {
                fprintf(stderr, "cannot write %s\n", names[u]);
                exit(1);
            }
        }
        message[0] = '\0';
        end = message;
        q.check_images(&first, projections, spheroids, types, 1, names, 2, &end, &err);
        printf("check %d %s", (int)err, message);
        put_double(first.dx);
        putchar('\n');
    }
}

// Text records, numbers, angles and the small helpers.
static void text_cases(void)
{
    static const char *numbers[] = {"12",
                                    "-3.25",
                                    "+0.5",
                                    "1e5",
                                    "4..2",
                                    " 7 ",
                                    "0.3999999999996362",
                                    "-10.19999999999982",
                                    "123456789012345678901234567890"};
    static const char *angles[] = {"45",  "45 30",   "-12 30 36",   "10.5 0 0",
                                   "181", "1 2 3 4", "0.1 0.2 0.3", "-0 59 59.999"};
    static char record[5120];
    char text[64], *fields[8], *value;
    int16_t equal = 0, err = 0, status, setdir = 0;
    unsigned char words[6] = {1, 2, 3, 4, 5, 6};
    char list[] = "a\0bc\0\0";
    char strin[64], strin1[64];
    FILE *f;
    int i;
    for (i = 0; i < (int)(sizeof numbers / sizeof *numbers); ++i) {
        strcpy(text, numbers[i]);
        printf("number %d %d %d\n", (int)q.check_number(text, 1, -100.0, 100.0),
               (int)q.check_number(text, 0, 0.5, 99.9), (int)q.check_number(text, 1, 0.0, 0.0));
    }
    for (i = 0; i < (int)(sizeof angles / sizeof *angles); ++i) {
        strcpy(text, angles[i]);
        printf("angle %d", i);
        put_double(q.retrieve_lonlat(text, 0));
        strcpy(text, angles[i]);
        put_double(q.retrieve_lonlat(text, 1));
        putchar('\n');
    }
    strcpy(text, "Key=Value");
    q.split_field(text, &value, &equal);
    printf("split %s %s %d\n", text, value, (int)equal);
    strcpy(text, "MiXeD 1");
    printf("case %s", q.upper(text));
    printf(" %s\n", q.lower(text));
    q.reverse_order(words, 3);
    put_bytes(words, 6);
    printf(" %d\n", (int)q.strin_length(list));
    f = fopen("record.txt", "w+");
    if (!f) {
        fprintf(stderr, "cannot write record.txt\n");
        exit(1);
    }
    fputs("; comment\n  one \"two three\" four=4 ; tail\n", f);
    rewind(f);
    for (i = 0; i < 3; ++i) {
        status = q.read_rec(record, fields, f, 8, &err);
        printf("record %d %d %s\n", (int)status, (int)err, status > 0 ? fields[status - 1] : "-");
    }
    fclose(f);
    q.initialize(&setdir, strin, strin1);
    printf("hook %lu\n", (unsigned long)q.hook(NULL, 0, 0, 0));
}

static void run_all(void)
{
    real48_cases();
    header_cases();
    text_cases();
    all_projections();
    fflush(stdout);
}

#if defined(__i386__)
// The x87 precision control: 0 for 24 bits, 2 for 53, 3 for 64.
static void set_x87_precision(unsigned bits)
{
    unsigned short cw;
    __asm__ volatile("fnstcw %0" : "=m"(cw));
    cw = (unsigned short)((cw & ~0x0300u) | ((bits == 24 ? 0u : bits == 53 ? 2u : 3u) << 8));
    __asm__ volatile("fldcw %0" : : "m"(cw));
}

// Calls run_all with the stack pointer moved down by `bytes`, so that every
// call into the library sees a stack off its usual alignment.
static void run_all_misaligned(unsigned bytes)
{
    __asm__ volatile("movl %%esp, %%esi\n\t"
                     "subl %0, %%esp\n\t"
                     "call *%1\n\t"
                     "movl %%esi, %%esp"
                     :
                     : "r"(bytes), "r"(run_all)
                     : "esi", "eax", "ecx", "edx", "memory", "cc");
}
#endif

int main(int argc, char **argv)
{
    unsigned x87 = 0, misalign = 0;
    int i;
    if (argc < 2) {
        fprintf(stderr, "usage: export_cases LIBRARY [--x87 24|53|64] [--misalign BYTES]\n");
        return 2;
    }
    for (i = 2; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--x87") == 0)
            x87 = (unsigned)atoi(argv[i + 1]);
        else if (strcmp(argv[i], "--misalign") == 0)
            misalign = (unsigned)atoi(argv[i + 1]);
    }
    for (i = 0; i < 256; ++i) {
        projections[i].proj = (int16_t)i;
        sprintf(projections[i].name, "P%d", i);
    }
    projections[4].parfalse = 1;
    projections[8].parfalse = 1;
    strcpy(spheroids[1].name, "WGS84");
    spheroids[1].a = 6378137.0;
    spheroids[1].b = 6356752.314245;
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY); /* the same bytes as elsewhere */
#endif
    bind_all(argv[1]);
#if defined(__i386__)
    if (x87)
        set_x87_precision(x87);
    if (misalign) {
        run_all_misaligned(misalign);
        return 0;
    }
#else
    if (x87 || misalign) {
        fprintf(stderr, "--x87 and --misalign exist on 32-bit x86 only\n");
        return 2;
    }
#endif
    run_all();
    return 0;
}
