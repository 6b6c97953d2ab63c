#include "profile_text.h"

namespace qvprofile {

namespace {

const std::string kEmpty;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* A plain value needs no quoting when parsing it back gives the same text:
 * no control characters, no blanks at either end, no leading quote. */
bool NeedsQuotes(const std::string& value) {
    if (value.empty()) return false;
    if (IsBlank(value.front()) || IsBlank(value.back()) || value.front() == '"') return true;
    for (unsigned char c : value)
        if (c < 0x20 || c == 0x7f) return true;
    return false;
}

void AppendQuoted(std::string& out, const std::string& value) {
    static const char hex[] = "0123456789ABCDEF";
    out += '"';
    for (unsigned char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

/* The text between the quotes of a quoted value (p points at the opening
 * quote); false when the quotes or an escape are broken, or the text would
 * hold a NUL, which no item can. */
bool ParseQuoted(const char* p, const char* end, std::string& out) {
    out.clear();
    for (++p; p < end; ++p) {
        char c = *p;
        if (c == '"') {
            for (++p; p < end; ++p)
                if (!IsBlank(*p)) return false;
            return true;
        }
        if (c == '\0') return false;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++p == end) return false;
        switch (*p) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'x': {
            if (end - p < 3) return false;
            int high = HexDigit(p[1]), low = HexDigit(p[2]);
            if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
            out += static_cast<char>(high * 16 + low);
            p += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;  /* no closing quote */
}

bool ParseNumber(const char* p, const char* end, uint32_t& value) {
    while (end > p && IsBlank(end[-1])) --end;
    unsigned base = 10;
    if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    if (p == end) return false;
    uint64_t v = 0;
    for (; p < end; ++p) {
        int d = HexDigit(*p);
        if (d < 0 || static_cast<unsigned>(d) >= base) return false;
        v = v * base + static_cast<unsigned>(d);
        if (v > 0xffffffffu) return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

/* One "key=value" line (without its line end); false when it is not one. */
bool ParseItemLine(const char* p, const char* end, ProfileItems& items) {
    Kind kind;
    switch (*p) {
    case 'S': case 's': kind = Kind::Short; break;
    case 'L': case 'l': kind = Kind::Long; break;
    case 'N': case 'n': kind = Kind::Number; break;
    default: return false;
    }
    ++p;
    int item = 0, digits = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        if (++digits > 3) return false;
        item = item * 10 + (*p - '0');
    }
    if (digits == 0 || !ValidItem(kind, item)) return false;
    while (p < end && IsBlank(*p)) ++p;
    if (p == end || *p != '=') return false;
    for (++p; p < end && IsBlank(*p);) ++p;

    if (kind == Kind::Number) {
        uint32_t value;
        return ParseNumber(p, end, value) && items.SetNumber(item, value);
    }
    std::string text;
    if (p < end && *p == '"') {
        if (!ParseQuoted(p, end, text)) return false;
    } else {
        while (end > p && IsBlank(end[-1])) --end;
        for (const char* q = p; q < end; ++q)
            if (*q == '\0') return false;
        text.assign(p, end);
    }
    return items.SetText(kind, item, text);
}

void AppendItem(std::string& out, char letter, int item, const std::string& value) {
    out += letter;
    out += std::to_string(item);
    out += '=';
    if (NeedsQuotes(value))
        AppendQuoted(out, value);
    else
        out += value;
    out += "\r\n";
}

}  // namespace

bool ValidItem(Kind kind, int item) {
    switch (kind) {
    case Kind::Short: return item >= 0 && item <= kLastShort;
    case Kind::Long: return item >= 0 && item <= kLastLong;
    case Kind::Number: return item >= 0 && item <= kLastNumber;
    }
    return false;
}

std::size_t MaxLength(Kind kind) { return kind == Kind::Long ? kLongMax : kShortMax; }

ProfileItems::ProfileItems() : number_(), set_short_(), set_long_(), set_number_() {}

const std::string& ProfileItems::Text(Kind kind, int item) const {
    if (!ValidItem(kind, item)) return kEmpty;
    if (kind == Kind::Short) return short_[item];
    if (kind == Kind::Long) return long_[item];
    return kEmpty;
}

uint32_t ProfileItems::Number(int item) const {
    return ValidItem(Kind::Number, item) ? number_[item] : 0;
}

bool ProfileItems::IsSet(Kind kind, int item) const {
    if (!ValidItem(kind, item)) return false;
    switch (kind) {
    case Kind::Short: return set_short_[item];
    case Kind::Long: return set_long_[item];
    case Kind::Number: return set_number_[item];
    }
    return false;
}

bool ProfileItems::SetText(Kind kind, int item, const std::string& value) {
    if (kind == Kind::Number || !ValidItem(kind, item)) return false;
    /* An item is a C string: it ends at the first NUL. */
    std::string text = value.substr(0, value.find('\0'));
    if (text.size() > MaxLength(kind)) text.resize(MaxLength(kind));
    if (kind == Kind::Short) {
        short_[item] = text;
        set_short_[item] = true;
    } else {
        long_[item] = text;
        set_long_[item] = true;
    }
    return true;
}

bool ProfileItems::SetNumber(int item, uint32_t value) {
    if (!ValidItem(Kind::Number, item)) return false;
    number_[item] = value;
    set_number_[item] = true;
    return true;
}

bool ProfileItems::operator==(const ProfileItems& other) const {
    for (int i = 0; i <= kLastShort; ++i)
        if (set_short_[i] != other.set_short_[i] || short_[i] != other.short_[i]) return false;
    for (int i = 0; i <= kLastLong; ++i)
        if (set_long_[i] != other.set_long_[i] || long_[i] != other.long_[i]) return false;
    for (int i = 0; i <= kLastNumber; ++i)
        if (set_number_[i] != other.set_number_[i] || number_[i] != other.number_[i])
            return false;
    return true;
}

std::size_t ParseProfile(const char* text, std::size_t size, ProfileItems& items) {
    std::size_t skipped = 0;
    const char* end = text + size;
    for (const char* line = text; line < end;) {
        const char* eol = line;
        while (eol < end && *eol != '\n') ++eol;
        const char* next = eol < end ? eol + 1 : end;
        if (eol > line && eol[-1] == '\r') --eol;
        while (line < eol && IsBlank(*line)) ++line;
        bool ignorable = line == eol || *line == ';' || *line == '#' || *line == '[';
        if (!ignorable && !ParseItemLine(line, eol, items)) ++skipped;
        line = next;
    }
    return skipped;
}

std::string SerializeProfile(const ProfileItems& items) {
    std::string out =
        "; Kestrix setup profile, shared by every program of the suite.\r\n"
        "; S<n> short string, L<n> long string (a path), N<n> number.\r\n"
        "[Setup]\r\n";
    for (int i = 0; i <= kLastShort; ++i)
        if (items.IsSet(Kind::Short, i)) AppendItem(out, 'S', i, items.Text(Kind::Short, i));
    for (int i = 0; i <= kLastLong; ++i)
        if (items.IsSet(Kind::Long, i)) AppendItem(out, 'L', i, items.Text(Kind::Long, i));
    for (int i = 0; i <= kLastNumber; ++i)
        if (items.IsSet(Kind::Number, i)) AppendItem(out, 'N', i, std::to_string(items.Number(i)));
    return out;
}

}  // namespace qvprofile
