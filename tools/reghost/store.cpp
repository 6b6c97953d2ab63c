#include "store.h"

#include "core/transcript.h"

#include <sqlite3.h>


namespace reghost {
namespace {

std::string createTableSql() {
  std::string sql =
      "CREATE TABLE IF NOT EXISTS registrations ("
      " id INTEGER PRIMARY KEY,"
      " registered_at TEXT NOT NULL,"
      " connected_at TEXT NOT NULL,"
      " peer TEXT NOT NULL,"
      " product_line TEXT NOT NULL,"
      " product_tag TEXT NOT NULL,"
      " field_count INTEGER NOT NULL,"
      " record_format TEXT NOT NULL,"
      " record BLOB NOT NULL";  // the record line exactly as received
  for (const char* name : kFieldNames) sql += std::string(", ") + name + " TEXT NOT NULL";
  return sql + ")";
}

std::string insertSql() {
  std::string columns =
      "registered_at, connected_at, peer, product_line, product_tag, field_count, "
      "record_format, record";
  std::string values = "?, ?, ?, ?, ?, ?, ?, ?";
  for (const char* name : kFieldNames) {
    columns += std::string(", ") + name;
    values += ", ?";
  }
  return "INSERT INTO registrations (" + columns + ") VALUES (" + values + ")";
}

}  // namespace

RegistrationStore::~RegistrationStore() {
  sqlite3_finalize(insert_);
  sqlite3_close(db_);
}

bool RegistrationStore::exec(const char* sql, std::string& error) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  error = message ? message : sqlite3_errmsg(db_);
  sqlite3_free(message);
  return false;
}

bool RegistrationStore::open(const std::string& path, bool durable, std::string& error) {
  if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
    error = sqlite3_errmsg(db_);
    return false;
  }
  // Readers (a person with the sqlite3 shell, a test) must not stall the
  // host for long: it serves every call from one thread.
  sqlite3_busy_timeout(db_, 2000);
  if (!exec("PRAGMA journal_mode=WAL", error)) return false;
  if (!exec(durable ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL", error))
    return false;
  if (!exec(createTableSql().c_str(), error)) return false;
  if (sqlite3_prepare_v2(db_, insertSql().c_str(), -1, &insert_, nullptr) != SQLITE_OK) {
    error = sqlite3_errmsg(db_);
    return false;
  }
  return true;
}

bool RegistrationStore::save(const Registration& registration, const CallInfo& call,
                             std::string& error) {
  return saveAll({Row{registration, call}}, error);
}

bool RegistrationStore::saveAll(const std::vector<Row>& rows, std::string& error) {
  if (!exec("BEGIN IMMEDIATE", error)) return false;
  for (const Row& row : rows) {
    if (!insert(row.registration, row.call, error)) {
      std::string ignored;
      exec("ROLLBACK", ignored);
      return false;
    }
  }
  if (!exec("COMMIT", error)) {
    std::string ignored;
    exec("ROLLBACK", ignored);
    return false;
  }
  return true;
}

bool RegistrationStore::insert(const Registration& registration, const CallInfo& call,
                               std::string& error) {
  std::string now = isoTime(wallClockMillis());
  std::string connected = isoTime(call.connectedAt);
  // Product line and tag travel in the same code page as the fields.
  std::string productLine = ansiToUtf8(registration.productLine);
  std::string tag = ansiToUtf8(registration.product.tag);
  std::string format = ansiToUtf8(registration.product.format);
  std::array<std::string, kFieldCount> fields;
  for (int i = 0; i < kFieldCount; ++i) fields[i] = ansiToUtf8(registration.fields[i]);

  sqlite3_reset(insert_);
  int n = 1;
  auto text = [&](const std::string& s) {
    sqlite3_bind_text(insert_, n++, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
  };
  text(now);
  text(connected);
  text(call.peer);
  text(productLine);
  text(tag);
  sqlite3_bind_int(insert_, n++, registration.product.fieldCount);
  text(format);
  sqlite3_bind_blob(insert_, n++, registration.recordLine.data(),
                    static_cast<int>(registration.recordLine.size()), SQLITE_STATIC);
  for (const std::string& field : fields) text(field);

  int rc = sqlite3_step(insert_);
  sqlite3_clear_bindings(insert_);
  sqlite3_reset(insert_);
  if (rc != SQLITE_DONE) {
    error = sqlite3_errmsg(db_);
    return false;
  }
  return true;
}

}  // namespace reghost
