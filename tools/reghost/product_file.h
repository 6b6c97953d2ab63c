// The product-information file the host sends after a registration.
#pragma once

#include <string>

namespace reghost {

// Reads the file and checks that it can cross the line intact: the caller
// drops NUL bytes (and the rest of their chunk) and reads SUB as the end of
// the file. On failure `error` says why.
bool loadProductFile(const std::string& path, std::string& body, std::string& error);

// A caller allows 45 seconds for the whole file; at 9600 bit/s that is about
// 40 KB. Larger files are served, with a warning at start-up.
inline constexpr std::size_t kProductFileWarnSize = 40 * 1024;

}  // namespace reghost
