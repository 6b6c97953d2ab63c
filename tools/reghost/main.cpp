// reghost: the maker's registration host. Answers registration calls on a
// TCP port (the modem simulator relays dialled calls here) and stores every
// accepted registration in an SQLite database.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/wire.h"
#include "product_file.h"
#include "server.h"

namespace {

reghost::Server* runningServer = nullptr;

void onSignal(int) {
  if (runningServer) runningServer->stop();
}

void usage(std::FILE* to) {
  std::fputs(
      "usage: reghost --db FILE [options]\n"
      "  --port N               TCP port to answer on (7010; 0 takes any free port)\n"
      "  --bind ADDRESS         numeric address to listen on (127.0.0.1)\n"
      "  --db FILE              SQLite database of accepted registrations (created if missing)\n"
      "  --product-file FILE    file sent after OK (product.rtf beside this program)\n"
      "  --accept TAG           product tag to accept; repeat for several (KXWIN)\n"
      "  --transcript FILE      append timestamped bytes of every call; - for stdout\n"
      "  --max-calls N          calls served at once; more are turned away (256)\n"
      "  --reply-timeout MS     for the product line and for the record (30000)\n"
      "  --info-repeat MS       repeat Info: while no product line came; 0 never (5000)\n"
      "  --delivery-timeout MS  for the file to reach the caller (40000)\n"
      "  --linger MS            after the last byte, for the caller to hang up (10000)\n"
      "  --relaxed              commits do not wait for the disk: a power cut may lose\n"
      "                         the last registrations (default: every commit waits)\n"
      "  --quiet                no line per call on standard error\n"
      "  --strict-lines         a caller's line ended by LF without CR is answered with ERROR\n"
      "For testing callers:\n"
      "  --refuse ERROR|UNKNOWN answer every product line with this reply\n"
      "  --stall-after BYTES    fall silent after BYTES bytes of each call (0: never speak);\n"
      "                         a cancel is still acknowledged, nothing is stored\n"
      "  --data-first           send Data: before FileSize:\n"
      "  --cancel-reply SUB|ERROR|none  answer a cancel with three SUB bytes (the default),\n"
      "                         with ERROR, or not at all\n",
      to);
}

std::string besideProgram(const char* name) {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return name;
  std::string dir(path, static_cast<std::size_t>(n));
  return dir.substr(0, dir.rfind('/') + 1) + name;
}

bool parseNumber(const char* text, long min, long max, long& out) {
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (errno || end == text || *end || value < min || value > max) return false;
  out = value;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  reghost::SessionConfig config;
  std::string bind = "127.0.0.1";
  std::string db;
  std::string productPath = besideProgram("product.rtf");
  std::string transcriptPath;
  long port = 7010;
  long maxCalls = 256;
  long stallAfter = -1;
  bool durable = true;
  bool quiet = false;
  bool customTags = false;

  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      usage(stdout);
      return 0;
    }
    if (option == "--relaxed") {
      durable = false;
      continue;
    }
    if (option == "--quiet") {
      quiet = true;
      continue;
    }
    if (option == "--strict-lines") {
      config.strictLineEnds = true;
      continue;
    }
    if (option == "--data-first") {
      config.dataFirst = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "reghost: %s needs a value\n", option.c_str());
      usage(stderr);
      return 2;
    }
    const char* value = argv[++i];
    long number = 0;
    bool ok = true;
    if (option == "--port") {
      ok = parseNumber(value, 0, 65535, port);
    } else if (option == "--bind") {
      bind = value;
    } else if (option == "--db") {
      db = value;
    } else if (option == "--product-file") {
      productPath = value;
    } else if (option == "--accept") {
      if (!customTags) config.acceptedTags.clear();
      customTags = true;
      config.acceptedTags.push_back(value);
    } else if (option == "--transcript") {
      transcriptPath = value;
    } else if (option == "--max-calls") {
      ok = parseNumber(value, 1, 100000, maxCalls);
    } else if (option == "--reply-timeout") {
      ok = parseNumber(value, 1, 3600000, number) && (config.limits.replyTimeout = number, true);
    } else if (option == "--info-repeat") {
      ok = parseNumber(value, 0, 3600000, number) && (config.limits.infoRepeat = number, true);
    } else if (option == "--delivery-timeout") {
      ok = parseNumber(value, 1, 3600000, number) &&
           (config.limits.deliveryTimeout = number, true);
    } else if (option == "--refuse") {
      std::string reply = value;
      ok = reply == "ERROR" || reply == "UNKNOWN";
      config.refuseWith = reply == "ERROR" ? reghost::kReplyError : reghost::kReplyUnknown;
    } else if (option == "--cancel-reply") {
      std::string reply = value;
      ok = reply == "SUB" || reply == "ERROR" || reply == "none";
      config.cancelReply = reply == "SUB"     ? reghost::kFileEnd
                           : reply == "ERROR" ? reghost::kReplyError
                                              : "";
    } else if (option == "--stall-after") {
      ok = parseNumber(value, 0, 100000000, stallAfter);
    } else if (option == "--linger") {
      ok = parseNumber(value, 0, 3600000, number) && (config.limits.linger = number, true);
    } else {
      std::fprintf(stderr, "reghost: unknown option %s\n", option.c_str());
      usage(stderr);
      return 2;
    }
    if (!ok) {
      std::fprintf(stderr, "reghost: bad value for %s: %s\n", option.c_str(), value);
      return 2;
    }
  }
  if (db.empty()) {
    std::fprintf(stderr, "reghost: --db is required\n");
    usage(stderr);
    return 2;
  }

  std::string error;
  if (!reghost::loadProductFile(productPath, config.productFile, error)) {
    std::fprintf(stderr, "reghost: %s\n", error.c_str());
    return 1;
  }
  if (config.productFile.size() > reghost::kProductFileWarnSize)
    std::fprintf(stderr, "reghost: warning: %zu-byte product file may not reach a slow caller "
                 "within its 45-second limit\n", config.productFile.size());

  reghost::RegistrationStore store;
  if (!store.open(db, durable, error)) {
    std::fprintf(stderr, "reghost: database %s: %s\n", db.c_str(), error.c_str());
    return 1;
  }
  reghost::Transcript transcript;
  if (!transcriptPath.empty() && !transcript.open(transcriptPath)) {
    std::fprintf(stderr, "reghost: cannot open transcript %s\n", transcriptPath.c_str());
    return 1;
  }

  reghost::Server server(config, store, transcript);
  server.setMaxCalls(static_cast<int>(maxCalls));
  server.setLog(!quiet);
  server.setStallAfter(stallAfter);
  if (!server.listen(bind, static_cast<int>(port), error)) {
    std::fprintf(stderr, "reghost: %s\n", error.c_str());
    return 1;
  }
  runningServer = &server;
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A transcript or log on a pipe whose reader went away must not end the host.
  signal(SIGPIPE, SIG_IGN);

  // Scripts started with --port 0 read the port from this line.
  std::printf("reghost: listening on %s port %d\n", bind.c_str(), server.port());
  std::fflush(stdout);
  server.run();
  runningServer = nullptr;
  const reghost::ServerCounters& c = server.counters();
  std::fprintf(stderr, "reghost: %lu calls, %lu registered, %lu failed, %lu turned away\n",
               c.calls.load(), c.registered.load(), c.failed.load(), c.refused.load());
  return 0;
}
