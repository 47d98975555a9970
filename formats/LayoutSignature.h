#pragma once
// How a layout file begins: a JSON object whose first key is "patchery" (its format version),
// e.g. {\n  "patchery": 1, ... Enough to tell a layout from a picture without reading it.

#include <string>
#include <string_view>

// The first bytes of a file, as many as it has up to a few kilobytes.
bool StartsAsLayout(std::string_view head);

// A regular file that starts as a layout. Anything else, or a file that cannot be read, is not.
bool IsLayoutFile(const std::string& path);
