#pragma once

#include <algorithm>
#include <iterator>
#include <ranges>

namespace tessaly::detail {

// Moves the element at from to to, the ones between shifting by one place
// towards from: what a column move does to every list kept per column.
// Both indexes must lie inside elements.
template <std::ranges::random_access_range Range>
void Move_Element(Range&& elements, int from, int to) {
    const auto first = std::ranges::begin(elements);
    const auto at = [first](int index) {
        return first + static_cast<std::ranges::range_difference_t<Range>>(index);
    };
    if (from < to) {
        std::rotate(at(from), at(from + 1), at(to + 1));
    } else if (to < from) {
        std::rotate(at(to), at(from), at(from + 1));
    }
}

}  // namespace tessaly::detail
