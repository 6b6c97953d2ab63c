/* The setup profile's contents and their text form, the file QVSETUP.INI.
 * No Windows here: the same code is built natively for tests and fuzzing.
 *
 * The file is an INI-style text a person can read and edit:
 *
 *   ; comment
 *   [Setup]
 *   L0=C:\KESTRIX
 *   S7=MODEM.DBF
 *   S101="  value with spaces or control characters\r\n"
 *   N150=60000
 *
 * A key is the item's kind (S short string, L long string, N number) and its
 * number. A plain value runs to the end of the line, without the blanks
 * around it; a value starting with a double quote is a quoted string with
 * the escapes \\ \" \r \n \t and \xHH. Numbers are decimal (or 0x hex when
 * edited by hand) and fit 32 bits. Lines that do not parse are skipped, so a
 * damaged file still yields every intact item. */
#ifndef QV_PROFILE_TEXT_H
#define QV_PROFILE_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace qvprofile {

enum class Kind { Short, Long, Number };

/* Highest item number of each kind, and the longest text a string item holds
 * (without its NUL): short items fit 81-byte fields, long items paths. */
constexpr int kLastShort = 255;
constexpr int kLastLong = 127;
constexpr int kLastNumber = 255;
constexpr std::size_t kShortMax = 80;
constexpr std::size_t kLongMax = 259;

bool ValidItem(Kind kind, int item);
std::size_t MaxLength(Kind kind);

/* Every item of one profile. Items never set read as "" or 0; a text longer
 * than its kind allows is cut. */
class ProfileItems {
public:
    ProfileItems();

    const std::string& Text(Kind kind, int item) const;  /* kind Short or Long */
    uint32_t Number(int item) const;
    bool IsSet(Kind kind, int item) const;

    /* false for an item number outside its kind's range. */
    bool SetText(Kind kind, int item, const std::string& value);
    bool SetNumber(int item, uint32_t value);

    bool operator==(const ProfileItems& other) const;

private:
    std::string short_[kLastShort + 1];
    std::string long_[kLastLong + 1];
    uint32_t number_[kLastNumber + 1];
    bool set_short_[kLastShort + 1];
    bool set_long_[kLastLong + 1];
    bool set_number_[kLastNumber + 1];
};

/* Reads the text form; never fails, skipping what it cannot read. Returns the
 * number of lines skipped (blank lines, comments and section headers are not
 * counted). */
std::size_t ParseProfile(const char* text, std::size_t size, ProfileItems& items);

/* The canonical text form: a header comment, [Setup], then the items that
 * were set, short strings first, then long strings, then numbers, each in
 * item order. Parsing it gives back the same items. */
std::string SerializeProfile(const ProfileItems& items);

}  // namespace qvprofile

#endif
