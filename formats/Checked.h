#pragma once
// Overflow-checked arithmetic: an overflow is a failure, never a wrapped value.

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>

#include "Failure.h"

namespace checked {

template <typename To, typename From> To Narrow(From value) {
    if constexpr (std::is_floating_point_v<From>) {
        if (!(value >= static_cast<From>(std::numeric_limits<To>::min()) &&
              value <= static_cast<From>(std::numeric_limits<To>::max())))
            throw Failure("overflow", "value does not fit");
        return static_cast<To>(value);
    } else {
        if (!std::in_range<To>(value))
            throw Failure("overflow", std::to_string(value) + " does not fit");
        return static_cast<To>(value);
    }
}

inline int16_t ToInt16(auto value) {
    return Narrow<int16_t>(value);
}
inline int32_t ToInt32(auto value) {
    return Narrow<int32_t>(value);
}

// Product of factors as a 32-bit signed value, failing on overflow.
inline int32_t Mul32(std::initializer_list<int64_t> factors) {
    int64_t product = 1;
    for (int64_t f : factors) {
        if (__builtin_mul_overflow(product, f, &product))
            throw Failure("overflow", "size product");
    }
    return ToInt32(product);
}

} // namespace checked
