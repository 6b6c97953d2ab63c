// Parsing and checking what the caller sends: the product line and the
// 32-field registration record. Pure functions on byte strings.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "wire.h"

namespace reghost {

// The product line: tag, field count and record format, tab-separated.
struct ProductLine {
  std::string tag;
  int fieldCount = 0;
  std::string format;
};

enum class ProductVerdict {
  Accepted,
  Malformed,  // not three parts, or the count is not a number: answered ERROR
  Foreign,    // a product, count or format this host does not take: UNKNOWN
};

// Accepted tags are checked by the caller of this function (`isAcceptedTag`
// lets the session hold the list); count and format must be ours.
ProductVerdict parseProductLine(std::string_view line, ProductLine& out);

using Fields = std::array<std::string, kFieldCount>;

enum class RecordError {
  None,
  FieldCount,      // not exactly 31 tabs
  FieldTooLong,    // a field longer than the caller's buffer can hold
  ControlByte,     // a control byte inside a field
  ProductMismatch, // the record's product tag differs from the product line's
};

const char* describe(RecordError error);

// Splits a record line (without its CR LF) into its fields and checks it.
// `productTag` is the tag of the product line accepted earlier.
RecordError parseRecord(std::string_view line, std::string_view productTag, Fields& out);

// Index of the field that carries the product tag.
inline constexpr int kProductTagField = 14;

// Column names for the 32 fields, in field order.
extern const std::array<const char*, kFieldCount> kFieldNames;

// Field texts are 8-bit Windows ANSI (code page 1252); stores and logs keep
// UTF-8. Bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D map to the C1 code points, as
// Windows itself maps them, so the conversion loses nothing.
std::string ansiToUtf8(std::string_view ansi);

}  // namespace reghost
