// Where accepted registrations end up: one row per registration in an SQLite
// database. Rows that arrive together are written in one transaction, so
// one wait for the disk serves them all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/session.h"

struct sqlite3;
struct sqlite3_stmt;

namespace reghost {

struct CallInfo {
  std::string peer;             // "address:port" of the connection
  std::int64_t connectedAt = 0; // wall clock, ms since 1970 UTC
};

class RegistrationStore {
 public:
  RegistrationStore() = default;
  ~RegistrationStore();
  RegistrationStore(const RegistrationStore&) = delete;
  RegistrationStore& operator=(const RegistrationStore&) = delete;

  // Opens or creates the database and its table. `durable` makes every
  // commit wait for the disk; otherwise a commit survives a crash of the
  // host but not of the machine. On failure `error` says why.
  bool open(const std::string& path, bool durable, std::string& error);
  bool save(const Registration& registration, const CallInfo& call, std::string& error);

  struct Row {
    Registration registration;
    CallInfo call;
  };
  // All rows or none, in one commit.
  bool saveAll(const std::vector<Row>& rows, std::string& error);

 private:
  bool exec(const char* sql, std::string& error);
  bool insert(const Registration& registration, const CallInfo& call, std::string& error);

  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
};

}  // namespace reghost
