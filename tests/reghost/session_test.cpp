// The registration dialogue without a network: bytes in, bytes out, a clock
// that the test turns by hand.
#include <gtest/gtest.h>

#include "core/session.h"
#include "core/transcript.h"
#include "core/wire.h"

namespace reghost {
namespace {

std::string productLine(const std::string& tag = "KXWIN", const std::string& count = "32",
                        const std::string& format = "SF") {
  return "\r\n" + tag + "\t" + count + "\t" + format + "\r\n";
}

std::string record(int fields = 32, const std::string& first = "Ann",
                   const std::string& product = "KXWIN") {
  std::string line = "\r\n" + first;
  for (int i = 1; i < fields; ++i) line += "\t" + std::string(i == 14 ? product : "");
  return line + "\r\n";
}

struct Dialogue : ::testing::Test {
  Dialogue() {
    config.productFile = "{\\rtf1 Kestrix}";
    session.start(0);
    sent = session.takeOutput();
  }
  // Feeds bytes and returns what the host answers to them.
  std::string say(const std::string& bytes, Millis now = 0) {
    session.receive(bytes, now);
    return session.takeOutput();
  }
  SessionConfig config;
  Session session{config};
  std::string sent;
};

TEST_F(Dialogue, WholeRegistrationSendsTheFileEndOnlyAfterTheStoreSucceeds) {
  EXPECT_EQ(sent, "\r\nInfo:");
  EXPECT_EQ(say(productLine()), "\r\nFileSize: 15\r\n\r\nData:");
  EXPECT_EQ(say(record()), "\r\nOK\r\n{\\rtf1 Kestrix}");
  EXPECT_EQ(session.phase(), Phase::Delivering);
  session.delivered(10);
  ASSERT_EQ(session.phase(), Phase::Storing);
  EXPECT_EQ(session.registration().fields[0], "Ann");
  EXPECT_EQ(session.registration().fields[14], "KXWIN");
  EXPECT_EQ(session.registration().productLine, "KXWIN\t32\tSF");
  EXPECT_EQ(session.takeOutput(), "");
  session.stored(true, 10);
  EXPECT_EQ(session.takeOutput(), "\x1a\x1a\x1a");
  EXPECT_EQ(session.outcome(), Outcome::Registered);
  EXPECT_EQ(session.phase(), Phase::Closing);
}

TEST_F(Dialogue, FailedStoreHangsUpWithoutTheFileEnd) {
  say(productLine());
  say(record());
  session.delivered(0);
  session.stored(false, 0);
  EXPECT_EQ(session.takeOutput(), "");
  EXPECT_EQ(session.phase(), Phase::Closed);
  EXPECT_EQ(session.outcome(), Outcome::StoreFailed);
}

TEST_F(Dialogue, ByteByByteIsTheSameDialogue) {
  std::string answers;
  for (char c : productLine() + record()) answers += say(std::string(1, c));
  EXPECT_EQ(answers, "\r\nFileSize: 15\r\n\r\nData:\r\nOK\r\n{\\rtf1 Kestrix}");
}

TEST(ProductLine, VerdictsForWhatCallersSend) {
  struct Case {
    const char* line;
    ProductVerdict verdict;
  } cases[] = {
      {"KXWIN\t32\tSF", ProductVerdict::Accepted},
      {"OTHER\t32\tSF", ProductVerdict::Accepted},  // tag is checked by the session
      {"KXWIN\t31\tSF", ProductVerdict::Foreign},
      {"KXWIN\t32\tXY", ProductVerdict::Foreign},
      {"KXWIN\t0032\tSF", ProductVerdict::Accepted},
      {"KXWIN\t99999999999999999999\tSF", ProductVerdict::Malformed},
      {"KXWIN\t-32\tSF", ProductVerdict::Malformed},
      {"KXWIN\t\tSF", ProductVerdict::Malformed},
      {"KXWIN 32 SF", ProductVerdict::Malformed},
      {"KXWIN\t32\tSF\t", ProductVerdict::Malformed},
      {"KXWIN\t32", ProductVerdict::Malformed},
      {"KX\x01WIN\t32\tSF", ProductVerdict::Malformed},
  };
  for (const Case& c : cases) {
    ProductLine out;
    EXPECT_EQ(parseProductLine(c.line, out), c.verdict) << escapeBytes(c.line);
  }
}

TEST(Record, RejectsWhatNoCallerCanSend) {
  Fields fields;
  std::string full59(59, 'x');
  std::string ok = record().substr(2, record().size() - 4);
  EXPECT_EQ(parseRecord(ok, "KXWIN", fields), RecordError::None);
  EXPECT_EQ(parseRecord(record(31).substr(2), "KXWIN", fields), RecordError::FieldCount);
  EXPECT_EQ(parseRecord(ok + "\t", "KXWIN", fields), RecordError::FieldCount);
  EXPECT_EQ(parseRecord(full59 + ok.substr(3), "KXWIN", fields), RecordError::None);
  EXPECT_EQ(parseRecord(full59 + "y" + ok.substr(3), "KXWIN", fields), RecordError::FieldTooLong);
  EXPECT_EQ(parseRecord("A\x18nn" + ok.substr(3), "KXWIN", fields), RecordError::ControlByte);
  EXPECT_EQ(parseRecord(ok, "OTHER", fields), RecordError::ProductMismatch);
  // Windows ANSI letters are data, not control bytes.
  EXPECT_EQ(parseRecord("Ren\xe9" + ok.substr(3), "KXWIN", fields), RecordError::None);
  EXPECT_EQ(ansiToUtf8(fields[0]), "Ren\xc3\xa9");
  EXPECT_EQ(ansiToUtf8("\x80\x81\x9f"), "\xe2\x82\xac\xc2\x81\xc5\xb8");
}

TEST_F(Dialogue, RejectionsAnswerOnceAndIgnoreTheRest) {
  struct Case {
    std::string bytes;
    std::string reply;
    Outcome outcome;
  } cases[] = {
      {productLine("NOPE"), kReplyUnknown, Outcome::Unknown},
      {productLine("KXWIN", "16"), kReplyUnknown, Outcome::Unknown},
      {productLine("KXWIN", "x"), kReplyError, Outcome::Rejected},
      {record(), kReplyError, Outcome::Rejected},  // a record before any product line
      {productLine() + record(33), kReplyError, Outcome::Rejected},
      {productLine() + record(32, "Ann", "OTHER"), kReplyError, Outcome::Rejected},
      {std::string(3000, 'A'), kReplyError, Outcome::Rejected},
  };
  for (const Case& c : cases) {
    Session s(config);
    s.start(0);
    s.takeOutput();
    // What follows the offending bytes is not looked at any more.
    s.receive(c.bytes + productLine() + record(), 0);
    std::string out = s.takeOutput();
    EXPECT_TRUE(out.size() >= c.reply.size() &&
                out.compare(out.size() - c.reply.size(), c.reply.size(), c.reply) == 0)
        << escapeBytes(c.bytes) << " answered " << escapeBytes(out);
    EXPECT_EQ(out.find(kReplyOk), std::string::npos) << escapeBytes(c.bytes);
    EXPECT_EQ(s.outcome(), c.outcome) << escapeBytes(c.bytes);
    EXPECT_EQ(s.phase(), Phase::Closing);
  }
}

TEST_F(Dialogue, CancelIsAcknowledgedAtEveryStageBeforeTheStore) {
  const std::string cancel(6, kCan);
  const std::string stages[] = {"", productLine(), productLine() + record(),
                                productLine() + "\r\nAnn\tLe"};
  for (const std::string& before : stages) {
    Session s(config);
    s.start(0);
    s.receive(before, 0);
    s.takeOutput();
    s.receive(cancel, 0);
    EXPECT_EQ(s.takeOutput(), "\x1a\x1a\x1a") << escapeBytes(before);
    EXPECT_EQ(s.outcome(), Outcome::Cancelled);
    s.delivered(0);
    EXPECT_NE(s.phase(), Phase::Storing) << "a cancelled call must not be stored";
  }
  // Five CAN bytes are not a cancel: they poison the line they sit in.
  EXPECT_EQ(say(std::string(5, kCan) + productLine()), kReplyError);
}

TEST_F(Dialogue, TimeLimitsEndSilentCalls) {
  config.limits = {1000, 300, 2000, 500};
  Session s(config);
  s.start(0);
  EXPECT_EQ(s.takeOutput(), kPromptInfo);
  s.tick(299);
  EXPECT_EQ(s.takeOutput(), "");
  s.tick(300);
  EXPECT_EQ(s.takeOutput(), kPromptInfo) << "the first prompt may have been lost";
  EXPECT_EQ(s.nextDeadline(), 600);
  s.tick(1000);
  EXPECT_EQ(s.phase(), Phase::Closed);
  EXPECT_EQ(s.outcome(), Outcome::TimedOut);

  Session late(config);
  late.start(0);
  late.receive(productLine(), 900);
  late.receive(record(), 1800);  // each reply gets the full limit
  late.takeOutput();
  EXPECT_EQ(late.phase(), Phase::Delivering);
  late.tick(3799);
  EXPECT_EQ(late.phase(), Phase::Delivering);
  late.tick(3800);
  EXPECT_EQ(late.outcome(), Outcome::TimedOut) << "a file nobody takes is not a registration";
}

TEST_F(Dialogue, RepeatedProductLineFromARepeatedPromptIsHarmless) {
  say(productLine());
  EXPECT_EQ(say(productLine()), "");
  EXPECT_EQ(say(record()).substr(0, 6), kReplyOk);
}

TEST(Transcript, LinesAreTimestampedAndEscaped) {
  EXPECT_EQ(transcriptLine(1764950400123, 7, Direction::FromCaller, "\r\nA\t\"\\\x18\xff"),
            "2025-12-05T16:00:00.123Z #7 < \"\\r\\nA\\t\\\"\\\\\\x18\\xFF\"\n");
}

}  // namespace
}  // namespace reghost
