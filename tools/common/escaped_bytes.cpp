#include "escaped_bytes.h"

namespace linecommon {

std::string escapeBytes(std::string_view bytes, HexDigits digits) {
    const char* hex = digits == HexDigits::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() + 8);
    for (unsigned char c : bytes) {
        switch (c) {
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            default:
                if (c >= 0x20 && c < 0x7f) {
                    out += static_cast<char>(c);
                } else {
                    out += "\\x";
                    out += hex[c >> 4];
                    out += hex[c & 15];
                }
        }
    }
    return out;
}

}  // namespace linecommon
