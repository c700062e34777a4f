/* Reads the header of an IDA file and prints its size and coding law.
 * Without an argument it describes a small header built in memory, so the
 * example runs anywhere. */
#include <quorvex/quorvex.h>

#include <stdio.h>
#include <string.h>

static void build_header(unsigned char *header)
{
    memset(header, 0, QUORVEX_HEADER_SIZE);
    header[22] = QUORVEX_IDA_TYPE_IN_HEADER;   /* coding carried here */
    header[30] = 100;                          /* 100 rows */
    header[32] = 200;                          /* 200 columns */
    header[169] = 250;                         /* highest coded value */
    header[170] = 255;                         /* missing-data code */
    _DoubleCtoRealPascal(header + 171, 0.5);   /* slope */
    _DoubleCtoRealPascal(header + 177, -10.0); /* intercept */
}

int main(int argc, char **argv)
{
    unsigned char header[QUORVEX_HEADER_SIZE];
    PROJITEM projections[10];
    SFEROID spheroids[13];
    IMAGETYPE image;
    int16_t status;

    memset(projections, 0, sizeof projections);
    memset(spheroids, 0, sizeof spheroids);
    memset(&image, 0, sizeof image);

    if (argc > 1) {
        FILE *f = fopen(argv[1], "rb");
        if (f == NULL || fread(header, 1, sizeof header, f) != sizeof header) {
            fprintf(stderr, "%s: cannot read a 512-byte header\n", argv[1]);
            if (f != NULL)
                fclose(f);
            return 1;
        }
        fclose(f);
    } else {
        build_header(header);
    }

    status = _IDAHeaderToIT(header, &image, projections, spheroids, NULL, 0, 1);
    if (status != QUORVEX_SUCCESS) {
        fprintf(stderr, "header refused, error %d\n", status);
        return 1;
    }
    printf("%d x %d pixels, IDA type %d, physical = %g * byte + %g\n", (int)image.columns,
           (int)image.rows, (int)image.ida_type, image.slope, image.intercept);
    return 0;
}
