#include "pixel_kinds.h"

namespace cli {

std::array<PixelKind, 256> pixel_kinds(const IMAGETYPE &image)
{
    std::array<PixelKind, 256> kinds;
    kinds.fill(PixelKind::valid);
    // Empty slots (QUORVEX_NO_VALUE) fall outside the byte range and mark nothing.
    const auto mark = [&kinds](int32_t code, PixelKind kind) {
        if (code >= 0 && code <= 255 && kinds[code] == PixelKind::valid)
            kinds[code] = kind;
    };
    for (int32_t code : image.missingcodes)
        mark(code, PixelKind::missing);
    for (const int32_t *codes : {image.maskingcodes, image.cloudcodes, image.nodatacodes})
        for (int i = 0; i < 10; ++i)
            mark(codes[i], PixelKind::special);
    mark(image.sp1, PixelKind::special);
    mark(image.sp2, PixelKind::special);
    return kinds;
}

} // namespace cli
