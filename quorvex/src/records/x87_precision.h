// Double rounding for runtime code the library does not compile itself.
//
// The library computes in SSE2 double precision on every platform, but on
// 32-bit x86 the C++ runtime's number reading (std::from_chars) was built
// for the x87 unit, which rounds to whatever precision the host program has
// set (24, 53 or 64 bits).  While a scope of this type lives, the x87 unit
// rounds to double precision and to nearest; the host's control word comes
// back when the scope ends.  Elsewhere the scope does nothing.
#ifndef QUORVEX_X87_PRECISION_H
#define QUORVEX_X87_PRECISION_H

namespace quorvex {

class DoubleRoundingScope {
public:
#if defined(__i386__)
    DoubleRoundingScope()
    {
        __asm__ volatile("fnstcw %0" : "=m"(saved_));
        // Precision control (bits 8-9) 10 = 53 bits; rounding (bits 10-11)
        // 00 = to nearest.
        const unsigned short double_nearest =
            static_cast<unsigned short>((saved_ & ~0x0F00u) | 0x0200u);
        __asm__ volatile("fldcw %0" : : "m"(double_nearest));
    }
    ~DoubleRoundingScope()
    {
        __asm__ volatile("fldcw %0" : : "m"(saved_));
    }

private:
    unsigned short saved_;
#else
    DoubleRoundingScope() {}
    ~DoubleRoundingScope() {}
#endif
    DoubleRoundingScope(const DoubleRoundingScope &) = delete;
    DoubleRoundingScope &operator=(const DoubleRoundingScope &) = delete;
};

} // namespace quorvex

#endif
