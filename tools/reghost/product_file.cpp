#include "product_file.h"

#include <fstream>
#include <iterator>

#include "core/wire.h"

namespace reghost {

bool loadProductFile(const std::string& path, std::string& body, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (body.empty()) {
    error = path + " is empty";
    return false;
  }
  std::size_t bad = body.find_first_of(std::string("\0", 1) + kSub);
  if (bad != std::string::npos) {
    error = path + " holds a NUL or SUB byte at offset " + std::to_string(bad) +
            "; the caller would cut the file there";
    return false;
  }
  return true;
}

}  // namespace reghost
