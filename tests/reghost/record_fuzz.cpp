// Feeds arbitrary bytes to the host's side of the dialogue: the product line
// and record parsers directly, then the whole session split into two reads.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/record.h"
#include "core/session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  reghost::ProductLine product;
  reghost::parseProductLine(bytes, product);
  reghost::Fields fields;
  reghost::parseRecord(bytes, "KXWIN", fields);
  reghost::ansiToUtf8(bytes);

  static const reghost::SessionConfig config = [] {
    reghost::SessionConfig c;
    c.productFile = "{\\rtf1 x}";
    return c;
  }();
  reghost::Session session(config);
  session.start(0);
  std::size_t split = size ? data[0] % (size + 1) : 0;
  session.receive(bytes.substr(0, split), 1);
  session.receive(bytes.substr(split), 2);
  session.delivered(3);
  if (session.phase() == reghost::Phase::Storing) {
    // Only a well-formed record reaches the store.
    const auto& r = session.registration();
    if (r.fields[reghost::kProductTagField] != r.product.tag) __builtin_trap();
    session.stored(true, 4);
  }
  session.tick(100000);
  session.takeOutput();
  return 0;
}
