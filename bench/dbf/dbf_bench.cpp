// Sequential read speed of our dBASE engine against shapelib's reader on the
// same 100,000-record file, and its indexes against SQLite's on as many
// keys, in the same run. Not a test: it prints figures.
//   dbf_bench [records] [directory]
#include "cbase32.h"
#include "dbf.h"

#include <shapefil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

const char* const kCities[] = {"Amsterdam", "Berlin", "Chicago", "Dublin", "Edinburgh"};

void MakeFile(const std::string& base, int records)
{
    DBFHandle h = DBFCreate(base.c_str());
    DBFAddField(h, "NAME", FTString, 30, 0);
    DBFAddField(h, "CITY", FTString, 20, 0);
    DBFAddField(h, "QTY", FTInteger, 10, 0);
    DBFAddField(h, "PRICE", FTDouble, 12, 2);
    DBFAddNativeFieldType(h, "BORN", 'D', 8, 0);
    DBFAddNativeFieldType(h, "OK", 'L', 1, 0);
    DBFAddField(h, "NOTE", FTString, 40, 0);
    for (int i = 0; i < records; ++i) {
        std::string name = "Customer number " + std::to_string(i);
        DBFWriteStringAttribute(h, i, 0, name.c_str());
        DBFWriteStringAttribute(h, i, 1, kCities[i % 5]);
        DBFWriteIntegerAttribute(h, i, 2, i * 7);
        DBFWriteDoubleAttribute(h, i, 3, i * 0.25);
        char born[] = "19960229", ok[] = "T";
        ok[0] = i % 2 ? 'T' : 'F';
        DBFWriteAttributeDirectly(h, i, 4, born);
        DBFWriteAttributeDirectly(h, i, 5, ok);
        DBFWriteStringAttribute(h, i, 6, "a note of moderate length");
    }
    DBFClose(h);
}

// Every field of every record as text; the sum of lengths keeps the work real.
long ReadWithShapelib(const std::string& path)
{
    DBFHandle h = DBFOpen(path.c_str(), "rb");
    long sum = 0;
    int fields = DBFGetFieldCount(h), records = DBFGetRecordCount(h);
    for (int r = 0; r < records; ++r)
        for (int f = 0; f < fields; ++f)
            sum += (long)std::strlen(DBFReadStringAttribute(h, r, f));
    DBFClose(h);
    return sum;
}

long ReadWithEngine(const std::string& path)
{
    dbf_io io;
    dbf_table* t;
    if (dbf_io_file(&io, path.c_str(), 'r') != DBF_OK || dbf_open(&t, &io, nullptr) != DBF_OK)
        return -1;
    long sum = 0;
    char text[256];
    int fields = dbf_field_count(t);
    uint32_t records = dbf_record_count(t);
    for (uint32_t r = 1; r <= records; ++r) {
        dbf_go(t, r);
        for (int f = 0; f < fields; ++f)
            sum += (long)dbf_get_text(t, f, text, sizeof text);
    }
    dbf_close(t);
    return sum;
}

long ReadWithEntryPoints(const std::string& path)
{
    CODE4 cb;
    d4init(&cb);
    cb.readOnly = 1;
    DATA4* d = d4open(&cb, path.c_str());
    if (!d)
        return -1;
    long sum = 0;
    int fields = d4num_fields(d);
    for (int rc = d4top(d); rc == r4success; rc = d4skip(d, 1))
        for (int f = 1; f <= fields; ++f)
            sum += (long)std::strlen(f4str(d4field_j(d, f)));
    d4init_undo(&cb);
    return sum;
}

double BestSeconds(long (*read)(const std::string&), const std::string& path, long* result)
{
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        auto start = Clock::now();
        *result = read(path);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

void BenchIndexes(int records, const std::string& dir);

int main(int argc, char** argv)
{
    int records = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::string dir = argc > 2 ? argv[2] : "/tmp";
    std::string base = dir + "/dbf_bench";
    MakeFile(base, records);
    std::string path = base + ".dbf";

    long shp_sum, ours_sum, entry_sum;
    double shp = BestSeconds(ReadWithShapelib, path, &shp_sum);
    double ours = BestSeconds(ReadWithEngine, path, &ours_sum);
    double entry = BestSeconds(ReadWithEntryPoints, path, &entry_sum);
    std::printf("sequential read of %d records x 7 fields (file written by shapelib), best of 5:\n", records);
    std::printf("  shapelib DBFReadStringAttribute  %8.1f ms  %10.0f records/s\n", shp * 1e3, records / shp);
    std::printf("  engine dbf_go + dbf_get_text     %8.1f ms  %10.0f records/s  %.2fx shapelib\n",
                ours * 1e3, records / ours, shp / ours);
    std::printf("  CBASE32 d4skip + f4str           %8.1f ms  %10.0f records/s  %.2fx shapelib\n",
                entry * 1e3, records / entry, shp / entry);
    if (ours_sum != shp_sum)
        std::printf("  note: text lengths differ (shapelib %ld, engine %ld): shapelib keeps some blanks\n",
                    shp_sum, ours_sum);
    std::remove(path.c_str());
    BenchIndexes(records, dir);
    return 0;
}
