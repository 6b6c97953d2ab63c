// The host on a loopback port, driven by a caller that speaks the library's
// side of the line, with the database checked after every call.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "../common/child_process.h"
#include "caller.h"
#include "core/wire.h"
#include "server.h"

namespace reghost {
namespace {

const char kFile[] = "{\\rtf1\\ansi Kestrix: fax, voice and data.\\par}";

class Host : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/reghost-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    config_.productFile = kFile;
    config_.limits = {1500, 0, 2000, 300};
    std::string error;
    ASSERT_TRUE(store_.open(dir_ + "/regs.sqlite", false, error)) << error;
    ASSERT_TRUE(transcript_.open(dir_ + "/transcript.txt"));
    server_ = std::make_unique<Server>(config_, store_, transcript_);
    server_->setLog(false);
    server_->setMaxCalls(64);
    ASSERT_TRUE(server_->listen("127.0.0.1", 0, error)) << error;
    thread_ = std::thread([this] { server_->run(); });
  }
  void TearDown() override {
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
    std::string cmd = "rm -rf " + dir_;
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }

  // Waits until the host has finished with every call it accepted.
  void settle() {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    const ServerCounters& c = server_->counters();
    while (c.registered + c.failed < c.calls && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }

  std::vector<std::vector<std::string>> rows(const std::string& columns) {
    settle();
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    std::vector<std::vector<std::string>> out;
    sqlite3_open((dir_ + "/regs.sqlite").c_str(), &db);
    std::string sql = "SELECT " + columns + " FROM registrations ORDER BY id";
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        row.push_back(text ? text : "");
      }
      out.push_back(row);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
  }

  int port() const { return server_->port(); }

  // A call brought to the host's request for the record.
  void callUpToTheRecord(LineCaller& caller, int window = 0) {
    ASSERT_TRUE(caller.connect(port(), window));
    ASSERT_TRUE(caller.expect(kPromptInfo, 2000));
    caller.send(productLineMessage());
    ASSERT_TRUE(caller.expect(kPromptData, 2000));
  }

  // A whole call that must end registered.
  void registerCall(int sample) {
    LineCaller caller;
    ASSERT_TRUE(caller.connect(port()));
    EXPECT_EQ(registerOnce(caller, sampleFields(sample)), CallEnd::Registered);
    caller.hangUp();
  }

  std::string dir_;
  SessionConfig config_;
  RegistrationStore store_;
  Transcript transcript_;
  std::unique_ptr<Server> server_;
  std::thread thread_;
};

TEST_F(Host, WholeRegistrationIsStoredWithEveryField) {
  LineCaller caller;
  ASSERT_TRUE(caller.connect(port()));
  Fields fields = sampleFields(1);
  fields[13] = "Caller's \xe9t\xe9";  // Windows ANSI é
  fields[24] = std::string(59, 'z');
  std::string file;
  ASSERT_EQ(registerOnce(caller, fields, &file), CallEnd::Registered);
  EXPECT_EQ(file, kFile);
  caller.hangUp();

  // Windows ANSI arrives as UTF-8; the raw record is kept as sent.
  std::string line = recordMessage(fields);
  auto stored = rows("product_line, product_tag, field_count, record_format, first_name, "
                     "last_name, caller_text, reserved24, port, record, peer");
  ASSERT_EQ(stored.size(), 1u);
  const std::string peer = stored[0].back();
  stored[0].pop_back();
  EXPECT_EQ(stored[0], (std::vector<std::string>{"KXWIN\t32\tSF", "KXWIN", "32", "SF", "Ann", "Lee 1",
                                                 "Caller's \xc3\xa9t\xc3\xa9", std::string(59, 'z'),
                                                 "COM2", line.substr(2, line.size() - 4)}));
  EXPECT_EQ(peer.rfind("127.0.0.1:", 0), 0u) << peer;

  // The transcript shows both directions of the call, in order.
  std::ifstream in(dir_ + "/transcript.txt");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t info = text.find("> \"\\r\\nInfo:\"");
  std::size_t product = text.find("< \"\\r\\nKXWIN\\t32\\tSF\\r\\n\"");
  std::size_t end = text.find("\\x1A\\x1A\\x1A\"");
  EXPECT_TRUE(info < product && product < end && end != std::string::npos) << text;
  EXPECT_NE(text.find("* \"registered\""), std::string::npos) << text;
}

TEST_F(Host, HangingUpAtAnyByteStoresNothingAndLeavesTheHostServing) {
  std::string callerBytes = productLineMessage() + recordMessage(sampleFields(3));
  // Up to the record's last byte: once the record is whole, the host answers
  // OK and stores as soon as the file has reached the caller.
  std::vector<std::size_t> cuts;
  for (std::size_t cut = 0; cut < callerBytes.size(); cut += 7) cuts.push_back(cut);
  cuts.push_back(callerBytes.size() - 1);  // all but the record's final LF
  for (std::size_t cut : cuts) {
    LineCaller caller;
    ASSERT_TRUE(caller.connect(port()));
    ASSERT_TRUE(caller.expect(kPromptInfo, 2000));
    caller.send(callerBytes.substr(0, cut));
    caller.hangUp();
  }
  settle();
  registerCall(4);
  auto stored = rows("last_name");
  ASSERT_EQ(stored.size(), 1u) << "only the completed call";
  EXPECT_EQ(stored[0][0], "Lee 4");
}

TEST_F(Host, HangingUpBeforeTheFileIsInStoresNothing) {
  // The file fits the host's send buffer but not the caller's small receive
  // window, and the caller stops reading after OK: the host has handed every
  // byte to its kernel, yet the caller has not got them when it hangs up.
  config_.productFile = std::string(200 << 10, 'k');
  LineCaller caller;
  ASSERT_NO_FATAL_FAILURE(callUpToTheRecord(caller, 4096));
  caller.send(recordMessage(sampleFields(7)));
  ASSERT_TRUE(caller.expect(kReplyOk, 2000));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  caller.hangUp();
  EXPECT_TRUE(rows("id").empty());
  EXPECT_EQ(server_->counters().failed, 1u);
}

TEST_F(Host, HostileInputNeverCrashesTheHost) {
  std::string junk;
  for (int i = 0; i < 20000; ++i) junk += static_cast<char>((i * 7919) ^ (i >> 3));
  const std::string attacks[] = {
      junk,
      std::string(100000, 'A'),  // a line longer than any record
      "\r\nKXWIN\t99999999999999999999999\tSF\r\n",
      "\r\nFileSize: 18446744073709551616\r\n\r\nFileSize: -1\r\n",
      productLineMessage() + std::string(31, '\t') + std::string(40, '\t') + "\r\n",
      productLineMessage() + std::string(1, '\0') + recordMessage(sampleFields(5)),
      std::string(5, kCan) + std::string(100, '\n') + std::string(5000, kCan),
  };
  for (const std::string& attack : attacks) {
    LineCaller caller;
    ASSERT_TRUE(caller.connect(port()));
    caller.send(attack);
    // Every attack is either answered or hung up on within the limits.
    EXPECT_TRUE(caller.waitForClose(4000)) << escapeBytes(attack.substr(0, 60));
  }
  registerCall(6);
  EXPECT_EQ(rows("id").size(), 1u);
}

TEST_F(Host, SilentCallerIsDroppedAfterTheReplyLimit) {
  LineCaller caller;
  ASSERT_TRUE(caller.connect(port()));
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(caller.waitForClose(5000));
  auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(waited, 1400);
  EXPECT_LT(waited, 3000);
}

TEST_F(Host, ManyCallsAtOnceAreAllStored) {
  std::vector<std::thread> callers;
  std::atomic<int> registered{0};
  for (int i = 0; i < 40; ++i) {
    callers.emplace_back([&, i] {
      LineCaller caller;
      if (caller.connect(port()) && registerOnce(caller, sampleFields(100 + i)) ==
                                        CallEnd::Registered)
        ++registered;
    });
  }
  // A silent caller holds a slot but nobody else's call.
  LineCaller silent;
  ASSERT_TRUE(silent.connect(port()));
  for (auto& t : callers) t.join();
  EXPECT_EQ(registered, 40);
  EXPECT_EQ(rows("id").size(), 40u);
}

TEST(Program, ServesFromTheCommandLineAndRefusesAFileThatCannotCrossTheLine) {
  char dir[] = "/tmp/reghost-prog-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string base = dir;
  std::ofstream(base + "/bad.rtf") << "{\\rtf1 a\x1a" "b}";
  std::string db = base + "/regs.sqlite";

  ChildProcess bad(REGHOST_PROGRAM, {"--port", "0", "--db", db, "--product-file", base + "/bad.rtf"});
  EXPECT_EQ(bad.wait(), 1);

  // The shipped file is an RTF document a word processor opens: one group,
  // balanced braces, plain ASCII with escapes for anything else.
  std::ifstream shipped(REGHOST_PRODUCT_FILE, std::ios::binary);
  std::string rtf((std::istreambuf_iterator<char>(shipped)), std::istreambuf_iterator<char>());
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi", 0), 0u);
  int depth = 0;
  for (std::size_t i = 0; i < rtf.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(rtf[i]);
    ASSERT_TRUE(c == '\n' || c == '\r' || (c >= 0x20 && c < 0x7F)) << "byte " << i;
    if (c == '\\') ++i;  // an escaped brace or backslash
    else if (c == '{') ++depth;
    else if (c == '}' && --depth == 0) EXPECT_EQ(rtf.find_first_not_of("\r\n", i + 1), rtf.npos);
    ASSERT_GE(depth, 0) << "byte " << i;
  }
  EXPECT_EQ(depth, 0);

  // The program as a person starts it: options, the port line, Ctrl+C.
  ChildProcess host(REGHOST_PROGRAM, {"--port", "0", "--db", db, "--quiet", "--accept", "QVFAX",
                                      "--accept", "KXWIN", "--product-file", REGHOST_PRODUCT_FILE});
  std::string ready = host.line();
  int port = 0;
  ASSERT_EQ(std::sscanf(ready.c_str(), "reghost: listening on 127.0.0.1 port %d", &port), 1)
      << ready;
  LineCaller caller;
  ASSERT_TRUE(caller.connect(port));
  std::string file;
  EXPECT_EQ(registerOnce(caller, sampleFields(8), &file), CallEnd::Registered);
  EXPECT_EQ(file.rfind("{\\rtf1", 0), 0u) << "the shipped product file";
  caller.hangUp();
  EXPECT_EQ(host.stop(), 0);
  std::string cmd = "rm -rf " + base;
  EXPECT_EQ(std::system(cmd.c_str()), 0);
}

}  // namespace
}  // namespace reghost
