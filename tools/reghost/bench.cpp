// reghost_bench: how many registrations per second the host completes with
// many callers at once, none of them paced like a modem. Starts the host in
// this process on a free loopback port with a fresh database, runs the
// callers, then counts the stored rows.
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "caller.h"
#include "product_file.h"
#include "server.h"

namespace {

long countRows(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_stmt* st = nullptr;
  long rows = -1;
  if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM registrations", -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW)
    rows = sqlite3_column_int64(st, 0);
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  int concurrency = 50;
  int total = 5000;
  bool durable = true;
  std::string productPath = "product.rtf";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--callers" && i + 1 < argc) concurrency = std::atoi(argv[++i]);
    else if (a == "--calls" && i + 1 < argc) total = std::atoi(argv[++i]);
    else if (a == "--product-file" && i + 1 < argc) productPath = argv[++i];
    else if (a == "--relaxed") durable = false;
    else {
      std::fprintf(stderr,
                   "usage: reghost_bench [--callers 50] [--calls 5000] [--product-file F] "
                   "[--relaxed]\n");
      return 2;
    }
  }

  reghost::SessionConfig config;
  std::string error;
  if (!reghost::loadProductFile(productPath, config.productFile, error)) {
    std::fprintf(stderr, "reghost_bench: %s\n", error.c_str());
    return 1;
  }
  char dir[] = "/tmp/reghost-bench-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  std::string dbPath = std::string(dir) + "/regs.sqlite";
  reghost::RegistrationStore store;
  if (!store.open(dbPath, durable, error)) {
    std::fprintf(stderr, "reghost_bench: %s\n", error.c_str());
    return 1;
  }
  reghost::Transcript noTranscript;
  reghost::Server server(config, store, noTranscript);
  server.setLog(false);
  server.setMaxCalls(concurrency * 2);
  if (!server.listen("127.0.0.1", 0, error)) {
    std::fprintf(stderr, "reghost_bench: %s\n", error.c_str());
    return 1;
  }
  std::thread host([&] { server.run(); });

  std::atomic<int> next{0};
  std::atomic<int> registered{0};
  std::atomic<int> failed{0};
  auto started = std::chrono::steady_clock::now();
  std::vector<std::thread> callers;
  for (int c = 0; c < concurrency; ++c) {
    callers.emplace_back([&] {
      reghost::LineCaller caller;
      for (int n; (n = next++) < total;) {
        bool ok = caller.connect(server.port()) &&
                  reghost::registerOnce(caller, reghost::sampleFields(n)) ==
                      reghost::CallEnd::Registered;
        caller.hangUp();  // as the library does once the file is in
        (ok ? registered : failed)++;
      }
    });
  }
  for (auto& t : callers) t.join();
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  // Let the host see the last hang-ups before it stops.
  while (server.counters().registered + server.counters().failed < server.counters().calls)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  server.stop();
  host.join();

  long rows = countRows(dbPath);
  std::printf("callers %d, calls %d, registered %d, failed %d, stored rows %ld\n", concurrency,
              total, registered.load(), failed.load(), rows);
  std::printf("%.2f s, %.0f registrations/s (%s commits, %zu-byte file)\n", seconds,
              registered / seconds, durable ? "durable" : "normal", config.productFile.size());
  unlink(dbPath.c_str());
  unlink((dbPath + "-wal").c_str());
  unlink((dbPath + "-shm").c_str());
  rmdir(dir);
  return rows == registered && failed == 0 ? 0 : 1;
}
