/*
 * quorvex.h -- public interface of the QUORVEX library
 *
 * QUORVEX reads and writes the 512-byte header of IDA raster images (one
 * unsigned byte per pixel behind a fixed header whose floating-point fields
 * are 6-byte reals), describes an image in an IMAGETYPE record, checks that
 * several images can be combined pixel by pixel, parses text records and
 * converts between longitude/latitude and image column/line.  The header
 * compiles as C99 and as C++; link with -lquorvex (see quorvex.pc).
 *
 * Conventions that hold for every function below:
 *   - Every record, table and buffer belongs to the caller; the library never
 *     allocates memory for its callers and never frees what it is given.
 *     Nothing is thrown and nothing is printed.
 *   - Results come in four forms, named with each function:
 *       status codes: QUORVEX_SUCCESS (100) for success.  A failure is a
 *         local code, the index of an entry of the library's message table
 *         (QUORVEX_MSG_...), or, when the caller passes a non-zero
 *         called_from_outside, that entry's outside number
 *         (QUORVEX_NERR_...).  _IDAHeaderToIT and _CheckCurrImageParams
 *         return them, _CheckInputImages sets *err to outside numbers;
 *         _CheckNumber returns QUORVEX_SUCCESS or QUORVEX_BAD_NUMBER.
 *       1 for success, 0 for failure: _IT2IDAHeader, _ChangeULValues.
 *       counts, values and flags: _ReadRec (fields found, or
 *         QUORVEX_RECORD_END / QUORVEX_RECORD_SYNTAX_ERROR),
 *         _RetrieveLonLat (degrees, or QUORVEX_NO_VALUE), _SetDir (1 when a
 *         folder was confirmed), _ChooseOneFile (non-zero when a file was
 *         chosen), _GetStrinLength, a_key, the 6-byte real decoder.
 *       nothing: the projection frame marks what it cannot convert with
 *         QUORVEX_NO_VALUE in the caller's buffer instead.
 *   - QUORVEX_NO_VALUE (-99999) means "no value": an empty code slot, no
 *     standard parallels, the end of a coordinate list, a point that cannot
 *     be converted.
 *   - Angles at the interface are degrees.
 *
 * Threads.  Nothing is locked.  Three pieces of module state exist, one per
 * process: the projection engine (its input and output blocks and the
 * pointers of the conversion under way), used by _InitProjection,
 * _LonLatToImage, _ImageToLonLat and, through the input block, by
 * _ChangeULValues and _IT2IDAHeader; the folder chooser's registration and
 * windows (_InitializeQuorvex, _SetDir, FileOpenHookProc); and the second
 * code of a key that a_key keeps for its next call.  Calls that use the
 * same piece must not run at the same time: serialise all projection work
 * in a process with a lock of your own, run the dialogs on the user-
 * interface thread, read keys from one thread.  Every other function
 * touches only its arguments and may run on any thread, concurrently with
 * any call, as long as no record, buffer or stream it writes is used by
 * another call at the same time.  Each function below says whether it
 * touches module state.
 */
#ifndef QUORVEX_H
#define QUORVEX_H

#include <stdint.h>
#include <stdio.h>

#if defined(_WIN32)
#  if defined(QUORVEX_BUILDING) || defined(QUORVEX_STATIC)
/* The DLL's module-definition file names every export (with the decorated
 * name of the hook), so nothing is marked for export here: a second, plain
 * entry for the hook would appear otherwise.  QUORVEX_STATIC: the consumer
 * links the library's objects directly. */
#    define QUORVEX_API
#  else
#    define QUORVEX_API __declspec(dllimport)
#  endif
#  define QUORVEX_CALL __cdecl
#else
#  if defined(QUORVEX_BUILDING)
#    define QUORVEX_API __attribute__((visibility("default")))
#  else
#    define QUORVEX_API
#  endif
#  define QUORVEX_CALL
#endif

/* ------------------------------------------------------------------------
 * Version and named constants (macros only: nothing here is exported)
 * ------------------------------------------------------------------------ */

#define QUORVEX_VERSION_MAJOR 1
#define QUORVEX_VERSION_MINOR 1
#define QUORVEX_VERSION_PATCH 0
#define QUORVEX_VERSION "1.1.0"

/* Results and markers. */
#define QUORVEX_SUCCESS 100          /* status of a call that succeeded */
#define QUORVEX_NO_VALUE (-99999)    /* no value, end of a point list; also
                                        as the double -99999.0 */
#define QUORVEX_BAD_NUMBER (-9999)   /* _CheckNumber: the text is refused */
#define QUORVEX_IDA_TYPE_UNDEFINED (-9999) /* IMAGETYPE.ida_type not known */
#define QUORVEX_IDA_TYPE_IN_HEADER 200 /* coding carried by the header */
#define QUORVEX_HEADER_SIZE 512      /* bytes before the first pixel */

/* Local codes: indices of the library's message table, returned as failure
 * statuses when called_from_outside is 0. */
#define QUORVEX_MSG_CANNOT_OPEN 0
#define QUORVEX_MSG_PROJECTION_UNKNOWN 1
#define QUORVEX_MSG_UNMATCHED_QUOTE 2
#define QUORVEX_MSG_IDA_TYPE_DIFFERS 3
#define QUORVEX_MSG_SIZE_DIFFERS 4
#define QUORVEX_MSG_PIXEL_SIZE_DIFFERS 5
#define QUORVEX_MSG_PROJECTION_DIFFERS 6
#define QUORVEX_MSG_CENTER_DIFFERS 7
#define QUORVEX_MSG_PARALLELS_DIFFER 8
#define QUORVEX_MSG_FALSE_ORIGIN_DIFFERS 9
#define QUORVEX_MSG_IDA_TYPE_UNKNOWN 10
#define QUORVEX_MSG_SPACE_AT_EQUALS 11

/* The same failures by their outside numbers (called_from_outside set, and
 * the *err of _CheckInputImages). */
#define QUORVEX_NERR_CANNOT_OPEN 1
#define QUORVEX_NERR_PROJECTION_UNKNOWN 16
#define QUORVEX_NERR_UNMATCHED_QUOTE 18
#define QUORVEX_NERR_IDA_TYPE_DIFFERS 21
#define QUORVEX_NERR_SIZE_DIFFERS 22
#define QUORVEX_NERR_PIXEL_SIZE_DIFFERS 23
#define QUORVEX_NERR_PROJECTION_DIFFERS 24
#define QUORVEX_NERR_CENTER_DIFFERS 25
#define QUORVEX_NERR_PARALLELS_DIFFER 26
#define QUORVEX_NERR_FALSE_ORIGIN_DIFFERS 27
#define QUORVEX_NERR_IDA_TYPE_UNKNOWN 31
#define QUORVEX_NERR_SPACE_AT_EQUALS 35

/* Projection codes (HEADER.projection, header byte 23). */
#define QUORVEX_PROJECTION_NONE 0
#define QUORVEX_PROJECTION_HAMMER_AITOFF 2
#define QUORVEX_PROJECTION_PLATE_CARREE 3
#define QUORVEX_PROJECTION_LAMBERT_CONFORMAL_CONIC 4
#define QUORVEX_PROJECTION_GEOSTATIONARY 5
#define QUORVEX_PROJECTION_LAMBERT_AZIMUTHAL 6
#define QUORVEX_PROJECTION_POLAR_STEREOGRAPHIC 7
#define QUORVEX_PROJECTION_ALBERS 8
#define QUORVEX_PROJECTION_GOODE 9
#define QUORVEX_PROJECTION_TRANSVERSE_MERCATOR 10

/* Statuses of the projection operations inside the engine.  The frame
 * ignores them and no export returns them; they are named for whoever reads
 * the engine. */
#define QUORVEX_PJ_POINT_NOT_SHOWN (-1)  /* a point the forward cannot show */
#define QUORVEX_PJ_OUTSIDE_DOMAIN (-2)   /* a plane point beyond the map */
#define QUORVEX_PJ_NO_CONVERGENCE (-3)   /* an iteration did not converge */
#define QUORVEX_PJ_STOPPED (-100)        /* the list was abandoned there */

/* Unit codes of IMAGETYPE.ul_units (see _ChangeULValues). */
#define QUORVEX_UNIT_IMAGE 0
#define QUORVEX_UNIT_IMAGE_SCALED 1
#define QUORVEX_UNIT_LONLAT_OFFSET 2
#define QUORVEX_UNIT_LONLAT 3

/* Arguments of the projection frame. */
#define QUORVEX_INPUT_BLOCK 0        /* projtype: the input block */
#define QUORVEX_OUTPUT_BLOCK 1       /* projtype: the output block */
#define QUORVEX_AS_INTEGERS 1        /* calltype: 32-bit integer output */

/* PROJITEM.parfalse: the projection has two standard parallels. */
#define QUORVEX_TWO_PARALLELS 1

/* Text records. */
#define QUORVEX_RECORD_SIZE 5120     /* rec buffer of _ReadRec with a stream */
#define QUORVEX_RECORD_END (-1)      /* _ReadRec: the stream has ended */
#define QUORVEX_RECORD_SYNTAX_ERROR (-100) /* _ReadRec: space next to "=" */
#define QUORVEX_INTEGER_TEXT 0       /* tipo of _CheckNumber */
#define QUORVEX_REAL_TEXT 1
#define QUORVEX_LONGITUDE 0          /* tipo of _RetrieveLonLat */
#define QUORVEX_LATITUDE 1

/* File dialogs. */
#define QUORVEX_CHOOSE_OPEN 0        /* type of _ChooseOneFile */
#define QUORVEX_CHOOSE_SAVE 1
#define QUORVEX_CHOOSE_SEVERAL 2
#define QUORVEX_FILE_BUFFER_SIZE 5120 /* file buffers of the dialogs */
#define QUORVEX_FOLDER_TEXT_SIZE 160 /* strin and strin1 */
#define QUORVEX_ID_FOLDER_EDIT 4000  /* controls of "MyOpenFileBox" */
#define QUORVEX_ID_FOLDER_ACCEPT 3000
#define QUORVEX_ID_FOLDER_CANCEL 3001

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------
 * Records
 * ------------------------------------------------------------------------ */

/* Projection parameters of one image. */
typedef struct {
    int16_t projection;  /* QUORVEX_PROJECTION_... code */
    int16_t spheroid;    /* row of the caller's SFEROID table, 13 for the
                            fixed spheroid of the geostationary view, 0 none */
    int16_t zone;        /* zone number; carried, never interpreted */
    double a;            /* semi-major axis */
    double b;            /* semi-minor axis */
    double lat_center;   /* latitude of the projection centre, degrees */
    double lon_center;   /* longitude of the projection centre, degrees */
    double par1;         /* first standard parallel, degrees, or
                            QUORVEX_NO_VALUE */
    double par2;         /* second standard parallel, degrees, or
                            QUORVEX_NO_VALUE */
    double fn;           /* false northing */
    double fe;           /* false easting */
} HEADER;

/* One image as the library and its callers hold it. */
typedef struct {
    int16_t dir;               /* caller's; not used by the library */
    char *filename;            /* caller's; not used by the library */
    char label[20];            /* caller's; not used by the library */
    int16_t type;              /* set to -1 when read from a header */
    int16_t header_length;     /* header size in bytes; 512 for IDA */
    int16_t ida_type;          /* IDA type code, or
                                  QUORVEX_IDA_TYPE_UNDEFINED */
    int16_t bytesperpixel;     /* 1 for IDA */
    int16_t bytesorder;        /* 0 for IDA */
    int32_t mincodedvalue;     /* lowest valid coded value */
    int32_t maxcodedvalue;     /* highest valid coded value */
    int32_t missingcodes[10];  /* missing data (QUORVEX_NO_VALUE = empty
                                  slot) */
    int32_t maskingcodes[10];  /* masked pixels */
    int32_t cloudcodes[10];    /* cloud */
    int32_t nodatacodes[10];   /* no data */
    int32_t sp1;               /* further special code, QUORVEX_NO_VALUE
                                  = none */
    int32_t sp2;               /* likewise */
    int16_t nspecialcodes;     /* number of special codes in use */
    int32_t rows;              /* number of lines */
    int32_t columns;           /* pixels per line */
    double slope;              /* physical = slope * coded + intercept */
    double intercept;
    int16_t dxdy_units;        /* unit code of dx/dy; carried only */
    double dx;                 /* pixels per map unit along a row */
    double dy;                 /* pixels per map unit along a column */
    int16_t ul_units;          /* QUORVEX_UNIT_... of x_center/y_center */
    double x_center;           /* in unit 0: image column of the centre */
    double y_center;           /* in unit 0: image line of the centre */
    double lr_x;               /* caller's; not used by the library */
    double lr_y;               /* caller's; not used by the library */
    HEADER header;             /* projection parameters */
} IMAGETYPE;

/* One row of the caller's table of IDA types. */
typedef struct {
    uint8_t code;
    char *label;
    int32_t mincodedvalue;
    int32_t maxcodedvalue;
    int32_t missingcodes[10];
    int32_t maskingcodes[10];
    int32_t cloudcodes[10];
    int32_t nodatacodes[10];
    int32_t sp1;
    int32_t sp2;
    int16_t nspecialcodes;
    double slope;
    double intercept;
} IDATYPE;

/* One row of the caller's table of projections, indexed by projection
 * code.  parfalse & QUORVEX_TWO_PARALLELS: the projection has two standard
 * parallels, stored in header bytes 156-167.  No other bit is read. */
typedef struct {
    int16_t proj;
    char name[21];
    uint8_t parfalse;
} PROJITEM;

/* One row of the caller's table of spheroids, indexed by spheroid code. */
typedef struct {
    char name[12];
    double a;   /* semi-major axis */
    double b;   /* semi-minor axis */
} SFEROID;

/* ------------------------------------------------------------------------
 * 6-byte reals
 *
 * Layout: byte 0 exponent (bias 129, 0 = the value zero), bytes 1-5 a 39-bit
 * mantissa least significant byte first with an implicit leading 1, sign in
 * the top bit of byte 5.  40 significant bits, magnitudes from 2^-128 to
 * (2 - 2^-39) * 2^126.
 * ------------------------------------------------------------------------ */

/* Decodes the six bytes at h (no alignment needed).  Every pattern is
 * accepted: an exponent byte of 0 gives 0.0 whatever the other bytes hold.
 * The result is the exact value of the bytes.  Never fails; a NULL h
 * gives 0.0.  Touches no module state. */
QUORVEX_API double QUORVEX_CALL _RealPascalToDoubleC(const unsigned char *h);

/* Encodes coord into the six bytes at h, writing exactly six bytes.  The
 * mantissa is truncated toward zero, never rounded, so a value the format
 * holds is stored exactly and any other value as the next representable
 * magnitude toward zero.  Magnitudes below 1e-10, zero, -0.0 and NaN give
 * six zero bytes; magnitudes above the largest finite value and infinities
 * give the largest magnitude with their sign.  Never fails; a NULL h
 * writes nothing.  Touches no module state. */
QUORVEX_API void QUORVEX_CALL _DoubleCtoRealPascal(unsigned char *h,
                                                   double coord);

/* ------------------------------------------------------------------------
 * IDA header reading
 *
 * Header layout (little-endian, R48 = 6-byte real): 22 IDA type, 23
 * projection code, 30 rows and 32 columns (signed 16-bit), 38 title (80
 * characters), 120 centre latitude, 126 centre longitude, 132 column and
 * 138 line of the centre, 144 dx, 150 dy, 156 and 162 standard parallels
 * (all R48), 168 lowest and 169 highest coded value, 170 missing code,
 * 171 slope and 177 intercept (R48).  Pixels follow from byte 512.
 * ------------------------------------------------------------------------ */

/* Fills *pit from the 512 bytes at header, using the caller's tables.
 * ProjectionItems needs a row for each projection code 0 and 2-9, Spheroid
 * rows 1, 4 and 12; IdaType holds NIdaType rows.
 *   QUORVEX_SUCCESS.
 *   QUORVEX_MSG_PROJECTION_UNKNOWN (1; QUORVEX_NERR_PROJECTION_UNKNOWN, 16,
 *        from outside): projection code 1 or above 9; only
 *        pit->header.projection has been written.
 *   QUORVEX_MSG_IDA_TYPE_UNKNOWN (10; QUORVEX_NERR_IDA_TYPE_UNKNOWN, 31):
 *        IDA type neither in the table nor QUORVEX_IDA_TYPE_IN_HEADER; size,
 *        projection and reference point are filled, the special codes,
 *        slope and intercept keep their previous values.
 *   QUORVEX_MSG_CANNOT_OPEN (0; QUORVEX_NERR_CANNOT_OPEN, 1): header or pit
 *        is NULL, IdaType is NULL with NIdaType above 0 (nothing written),
 *        or the header needs a table that is NULL: Spheroid for codes 4 and
 *        6-9, ProjectionItems for every code but 0 (only
 *        pit->header.projection has been written).
 * For projection code 0 the centre, parallels, false easting/northing,
 * ul_units, x_center, y_center, dx and dy are left as they were.  A dx or
 * dy below 1e-7 in magnitude turns the projection code into 0 (the image is
 * not geolocated) while the values read stay.  Touches no module state. */
QUORVEX_API int16_t QUORVEX_CALL _IDAHeaderToIT(
    const unsigned char *header, IMAGETYPE *pit,
    const PROJITEM *ProjectionItems, const SFEROID *Spheroid,
    const IDATYPE *IdaType, int16_t NIdaType, int called_from_outside);

/* Fills the projection code, centre and standard parallels of *hdr from
 * header bytes str (parallels QUORVEX_NO_VALUE unless the projection's
 * parfalse has QUORVEX_TWO_PARALLELS) and sets fn and fe to 0.  spheroid,
 * zone, a and b are not touched.  The projection code (byte 23, 0-255)
 * indexes ProjectionItems without a range test: the table needs a row for
 * every code a header can hold.  Any NULL argument: nothing happens.
 * Touches no module state. */
QUORVEX_API void QUORVEX_CALL _CharToHeader(const unsigned char *str,
                                            HEADER *hdr,
                                            const PROJITEM *ProjectionItems);

/* Compares *hdr with pit->header and reports the first difference:
 *   QUORVEX_SUCCESS: the same projection, centre, parallels and false
 *        easting/northing (angles and offsets within 0.00001).
 *   QUORVEX_MSG_PROJECTION_DIFFERS (6), _CENTER_DIFFERS (7) for the centre
 *        latitude or longitude, _PARALLELS_DIFFER (8), _FALSE_ORIGIN_DIFFERS
 *        (9); their QUORVEX_NERR_... numbers (24-27) when
 *        called_from_outside is set; also when hdr or pit is NULL.
 * Touches no module state. */
QUORVEX_API int16_t QUORVEX_CALL _CheckCurrImageParams(
    const HEADER *hdr, const IMAGETYPE *pit, int called_from_outside);

/* ------------------------------------------------------------------------
 * Header writing and reference-point units
 * ------------------------------------------------------------------------ */

/* Unit codes of IMAGETYPE.ul_units, the form of x_center and y_center:
 *   QUORVEX_UNIT_IMAGE (0): image values as the projection engine uses them
 *      (in a header, and as _IDAHeaderToIT delivers them: column and line
 *      of the projection centre);
 *   QUORVEX_UNIT_IMAGE_SCALED (1): the unit-0 values divided by dx and dy;
 *   QUORVEX_UNIT_LONLAT_OFFSET (2): longitude and latitude offsets,
 *      x_center = longitude - lon_center, y_center = lat_center - latitude;
 *   QUORVEX_UNIT_LONLAT (3): longitude and latitude in degrees.
 * Units 0 and 3 are tied through the image's projection: the unit-3
 * values of a unit-0 point (x_center, y_center) are the longitude/latitude
 * of the plane point (x_center / dx, -y_center / dy), which is the pixel at
 * column 2 * x_center, line 2 * y_center.  (For plate carree units 1 and 2
 * therefore hold the same numbers.) */

/* Writes the 512 header bytes of the image *pit at header: every byte 0,
 * then the projection code (low byte), for a projected image the centre,
 * the standard parallels (when ProjectionItems[code].parfalse has
 * QUORVEX_TWO_PARALLELS), dx and dy as given, and the reference point
 * turned into unit 0; the IDA type (low byte, 200 for
 * QUORVEX_IDA_TYPE_UNDEFINED), rows and columns (low 16 bits), slope and
 * intercept; for IDA type 200 the lowest, highest and missing codes (the
 * missing code only when missingcodes[0] is not QUORVEX_NO_VALUE).  The title
 * and every other byte stay 0.  When pit->ul_units is not 0 the point is
 * converted from that unit with the reciprocals of dx and dy, through the
 * projection engine's input block (which is then prepared for this image).
 * ProjectionItems needs a row for the code's low byte.  *pit is never
 * changed.  Returns 1, or 0 when the reference point cannot be converted;
 * the bytes written up to then (projection, centre, parallels, dx, dy)
 * stay.  A NULL pit, header or ProjectionItems returns 0 and writes
 * nothing.  Touches the engine's module state (its input block) when
 * pit->ul_units is not QUORVEX_UNIT_IMAGE, none otherwise. */
QUORVEX_API int QUORVEX_CALL _IT2IDAHeader(const IMAGETYPE *pit,
                                           unsigned char *header,
                                           const PROJITEM *ProjectionItems);

/* Converts pIT->x_center and pIT->y_center in place from unit code unit1
 * to unit code unit2 (see above), with pIT's dx, dy and projection centre.
 * pIT->ul_units is not changed.  A unit code outside 0-3 on either side
 * changes nothing.  Conversions between units 0/1 and 2/3 prepare the
 * projection engine's input block for pIT (re-initialise it afterwards if
 * it served another image) and run one point through it.  Returns 1, or 0
 * when the image's projection cannot convert the point (including an
 * image whose code has no projection operations); x_center and y_center
 * are then both QUORVEX_NO_VALUE.  A null pIT changes nothing and gives 0.
 * Touches the engine's module state (its input block) for those
 * conversions, none otherwise. */
QUORVEX_API int QUORVEX_CALL _ChangeULValues(IMAGETYPE *pIT, int16_t unit1,
                                             int16_t unit2);

/* ------------------------------------------------------------------------
 * Consistency check of several images
 * ------------------------------------------------------------------------ */

/* Checks that the IDA files nome[0] .. nome[nfiles - 1] can be combined pixel
 * by pixel.  The first file is described in *pit with _IDAHeaderToIT (same
 * tables, local codes); each further header is compared with *pit in this
 * order, stopping at the first difference: IDA type, projection code, rows
 * and columns (exactly), image column and line of the projection centre
 * (exactly), dx and dy (to 1e-7), then centre, parallels and false origin
 * (to 0.00001, as _CheckCurrImageParams).  A header whose dx or dy is below
 * 1e-7 counts as projection 0, as when reading; for projection 0 nothing
 * after the size is compared.  Files after a difference are not opened.
 *
 * *err receives QUORVEX_SUCCESS when all files agree, else the outside
 * number (QUORVEX_NERR_...):
 *   1   a file cannot be opened or is shorter than 512 bytes (also a NULL
 *       nome, a NULL name, a NULL pit or nfiles below 1), or a table the
 *       first header needs is NULL (see _IDAHeaderToIT);
 *   16  the first file's projection code is refused, 31 its IDA type is
 *       unknown; *pit keeps what _IDAHeaderToIT filled before it stopped;
 *   21 IDA type, 22 size, 23 pixel size, 24 projection, 25 centre position
 *       or centre, 26 parallels, 27 false easting/northing differ.
 * When p is not NULL a message is written at *p and *p is moved onto its
 * terminating zero: "File <name>: " naming the file concerned (not for
 * status 1), then the table text, its placeholder filled with the file
 * name (status 1 and 21-27), the projection code in decimal (16), or the
 * file name and the IDA type in decimal (31).  No line end follows.  The
 * caller provides room for 2 * strlen(longest name) + 100 bytes.  A NULL p
 * or *p writes no message, a NULL err drops the status.  Touches no module
 * state. */
QUORVEX_API void QUORVEX_CALL _CheckInputImages(
    IMAGETYPE *pit, const PROJITEM *ProjectionItems, const SFEROID *Spheroid,
    const IDATYPE *IdaType, int16_t NIdaType, char *const *nome,
    int16_t nfiles, char **p, int16_t *err);

/* ------------------------------------------------------------------------
 * Text records
 * ------------------------------------------------------------------------ */

/* Record syntax: a record is one line; it ends at the first line feed, ";"
 * or "#" (a comment follows ";" and "#", between double quotes too).
 * Fields are separated by runs of spaces and tabs.  Double quotes group: a
 * field that begins with a double quote starts after it and ends at the
 * next double quote; a double quote inside a field (key="a b") opens a
 * quoted part that stays in the field and whose closing quote ends the
 * field.  A tab ends a field even between quotes.  No space may stand next
 * to an "=". */

/* Splits one record into at most num fields, terminating each in place in
 * rec and storing its start in punt[0 .. num - 1] (never beyond).  With fp
 * not NULL, first reads one line of fp into rec, which must hold
 * QUORVEX_RECORD_SIZE (5120) bytes
 * (a longer line is cut and its rest is the next record); with fp NULL,
 * splits the text already in rec.  Returns the number of fields (0 for a
 * blank or comment line, and when num is 0 or less), QUORVEX_RECORD_END
 * (-1) at the end of fp, or QUORVEX_RECORD_SYNTAX_ERROR (-100) when a space
 * stands directly before or after an "=" before the first comment
 * character: then *MyErr = QUORVEX_MSG_SPACE_AT_EQUALS and nothing is
 * split.  When the num-th field ends after an odd number of double quotes,
 * *MyErr = QUORVEX_MSG_UNMATCHED_QUOTE and the count is returned as usual.
 * *MyErr is written only on these errors, so the caller presets it; it
 * may be NULL.  A NULL rec, or a NULL punt, returns 0 (a line of fp is
 * still consumed when rec is given).  Touches no module state; one stream
 * per thread. */
QUORVEX_API int16_t QUORVEX_CALL _ReadRec(char *rec, char **punt, FILE *fp,
                                          int16_t num, int16_t *MyErr);

/* Splits a key=value field at its first "=", which becomes the key's
 * terminating zero.  *is_equal = 1 when there is an "=", else 0; *pval
 * points at the value with any double quotes at its start skipped, or is
 * NULL when there is no "=" or nothing follows it.  Either output pointer
 * may be NULL; a NULL field sets *is_equal = 0 and *pval = NULL.  Touches
 * no module state. */
QUORVEX_API void QUORVEX_CALL _SplitField(char *field, char **pval,
                                          int16_t *is_equal);

/* Checks a numeric text: leading spaces are skipped, trailing spaces
 * removed in place; the rest must be non-empty and consist of digits, "+"
 * and "-" (QUORVEX_INTEGER_TEXT) or digits, ".", "+" and "-" (any other
 * tipo, QUORVEX_REAL_TEXT for one).  No exponent; signs are accepted
 * anywhere.  Unless minval and maxval are both 0 the value (the leading
 * number of the text) must lie in [minval, maxval]; for an integer both
 * bounds are first cut toward zero.  Returns QUORVEX_SUCCESS when valid,
 * QUORVEX_BAD_NUMBER when not (also for a NULL str).  Independent of the C
 * locale.  Touches no module state. */
QUORVEX_API int16_t QUORVEX_CALL _CheckNumber(char *str, int16_t tipo,
                                              double minval, double maxval);

/* Reads an angle typed as one to three blank-separated parts: degrees
 * (ended by "d" or the degree sign, byte 176 or its UTF-8 form), minutes
 * (ended by "'" or "m", 0 to 59.99999) and seconds (ended by a double quote
 * or "s", 0 to 59.999999); markers are optional and only end their own
 * part.  Degrees lie within +-180 for a longitude (QUORVEX_LONGITUDE),
 * +-90 otherwise (QUORVEX_LATITUDE).
 * Minutes and seconds extend the magnitude of the degrees: "-45 30" is
 * -45.5 and "-0 30" is -0.5.  The result of two or three parts must again
 * lie within +-180 (tipo 0) or +-90 (tipo 1).  Returns decimal degrees, or
 * QUORVEX_NO_VALUE when the text is not a valid angle or str is NULL.
 * str is split in place.  Touches no module state. */
QUORVEX_API double QUORVEX_CALL _RetrieveLonLat(char *str, int16_t tipo);

/* Convert s in place to upper (a_maiusc) or lower (a_minusc) case; only
 * the ASCII letters change.  Return s (NULL for NULL).  Touch no module
 * state. */
QUORVEX_API char *QUORVEX_CALL a_maiusc(char *s);
QUORVEX_API char *QUORVEX_CALL a_minusc(char *s);

/* Reads one key from the console without echo and returns it with the PC
 * console's codes: an ordinary key as its character (Enter 13, Backspace
 * 8, Escape 27), a function key F1-F10 as its code negated (F1 = -59), a
 * cursor or editing key and F11/F12 as 224, the key's own code coming with
 * the next call (Up 72, Down 80, Left 75, Right 77, Home 71, End 79, PgUp
 * 73, PgDn 81, Insert 82, Delete 83, F11 133, F12 134).  A terminal is set
 * to raw mode for the read and restored afterwards.  When standard input
 * is not a console, returns its next byte, or -1 at its end.  Touches
 * module state: the second code of a key is kept for the next call. */
QUORVEX_API int16_t QUORVEX_CALL a_key(void);

/* Swaps the two bytes of each of the first dim 16-bit words of buffer
 * (nothing when dim is 0 or less or buffer is NULL).  Touches no module
 * state. */
QUORVEX_API void QUORVEX_CALL _ReverseOrder(void *buffer, int dim);

/* ------------------------------------------------------------------------
 * Projection frame
 *
 * Converts between longitude/latitude (degrees) and image column/line for
 * the projection of an image's header.  Two projection blocks hold the
 * constants of two images side by side: selector (projtype)
 * QUORVEX_INPUT_BLOCK (0) chooses the input block, any other value (say
 * QUORVEX_OUTPUT_BLOCK) the output block.  The blocks and the rest
 * of the engine's state are module-wide and unguarded: one conversion at a
 * time per process.  Nothing reports a failure; a point that cannot be
 * converted is marked with QUORVEX_NO_VALUE.
 *
 * Projection codes with operations: 2 Hammer-Aitoff (plane normalised to
 * [-1, 1] on both axes; dx twice dy gives the equal-area proportions),
 * 3 plate carree (plane unit: degrees), 4 Lambert conformal conic (km for
 * axes in metres), 5 geostationary view (degrees of scan angle), 6 Lambert
 * azimuthal equal-area, 7 polar stereographic, 8 Albers equal-area conic,
 * 9 Goode homolosine and 10 transverse Mercator (the unit of the axes).
 * Image column = x * dx + x_center, line = y_center - y * dy, with (x, y)
 * the plane coordinates.
 *
 * Marked pixels: _ImageToLonLat marks a pixel without position as
 * (-99999, -99999): one in an interruption of the Goode map or beyond its
 * outline, beyond the Hammer-Aitoff plane, or in the space around the
 * geostationary disc.  Such a pair cannot be told from the end marker, so
 * a line handed on to _LonLatToImage ends at its first marked pixel.  A
 * caller that chains such a line converts each run of pixels between
 * marked pixels on its own (pass the address of the run's first pair; the
 * next marked pixel, or the line's end marker, ends it).
 * ------------------------------------------------------------------------ */

/* Prepares the block chosen by projtype for the image pit: copies the
 * header's axes, centre (as radians), standard parallels (unless par1 is
 * -99999) and false easting/northing (unless fe is -99999; always for code
 * 10), installs the projection's operations and computes its constants.
 * Plate carree (code 3) fills no parameter field.  A code without
 * operations installs nothing and the block keeps the operations it had.
 * Must run before any conversion through the selector and again whenever
 * the image or its header changes.  Touches the module state.  This and
 * the two conversions below do nothing at all when given a null image or
 * buffer. */
QUORVEX_API void QUORVEX_CALL _InitProjection(const IMAGETYPE *pit,
                                              int16_t projtype);

/* Converts the point list pp in place into image coordinates of pit,
 * through the block chosen by projtype (prepared for pit beforehand).  pp
 * holds (longitude, latitude) pairs in degrees ended by one -99999.0
 * (QUORVEX_NO_VALUE) where the next longitude would stand; nothing after it
 * is read.  calltype QUORVEX_AS_INTEGERS (1) turns the result into 32-bit
 * integers: column and line of point k in
 * bytes 8k..8k+7, rounded to the nearest with halves down for positive
 * values, truncated for negative ones, saturated at the 32-bit limits, NaN
 * as -99999; the bytes behind the last integer keep their content.  A
 * point the geostationary view cannot see becomes (-99999, -99999) and the
 * list goes on.  The transverse Mercator on a sphere stops at a point that
 * projects to infinity, the Lambert azimuthal at the exact antipode of its
 * centre and the Goode homolosine at a latitude that is not a number:
 * earlier points hold plane coordinates, that point and later ones their
 * longitude/latitude, and no rounding is done.  An
 * image code without operations leaves pp unchanged.  Touches the module
 * state. */
QUORVEX_API void QUORVEX_CALL _LonLatToImage(const IMAGETYPE *pit,
                                             double *pp, int16_t calltype,
                                             int16_t projtype);

/* Fills Buflinedouble, which must hold 2 * width + 1 doubles, with the
 * longitude/latitude (degrees) of pixels 0 to width - 1 of image line
 * line of pit, through the block chosen by projtype, followed by -99999.0.
 * The result is a valid point list for _LonLatToImage (see the marked
 * pixels above).  Pixels outside the projection's domain are marked -99999
 * as the projection defines; an inverse that fails to converge (Albers at
 * the cone's apex, for one), or a Lambert azimuthal pixel beyond the circle
 * of radius 2a, stops the line there, leaving that pixel and the later ones
 * as plane coordinates.  The Hammer-Aitoff inverse is exact: a pixel
 * outside the map's ellipse (x^2 + y^2 = 1 in plane units, y measured from
 * the equator) but within x^2 + y^2 < 2 receives the one point whose
 * unfolded forward lands there, more than 180 degrees from the centre; a
 * pixel beyond is marked and the line goes on.  A geostationary pixel that looks past the Earth, or whose
 * point lies beyond 81.3 degrees of latitude, is marked; after the first
 * pixel of the line with a position, the first such pixel and all later
 * ones are marked (the limb).  When the image's code has no
 * operations, or the block was never prepared with operations, the buffer
 * holds the plane coordinates ((pixel - x_center) / dx, (y_center - line)
 * / dy) and nothing is converted.  Touches the module state. */
QUORVEX_API void QUORVEX_CALL _ImageToLonLat(const IMAGETYPE *pit,
                                             uint16_t line,
                                             double *Buflinedouble,
                                             uint16_t width,
                                             int16_t projtype);

/* ------------------------------------------------------------------------
 * File dialogs
 *
 * A folder chooser and a file chooser built on the Windows common file
 * dialog.  On Windows the types below are the platform's own (the ANSI
 * open-file record, window and module handles, the hook type), named
 * without including any platform header.  Elsewhere the header declares
 * records of the same shape under the library's names only, so no Windows
 * name reaches a consumer; there the dialogs are never shown and every
 * dialog ends as if cancelled.
 *
 * The caller's module must hold a child dialog template named
 * "MyOpenFileBox" with an edit control QUORVEX_ID_FOLDER_EDIT (4000, the
 * folder text) and push buttons QUORVEX_ID_FOLDER_ACCEPT (3000) and
 * QUORVEX_ID_FOLDER_CANCEL (3001).  Everything here runs
 * on the caller's user-interface thread, one folder dialog at a time.
 * ------------------------------------------------------------------------ */

#if defined(_WIN32)
/* The platform's own types, declared by their tags so that this header does
 * not bring in <windows.h>: QUORVEX_OPENFILENAME is OPENFILENAMEA (complete
 * it by including <commdlg.h>), QUORVEX_HWND is HWND and QUORVEX_HINSTANCE
 * HINSTANCE as STRICT (the default) declares them, QUORVEX_HOOKPROC is
 * LPOFNHOOKPROC. */
struct tagOFNA;
struct HWND__;
struct HINSTANCE__;
typedef struct tagOFNA QUORVEX_OPENFILENAME;
typedef struct HWND__ *QUORVEX_HWND;
typedef struct HINSTANCE__ *QUORVEX_HINSTANCE;
typedef unsigned int QUORVEX_UINT;
#  if defined(_WIN64)
typedef unsigned long long QUORVEX_UINT_PTR;
typedef long long QUORVEX_LPARAM;
#  else
typedef unsigned int QUORVEX_UINT_PTR;
typedef long QUORVEX_LPARAM;
#  endif
typedef QUORVEX_UINT_PTR QUORVEX_WPARAM;
#  define QUORVEX_HOOK_CALL __stdcall
typedef QUORVEX_UINT_PTR(QUORVEX_HOOK_CALL *QUORVEX_HOOKPROC)(
    QUORVEX_HWND, QUORVEX_UINT, QUORVEX_WPARAM, QUORVEX_LPARAM);
#else
#  include <stdint.h>
typedef struct QUORVEX_HWND_ *QUORVEX_HWND;
typedef struct QUORVEX_HINSTANCE_ *QUORVEX_HINSTANCE;
typedef unsigned int QUORVEX_UINT;
typedef uintptr_t QUORVEX_WPARAM;
typedef intptr_t QUORVEX_LPARAM;
typedef uintptr_t QUORVEX_UINT_PTR;
typedef QUORVEX_UINT_PTR (*QUORVEX_HOOKPROC)(QUORVEX_HWND, QUORVEX_UINT,
                                             QUORVEX_WPARAM, QUORVEX_LPARAM);
#  define QUORVEX_HOOK_CALL
/* The ANSI open-file record, member for member. */
typedef struct {
    uint32_t lStructSize;
    QUORVEX_HWND hwndOwner;
    QUORVEX_HINSTANCE hInstance;
    const char *lpstrFilter;
    char *lpstrCustomFilter;
    uint32_t nMaxCustFilter;
    uint32_t nFilterIndex;
    char *lpstrFile;
    uint32_t nMaxFile;
    char *lpstrFileTitle;
    uint32_t nMaxFileTitle;
    const char *lpstrInitialDir;
    const char *lpstrTitle;
    uint32_t Flags;
    uint16_t nFileOffset;
    uint16_t nFileExtension;
    const char *lpstrDefExt;
    QUORVEX_LPARAM lCustData;
    QUORVEX_HOOKPROC lpfnHook;
    const char *lpTemplateName;
    void *pvReserved;
    uint32_t dwReserved;
    uint32_t FlagsEx;
} QUORVEX_OPENFILENAME;
#endif

/* Registers the caller's folder-chooser buffers for the hook: setdir, the
 * flag that button 3001 clears; strin (at least QUORVEX_FOLDER_TEXT_SIZE
 * bytes), which receives the folder the dialog is showing; strin1 (as
 * large), which
 * receives the folder text the user confirms with button 3000.  The
 * pointers stay in force until the next call; a null pointer makes the hook
 * skip that buffer.  Call once before _SetDir.  Touches module state. */
QUORVEX_API void QUORVEX_CALL _InitializeQuorvex(int16_t *setdir, char *strin,
                                                 char *strin1);

/* Shows the folder chooser: the Explorer-style open dialog showing folders
 * and all files, with the child template "MyOpenFileBox" from HInst and the
 * hook FileOpenHook (normally FileOpenHookProc below), starting in initdir
 * under the title caption.  ofn is filled here.  Strin, the dialog's file
 * buffer of at least QUORVEX_FILE_BUFFER_SIZE bytes, is emptied first;
 * *SetDir is set to 1.  SetDir should be the flag registered with
 * _InitializeQuorvex.  Returns *SetDir after the dialog:
 *   1  the user confirmed a folder with button 3000; its text is in the
 *      registered strin1.
 *   0  button 3001, or the dialog was closed any other way (its Cancel
 *      button, Escape, the close box): no folder was confirmed, strin1 is
 *      not written, and *SetDir is cleared.  Always 0 where no dialog can
 *      be shown.
 * With a hook other than FileOpenHookProc, *SetDir is returned as that
 * hook left it.  A null ofn, SetDir or Strin returns 0 and shows nothing.
 * Touches module state (the hook's windows and the confirmation). */
QUORVEX_API int16_t QUORVEX_CALL _SetDir(QUORVEX_OPENFILENAME *ofn,
                                         QUORVEX_HWND hwndOwner,
                                         const char *initdir,
                                         const char *caption, int16_t *SetDir,
                                         char *Strin,
                                         QUORVEX_HOOKPROC FileOpenHook,
                                         QUORVEX_HINSTANCE HInst);

/* Shows the file chooser and returns non-zero when the user confirmed a
 * choice, 0 when the dialog was cancelled or failed (always 0 where no
 * dialog can be shown).  type QUORVEX_CHOOSE_SAVE (1): save dialog;
 * QUORVEX_CHOOSE_SEVERAL (2): open dialog for several files, whose result
 * in filename is the folder and the file names as a list of texts ended by
 * an empty text (see _GetStrinLength); any other type (QUORVEX_CHOOSE_OPEN):
 * open dialog for one file.  filename (QUORVEX_FILE_BUFFER_SIZE bytes)
 * holds the initial file name on entry and the choice on success;
 * extension is the default extension, filter the description/pattern
 * pairs ended by an empty text, caption the title, initdir the folder to
 * start in, HInst the caller's module.  ofn is filled here.  A null ofn or
 * filename returns 0 and shows nothing.  Touches no module state. */
QUORVEX_API int16_t QUORVEX_CALL _ChooseOneFile(
    QUORVEX_OPENFILENAME *ofn, QUORVEX_HWND hwndOwner, const char *extension,
    const char *filter, char *filename, const char *caption,
    const char *initdir, int16_t type, QUORVEX_HINSTANCE HInst);

/* Length in bytes of a list of zero-terminated texts ended by an empty
 * text, counting the zero byte that ends the list: 6 for "a", "bc" (bytes
 * 61 00 62 63 00 00), 1 for the empty list.  The list must be terminated.
 * Lengths above 32767 are reported as 32767; a null strin gives 0.
 * Touches no module state. */
QUORVEX_API int16_t QUORVEX_CALL _GetStrinLength(const char *strin);

/* The folder chooser's hook, with the platform's callback convention (on
 * 32-bit Windows exported as _FileOpenHookProc@16).  On WM_INITDIALOG it
 * hides the standard dialog's file-name and file-type controls and its OK
 * button and focuses control 4000; on each folder change it copies the
 * current folder into the registered strin and into control 4000; it
 * refuses every file confirmation so the dialog stays open; button 3000
 * copies control 4000 into the registered strin1 and closes the dialog,
 * button 3001 clears the registered flag and closes it.  Returns 1 for the
 * folder change, the file confirmation and the two buttons, 0 for every
 * other message (WM_INITDIALOG included, and WM_NOTIFY without its data
 * in lParam).  Touches module state. */
QUORVEX_API QUORVEX_UINT_PTR QUORVEX_HOOK_CALL FileOpenHookProc(
    QUORVEX_HWND hDlg, QUORVEX_UINT iMsg, QUORVEX_WPARAM wParam,
    QUORVEX_LPARAM lParam);

#ifdef __cplusplus
}
#endif

#endif /* QUORVEX_H */
