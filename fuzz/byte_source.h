// Values taken one after the other from the fuzzer's bytes: integers of any
// width (little-endian) and doubles (their eight bytes, so NaN, infinities
// and denormals all occur).  Once the bytes run out every value is 0, so
// any input, however short, chooses a complete set of values.
#ifndef QUORVEX_FUZZ_BYTE_SOURCE_H
#define QUORVEX_FUZZ_BYTE_SOURCE_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

class ByteSource {
public:
    ByteSource(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    template <typename T>
    T take()
    {
        static_assert(std::is_arithmetic<T>::value, "numbers only");
        unsigned char bytes[sizeof(T)] = {};
        for (size_t i = 0; i < sizeof(T) && used_ < size_; ++i)
            bytes[i] = data_[used_++];
        T value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

    // A count from 0 to most.
    int take_count(int most) { return take<uint8_t>() % (most + 1); }

private:
    const uint8_t *data_;
    size_t size_;
    size_t used_ = 0;
};

#endif
