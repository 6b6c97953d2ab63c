// Tag seeks and index building of the engine against SQLite on the same
// keys, in the same run: point lookups through a tag against SELECT on an
// indexed column, and a tag built over a full table against CREATE INDEX.
#include "cbase32.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::vector<std::string> Keys(int records)
{
    std::vector<std::string> keys;
    for (int i = 0; i < records; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "K%09d", (int)((i * 2654435761u) % 1000000007u));
        keys.push_back(key);
    }
    return keys;
}

// Returns seconds to build the tag; *seek_rate the seeks per second.
double Engine(const std::string& base, const std::vector<std::string>& keys,
              const std::vector<int>& order, double* seek_rate)
{
    CODE4 cb;
    d4init(&cb);
    cb.safety = 0;
    FIELD4INFO fields[] = {{(char*)"KEY", 'C', 10, 0}, {(char*)"VALUE", 'N', 10, 0}, {nullptr, 0, 0, 0}};
    DATA4* d = d4create(&cb, base.c_str(), fields, nullptr);
    FIELD4* key = d4field(d, "KEY");
    FIELD4* value = d4field(d, "VALUE");
    for (size_t i = 0; i < keys.size(); ++i) {
        d4append_start(d, 0);
        f4assign(key, keys[i].c_str());
        f4assign_long(value, (long)i);
        d4append(d);
    }
    d4flush(d);
    TAG4INFO tags[] = {{(char*)"KEY", (char*)"KEY", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
    auto start = Clock::now();
    i4create(d, nullptr, tags);
    double build = Seconds(start);
    d4tag_select(d, d4tag(d, "KEY"));
    long found = 0;
    start = Clock::now();
    for (int i : order)
        found += d4seek(d, keys[i].c_str()) == r4success;
    *seek_rate = order.size() / Seconds(start);
    if (found != (long)order.size())
        std::printf("  engine: %ld of %zu keys found\n", found, order.size());
    d4init_undo(&cb);
    return build;
}

double Sqlite(const std::string& path, const std::vector<std::string>& keys,
              const std::vector<int>& order, double* seek_rate)
{
    std::remove(path.c_str());
    sqlite3* db;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                     "CREATE TABLE t(key TEXT, value INTEGER); BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?, ?)", -1, &insert, nullptr);
    for (size_t i = 0; i < keys.size(); ++i) {
        sqlite3_bind_text(insert, 1, keys[i].c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 2, (int)i);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    auto start = Clock::now();
    sqlite3_exec(db, "CREATE INDEX t_key ON t(key)", nullptr, nullptr, nullptr);
    double build = Seconds(start);
    sqlite3_stmt* select;
    sqlite3_prepare_v2(db, "SELECT value FROM t WHERE key = ?", -1, &select, nullptr);
    long found = 0;
    start = Clock::now();
    for (int i : order) {
        sqlite3_bind_text(select, 1, keys[i].c_str(), -1, SQLITE_STATIC);
        found += sqlite3_step(select) == SQLITE_ROW;
        sqlite3_reset(select);
    }
    *seek_rate = order.size() / Seconds(start);
    sqlite3_finalize(select);
    sqlite3_close(db);
    std::remove(path.c_str());
    return build;
}

}  // namespace

void BenchIndexes(int records, const std::string& dir)
{
    std::vector<std::string> keys = Keys(records);
    std::vector<int> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = (int)i;
    std::shuffle(order.begin(), order.end(), std::mt19937(42));
    double best_build[2] = {1e9, 1e9}, best_rate[2] = {0, 0};
    for (int run = 0; run < 3; ++run) {
        double rate;
        best_build[0] = std::min(best_build[0], Engine(dir + "/idx_bench", keys, order, &rate));
        best_rate[0] = std::max(best_rate[0], rate);
        best_build[1] = std::min(best_build[1], Sqlite(dir + "/idx_bench.sqlite", keys, order, &rate));
        best_rate[1] = std::max(best_rate[1], rate);
    }
    std::printf("index of %d random 10-character keys, best of 3:\n", records);
    std::printf("  SQLite SELECT by indexed key     %10.0f lookups/s\n", best_rate[1]);
    std::printf("  CBASE32 d4seek on a tag          %10.0f lookups/s  %.2fx SQLite\n", best_rate[0],
                best_rate[0] / best_rate[1]);
    std::printf("  SQLite CREATE INDEX              %8.1f ms\n", best_build[1] * 1e3);
    std::printf("  CBASE32 i4create (build the tag) %8.1f ms  %.2fx SQLite\n", best_build[0] * 1e3,
                best_build[1] / best_build[0]);
    for (const char* ext : {".dbf", ".DBF", ".MDX", ".mdx"})
        std::remove((dir + "/idx_bench" + ext).c_str());
}
