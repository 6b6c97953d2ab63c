#include "record.h"

#include <cstdint>

namespace reghost {
namespace {

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Splits on TAB without merging empty parts: "a\t\tb" is three parts.
template <std::size_t N>
std::size_t splitTabs(std::string_view line, std::array<std::string_view, N>& parts) {
  std::size_t count = 0;
  std::size_t start = 0;
  for (;;) {
    std::size_t tab = line.find('\t', start);
    std::string_view part = line.substr(start, tab == std::string_view::npos ? line.npos : tab - start);
    if (count < N) parts[count] = part;
    ++count;
    if (tab == std::string_view::npos) return count;
    start = tab + 1;
  }
}

}  // namespace

ProductVerdict parseProductLine(std::string_view line, ProductLine& out) {
  std::array<std::string_view, 3> parts;
  if (splitTabs(line, parts) != parts.size()) return ProductVerdict::Malformed;
  std::string_view count = parts[1];
  if (count.empty() || count.size() > 4) return ProductVerdict::Malformed;
  int value = 0;
  for (char c : count) {
    if (c < '0' || c > '9') return ProductVerdict::Malformed;
    value = value * 10 + (c - '0');
  }
  for (char c : line)
    if (isControl(static_cast<unsigned char>(c)) && c != '\t') return ProductVerdict::Malformed;
  out.tag.assign(parts[0]);
  out.fieldCount = value;
  out.format.assign(parts[2]);
  if (value != kFieldCount || parts[2] != kRecordFormat) return ProductVerdict::Foreign;
  return ProductVerdict::Accepted;
}

const char* describe(RecordError error) {
  switch (error) {
    case RecordError::None: return "record accepted";
    case RecordError::FieldCount: return "wrong number of fields";
    case RecordError::FieldTooLong: return "field longer than 59 bytes";
    case RecordError::ControlByte: return "control byte inside a field";
    case RecordError::ProductMismatch: return "record names another product";
  }
  return "?";
}

RecordError parseRecord(std::string_view line, std::string_view productTag, Fields& out) {
  std::array<std::string_view, kFieldCount> parts;
  if (splitTabs(line, parts) != parts.size()) return RecordError::FieldCount;
  for (std::string_view part : parts) {
    if (part.size() > kMaxFieldLength) return RecordError::FieldTooLong;
    for (char c : part)
      if (isControl(static_cast<unsigned char>(c))) return RecordError::ControlByte;
  }
  if (parts[kProductTagField] != productTag) return RecordError::ProductMismatch;
  for (int i = 0; i < kFieldCount; ++i) out[i].assign(parts[i]);
  return RecordError::None;
}

const std::array<const char*, kFieldCount> kFieldNames = {
    "first_name",   "last_name",    "company",      "address1",     "address2",
    "city",         "state",        "postcode",     "country",      "email",
    "reserved10",   "voice_phone",  "fax_phone",    "caller_text",  "product",
    "version",      "modem",        "maker",        "processor",    "used_where",
    "learned_from", "magazines",    "bought_where", "reasons",      "reserved24",
    "reserved25",   "reserved26",   "reserved27",   "reserved28",   "online_services",
    "os",           "port",
};

std::string ansiToUtf8(std::string_view ansi) {
  // Code page 1252 in 0x80-0x9F; everything else is Latin-1.
  static const std::uint16_t high[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(ansi.size());
  for (unsigned char c : ansi) {
    std::uint32_t cp = (c >= 0x80 && c < 0xA0) ? high[c - 0x80] : c;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace reghost
