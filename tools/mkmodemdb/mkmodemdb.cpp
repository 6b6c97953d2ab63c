// mkmodemdb: builds MODEM.DBF (and MODEM.DBT) from the readable model files
// of data/modems.
//
//   mkmodemdb -o MODEM.DBF defaults.modem model.modem...
//
// Each file holds "FIELD = value" lines ('#' starts a comment line); FIELD is
// a column of MODEM.DBF. The first file is the defaults record (offset 0 of
// the database); every other file is one model and takes from the defaults
// whatever it does not set. A value that does not fit its column, an unknown
// field, a missing or repeated model name all stop the build with a message.
#include "dbf.h"
#include "modem_columns.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using Record = std::map<std::string, std::string>;

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r");
    size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

const ModemColumn* FindColumn(const std::string& name)
{
    for (int i = 0; i < kModemColumnCount; ++i)
        if (name == kModemColumns[i].field)
            return &kModemColumns[i];
    return nullptr;
}

bool Fail(const std::string& where, const std::string& what)
{
    std::fprintf(stderr, "mkmodemdb: %s: %s\n", where.c_str(), what.c_str());
    return false;
}

// A value may be written in double quotes to keep blanks at its start (blanks
// at the end are dBASE padding and cannot be kept).
std::string Unquote(const std::string& v)
{
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        return v.substr(1, v.size() - 2);
    return v;
}

bool ReadModelFile(const std::string& path, Record& out)
{
    std::ifstream in(path);
    if (!in)
        return Fail(path, "cannot be read");
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::string where = path + ":" + std::to_string(number);
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#')
            continue;
        size_t eq = t.find('=');
        if (eq == std::string::npos)
            return Fail(where, "expected FIELD = value");
        std::string key = Trim(t.substr(0, eq));
        std::string value = Unquote(Trim(t.substr(eq + 1)));
        const ModemColumn* c = FindColumn(key);
        if (!c)
            return Fail(where, "unknown field " + key);
        if (out.count(key) && c->kind != eModemMemo)
            return Fail(where, "field " + key + " given twice");
        if (c->kind == eModemMemo && out.count(key))
            out[key] += "\r\n" + value;     // memo text may run over several lines
        else
            out[key] = value;
        if (c->kind != eModemMemo && value.size() > c->width)
            return Fail(where, key + " is longer than " + std::to_string(c->width) + " characters");
    }
    return true;
}

bool CheckNumber(const std::string& where, const ModemColumn& c, const std::string& v)
{
    if (c.kind == eModemFlag)
        return v == "T" || v == "F" ? true : Fail(where, std::string(c.field) + " must be T or F");
    char* end;
    long long n = std::strtoll(v.c_str(), &end, 10);
    if (v.empty() || *end)
        return Fail(where, std::string(c.field) + " is not a number");
    long long max = c.kind == eModemSigned ? 2147483647LL : c.size == 2 ? 65535LL : 4294967295LL;
    long long min = c.kind == eModemSigned ? -2147483648LL : 0;
    if (n < min || n > max)
        return Fail(where, std::string(c.field) + " is out of range");
    return true;
}

bool WriteDatabase(const std::string& out, const std::vector<std::pair<std::string, Record>>& records)
{
    std::vector<dbf_field_def> defs(kModemColumnCount);
    for (int i = 0; i < kModemColumnCount; ++i) {
        const ModemColumn& c = kModemColumns[i];
        std::snprintf(defs[i].name, sizeof defs[i].name, "%s", c.field);
        defs[i].type = c.kind == eModemText ? 'C' : c.kind == eModemFlag ? 'L' : c.kind == eModemMemo ? 'M' : 'N';
        defs[i].len = c.width;
    }
    std::string memo = out.substr(0, out.size() - 4) + (out.back() == 'f' ? ".dbt" : ".DBT");
    dbf_io io, memo_io;
    if (dbf_io_file(&io, out.c_str(), 'c') != DBF_OK)
        return Fail(out, "cannot be created");
    if (dbf_io_file(&memo_io, memo.c_str(), 'c') != DBF_OK) {
        io.close(io.ctx);
        return Fail(memo, "cannot be created");
    }
    dbf_table* t;
    if (dbf_create(&t, &io, &memo_io, defs.data(), kModemColumnCount, DBF_MEMO_DBASE3) != DBF_OK)
        return Fail(out, "cannot be created");
    bool ok = true;
    for (const auto& [source, record] : records) {
        ok = dbf_append(t, 1) == DBF_OK;
        for (int i = 0; ok && i < kModemColumnCount; ++i) {
            auto it = record.find(kModemColumns[i].field);
            if (it == record.end())
                continue;
            ok = kModemColumns[i].kind == eModemMemo
                     ? dbf_memo_write(t, i, it->second.data(), it->second.size()) == DBF_OK
                     : dbf_set_text(t, i, it->second.c_str()) == DBF_OK;
        }
        if (!ok)
            Fail(source, "could not be written");
    }
    if (dbf_close(t) != DBF_OK && ok)
        return Fail(out, "could not be written");
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string out = "MODEM.DBF";
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc)
            out = argv[++i];
        else
            files.push_back(argv[i]);
    }
    if (files.empty() || out.size() < 5) {
        std::fprintf(stderr, "usage: mkmodemdb -o MODEM.DBF defaults.modem model.modem...\n");
        return 2;
    }
    std::vector<std::pair<std::string, Record>> records;
    std::set<std::string> names;
    for (size_t i = 0; i < files.size(); ++i) {
        Record r;
        if (!ReadModelFile(files[i], r))
            return 1;
        if (i > 0)      // a model keeps its own values; the defaults' notes are not its notes
            for (const auto& [key, value] : records[0].second)
                if (key != "NOTES")
                    r.insert({key, value});
        for (const auto& [key, value] : r) {
            const ModemColumn* c = FindColumn(key);
            if (c->kind != eModemText && c->kind != eModemMemo && !CheckNumber(files[i], *c, value))
                return 1;
        }
        const std::string& name = r[MODEM_NAME_FIELD];
        if (name.empty())
            return Fail(files[i], "has no MODEL"), 1;
        if (!names.insert(name).second)
            return Fail(files[i], "repeats the model name " + name), 1;
        records.emplace_back(files[i], r);
    }
    if (!WriteDatabase(out, records))
        return 1;
    std::printf("mkmodemdb: %s: %zu records\n", out.c_str(), records.size());
    return 0;
}
