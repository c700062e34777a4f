/*
 * quorvex.h -- public interface of the QUORVEX library
 *
 * QUORVEX reads and writes the 512-byte header of IDA raster images (one
 * unsigned byte per pixel behind a fixed header whose floating-point fields
 * are 6-byte reals), describes an image in an IMAGETYPE record, checks that
 * several images can be combined pixel by pixel, parses text records and
 * converts between longitude/latitude and image column/line.
 *
 * Conventions that hold for every function below:
 *   - Every record, table and buffer belongs to the caller; the library never
 *     allocates memory for its callers and never frees what it is given.
 *   - Functions that can fail return 100 for success.  A failure is the index
 *     of an entry of the library's message table (a "local code") or, when
 *     the caller passes a non-zero called_from_outside, that entry's outside
 *     error number.  Nothing is thrown and nothing is printed.
 *   - -99999 means "no value" (an empty code slot, no standard parallels, the
 *     end of a coordinate list, a point that cannot be converted).
 *   - Angles at the interface are degrees.
 *
 * The header compiles as C99 and as C++.
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

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------
 * Records
 * ------------------------------------------------------------------------ */

/* Projection parameters of one image. */
typedef struct {
    int16_t projection;  /* 0 none, 2 Hammer-Aitoff, 3 plate carree,
                            4 Lambert conformal conic, 5 geostationary view,
                            6 Lambert azimuthal equal-area, 7 polar
                            stereographic, 8 Albers equal-area conic,
                            9 Goode homolosine, 10 transverse Mercator */
    int16_t spheroid;    /* row of the caller's SFEROID table, 13 for the
                            fixed spheroid of the geostationary view, 0 none */
    int16_t zone;        /* zone number; carried, never interpreted */
    double a;            /* semi-major axis */
    double b;            /* semi-minor axis */
    double lat_center;   /* latitude of the projection centre, degrees */
    double lon_center;   /* longitude of the projection centre, degrees */
    double par1;         /* first standard parallel, degrees, or -99999.0 */
    double par2;         /* second standard parallel, degrees, or -99999.0 */
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
    int16_t ida_type;          /* IDA type code, -9999 = not defined */
    int16_t bytesperpixel;     /* 1 for IDA */
    int16_t bytesorder;        /* 0 for IDA */
    int32_t mincodedvalue;     /* lowest valid coded value */
    int32_t maxcodedvalue;     /* highest valid coded value */
    int32_t missingcodes[10];  /* missing data (-99999 = empty slot) */
    int32_t maskingcodes[10];  /* masked pixels */
    int32_t cloudcodes[10];    /* cloud */
    int32_t nodatacodes[10];   /* no data */
    int32_t sp1;               /* further special code, -99999 = none */
    int32_t sp2;               /* further special code, -99999 = none */
    int16_t nspecialcodes;     /* number of special codes in use */
    int32_t rows;              /* number of lines */
    int32_t columns;           /* pixels per line */
    double slope;              /* physical = slope * coded + intercept */
    double intercept;
    int16_t dxdy_units;        /* unit code of dx/dy; carried only */
    double dx;                 /* pixels per map unit along a row */
    double dy;                 /* pixels per map unit along a column */
    int16_t ul_units;          /* unit code (0-3) of x_center/y_center */
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
 * code.  Bit 0 of parfalse set: the projection has two standard parallels,
 * stored in header bytes 156-167.  No other bit is read. */
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
 * The result is the exact value of the bytes.  Never fails. */
QUORVEX_API double QUORVEX_CALL _RealPascalToDoubleC(const unsigned char *h);

/* Encodes coord into the six bytes at h, writing exactly six bytes.  The
 * mantissa is truncated toward zero, never rounded, so a value the format
 * holds is stored exactly and any other value as the next representable
 * magnitude toward zero.  Magnitudes below 1e-10, zero, -0.0 and NaN give
 * six zero bytes; magnitudes above the largest finite value and infinities
 * give the largest magnitude with their sign.  Never fails. */
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
 *   100  success.
 *   1    (16 from outside) projection code 1 or above 9: only
 *        pit->header.projection has been written.
 *   10   (31 from outside) IDA type neither in the table nor 200: size,
 *        projection and reference point are filled, the special codes,
 *        slope and intercept keep their previous values.
 * For projection code 0 the centre, parallels, false easting/northing,
 * ul_units, x_center, y_center, dx and dy are left as they were.  A dx or
 * dy below 1e-7 in magnitude turns the projection code into 0 (the image is
 * not geolocated) while the values read stay.  Touches no module state. */
QUORVEX_API int16_t QUORVEX_CALL _IDAHeaderToIT(
    const unsigned char *header, IMAGETYPE *pit,
    const PROJITEM *ProjectionItems, const SFEROID *Spheroid,
    const IDATYPE *IdaType, int16_t NIdaType, int called_from_outside);

/* Fills the projection code, centre and standard parallels of *hdr from
 * header bytes str (parallels -99999.0 unless the projection's parfalse
 * bit 0 is set) and sets fn and fe to 0.  spheroid, zone, a and b are not
 * touched.  The projection code (byte 23, 0-255) indexes ProjectionItems
 * without a range test: the table needs a row for every code a header can
 * hold. */
QUORVEX_API void QUORVEX_CALL _CharToHeader(const unsigned char *str,
                                            HEADER *hdr,
                                            const PROJITEM *ProjectionItems);

/* Compares *hdr with pit->header and reports the first difference:
 *   100  the same projection, centre, parallels and false easting/northing
 *        (angles and offsets within 0.00001).
 *   6 (24)  projection codes differ.
 *   7 (25)  centre latitude or longitude differs.
 *   8 (26)  a standard parallel differs.
 *   9 (27)  false easting or northing differs.
 * The numbers in brackets are returned when called_from_outside is set. */
QUORVEX_API int16_t QUORVEX_CALL _CheckCurrImageParams(
    const HEADER *hdr, const IMAGETYPE *pit, int called_from_outside);

/* ------------------------------------------------------------------------
 * Header writing and reference-point units
 * ------------------------------------------------------------------------ */

/* ------------------------------------------------------------------------
 * Consistency check of several images
 * ------------------------------------------------------------------------ */

/* ------------------------------------------------------------------------
 * Text records
 * ------------------------------------------------------------------------ */

/* ------------------------------------------------------------------------
 * Projection frame
 * ------------------------------------------------------------------------ */

/* ------------------------------------------------------------------------
 * File dialogs
 *
 * A folder chooser and a file chooser built on the Windows common file
 * dialog.  On Windows the types below are the platform's own (the ANSI
 * open-file record, window and module handles, the hook type).  Elsewhere
 * the header declares records of the same shape under the library's names
 * only, so no Windows name leaks into a consumer; there the dialogs are
 * never shown and every dialog ends as if cancelled.
 *
 * The caller's module must hold a child dialog template named
 * "MyOpenFileBox" with an edit control 4000 (the folder text) and push
 * buttons 3000 (accept the folder) and 3001 (cancel).  Everything here runs
 * on the caller's user-interface thread, one folder dialog at a time.
 * ------------------------------------------------------------------------ */

#if defined(_WIN32)
#  include <windows.h>
#  include <commdlg.h>
typedef OPENFILENAMEA QUORVEX_OPENFILENAME;
typedef HWND QUORVEX_HWND;
typedef HINSTANCE QUORVEX_HINSTANCE;
typedef UINT QUORVEX_UINT;
typedef WPARAM QUORVEX_WPARAM;
typedef LPARAM QUORVEX_LPARAM;
typedef UINT_PTR QUORVEX_UINT_PTR;
typedef LPOFNHOOKPROC QUORVEX_HOOKPROC;
#  define QUORVEX_HOOK_CALL CALLBACK
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
 * flag that button 3001 clears; strin (at least 160 bytes), which receives
 * the folder the dialog is showing; strin1 (at least 160 bytes), which
 * receives the folder text the user confirms with button 3000.  The
 * pointers stay in force until the next call; a null pointer makes the hook
 * skip that buffer.  Call once before _SetDir.  Touches module state. */
QUORVEX_API void QUORVEX_CALL _InitializeQuorvex(int16_t *setdir, char *strin,
                                                 char *strin1);

/* Shows the folder chooser: the Explorer-style open dialog showing folders
 * and all files, with the child template "MyOpenFileBox" from HInst and the
 * hook FileOpenHook (normally FileOpenHookProc below), starting in initdir
 * under the title caption.  ofn is filled here.  Strin, the dialog's file
 * buffer of at least 5120 bytes, is emptied first; *SetDir is set to 1.
 * SetDir should be the flag registered with _InitializeQuorvex.  Returns
 * *SetDir after the dialog:
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
 * dialog can be shown).  type 1: save dialog; type 2: open dialog for
 * several files, whose result in filename is the folder and the file names
 * as a list of texts ended by an empty text (see _GetStrinLength); any
 * other type: open dialog for one file.  filename (at least 5120 bytes)
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
 * other message (WM_INITDIALOG included).  Touches module state. */
QUORVEX_API QUORVEX_UINT_PTR QUORVEX_HOOK_CALL FileOpenHookProc(
    QUORVEX_HWND hDlg, QUORVEX_UINT iMsg, QUORVEX_WPARAM wParam,
    QUORVEX_LPARAM lParam);

#ifdef __cplusplus
}
#endif

#endif /* QUORVEX_H */
