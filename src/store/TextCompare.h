#pragma once

#include <string_view>

namespace velmora {

// Text comparisons of the book's SQL: "=" and LIKE ignore the difference
// between upper and lower case (accented letters included: É equals é), but
// not accents themselves (é is not e).

// Orders two UTF-8 texts with case folded: negative, 0 or positive.
int compareNoCase(std::string_view a, std::string_view b);

// LIKE: "%" matches any run of characters (also none), "_" exactly one
// character; every other character stands for itself, without case. There is
// no escape character.
bool likeMatch(std::string_view pattern, std::string_view text);

} // namespace velmora
