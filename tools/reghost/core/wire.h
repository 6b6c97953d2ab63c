// The bytes of the registration dialogue as they travel on the line, and the
// record layout both sides agree on. Shared by the host and its tests.
#pragma once

#include <cstddef>

namespace reghost {

// Prompts the host sends; the caller recognises them in its received stream.
inline constexpr char kPromptInfo[] = "\r\nInfo:";
inline constexpr char kPromptData[] = "\r\nData:";
inline constexpr char kPromptFileSize[] = "\r\nFileSize:";
inline constexpr char kReplyOk[] = "\r\nOK\r\n";
inline constexpr char kReplyError[] = "\r\nERROR\r\n";
inline constexpr char kReplyUnknown[] = "\r\nUNKNOWN\r\n";

// The caller's cancel is a run of six CAN bytes; the host acknowledges it,
// and ends the product file, with three SUB bytes. SUB and NUL therefore
// cannot occur inside the product file.
inline constexpr char kCan = 0x18;
inline constexpr char kSub = 0x1A;
inline constexpr int kCancelRun = 6;
inline constexpr char kFileEnd[] = "\x1a\x1a\x1a";

// The record: 32 tab-separated texts, each held by the caller in a 60-byte
// buffer with its NUL, so at most 59 bytes.
inline constexpr int kFieldCount = 32;
inline constexpr std::size_t kMaxFieldLength = 59;
// 32 full fields and 31 tabs; anything longer is not a record.
inline constexpr std::size_t kMaxLineLength = kFieldCount * kMaxFieldLength + kFieldCount - 1;

// What the caller's product line carries besides its tag.
inline constexpr char kRecordFormat[] = "SF";

}  // namespace reghost
