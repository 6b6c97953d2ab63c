// The model is a vector of records; each tag's order is the model's keys
// sorted. See table_model.h.
#include "table_model.h"

#include "cbase32.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

enum { NAME_LEN = 100 };    // the widest keys: eight to a node, so a hundred records make three levels

struct Rec {
    std::string name, id, num, born;    // stored bytes
    char ok = 'F';
    bool deleted = false;
    std::string memo;
};

struct TagDef {
    const char *name, *expr, *filter;
    int unique;
    unsigned descending;
};
const TagDef kTags[] = {
    {"NAME", "NAME", nullptr, 0, 0},
    {"INITIAL", "LEFT(NAME,1)", nullptr, 0, 0},
    {"NUMD", "NUM", nullptr, 0, r4descending},
    {"ID", "ID", nullptr, e4unique, 0},
    {"BORNOK", "BORN", "OK", 0, 0},
};
const int kTagCount = sizeof kTags / sizeof kTags[0];

struct Key {
    std::string text;
    double value = 0;
};

struct Bytes {
    const uint8_t* p;
    size_t n, i = 0;
    bool done() const { return i >= n; }
    unsigned next() { return i < n ? p[i++] : 0; }
    unsigned below(unsigned k) { return k ? (next() | next() << 8 | next() << 16) % k : 0; }
};

std::string Pad(std::string s, size_t len)
{
    s.resize(len, ' ');
    return s;
}

class Model {
public:
    Model(Bytes ops, const std::string& dir) : in_(ops), path_(dir + "/model")
    {
        d4init(&cb_);
        cb_.errOff = 1;
        cb_.safety = 0;
        cb_.memoStyle = in_.next() & 1 ? 4 : 3;
    }
    ~Model() { d4init_undo(&cb_); }

    bool Fail(const char* what, long a = 0, long b = 0)
    {
        char text[200];
        snprintf(text, sizeof text, "step %ld: %s (%ld, %ld)", run_.steps, what, a, b);
        run_.disagreement = text;
        return false;
    }
    FIELD4* F(const char* name) { return d4field(d_, name); }
    bool Admits(int k, const Rec& r) const { return !kTags[k].filter || r.ok == 'T'; }
    bool Go(size_t n) { return d4go(d_, (long)n + 1) == r4success ? true : Fail("d4go", (long)n + 1); }

    std::string Name()
    {
        static const char letters[] = "ABCDabcd ";
        std::string s;
        for (unsigned k = in_.below(9); k; k--)
            s += letters[in_.below(sizeof letters - 1)];
        return Pad(s, NAME_LEN);
    }

    std::string Memo()
    {
        // Around the ends of 512-byte blocks and of dBASE IV's 8-byte header,
        // now and then a long one.
        static const unsigned sizes[] = {0, 1, 2, 503, 504, 505, 510, 511, 512, 513, 1016, 1024, 1030, 3000};
        unsigned len = sizes[in_.below(sizeof sizes / sizeof sizes[0])];
        if (in_.below(64) == 0)
            len = 5000 + in_.below(30000);
        std::string s(len, ' ');
        for (unsigned i = 0; i < len; i++)
            s[i] = (char)('a' + (i * 7 + len) % 26);
        return s;
    }

    Rec Random()
    {
        Rec r;
        char text[16];
        r.name = Name();
        snprintf(text, sizeof text, "%6ld", next_id_++);
        r.id = text;
        snprintf(text, sizeof text, "%8.2f", ((long)in_.below(200000) - 100000) / 100.0);
        r.num = text;
        r.born = in_.below(8) == 0 ? std::string(8, ' ') : std::string();
        if (r.born.empty()) {
            snprintf(text, sizeof text, "%04u%02u%02u", 1900 + in_.below(200), 1 + in_.below(12), 1 + in_.below(28));
            r.born = text;
        }
        r.ok = in_.below(2) ? 'T' : 'F';
        return r;
    }

    // Through the field calls.
    void Put(const Rec& r)
    {
        f4assign(F("NAME"), r.name.c_str());
        f4assign(F("ID"), r.id.c_str());
        f4assign_double(F("NUM"), atof(r.num.c_str()));
        f4assign(F("BORN"), r.born.c_str());
        f4assign_char(F("OK"), r.ok);
    }

    bool Create()
    {
        static FIELD4INFO fields[] = {{(char*)"NAME", 'C', NAME_LEN, 0}, {(char*)"ID", 'C', 6, 0},
                                      {(char*)"NUM", 'N', 8, 2},        {(char*)"BORN", 'D', 8, 0},
                                      {(char*)"OK", 'L', 1, 0},         {(char*)"NOTES", 'M', 10, 0},
                                      {nullptr, 0, 0, 0}};
        TAG4INFO tags[kTagCount + 1] = {};
        for (int k = 0; k < kTagCount; k++)
            tags[k] = {(char*)kTags[k].name, (char*)kTags[k].expr, (char*)kTags[k].filter, kTags[k].unique,
                       kTags[k].descending};
        d_ = d4create(&cb_, path_.c_str(), fields, tags);
        return d_ ? true : Fail("d4create", cb_.errorCode);
    }

    bool Reopen()
    {
        int rc = d4close(d_);
        d_ = d4open(&cb_, path_.c_str());
        return rc == r4success && d_ ? true : Fail("close and open", rc, cb_.errorCode);
    }

    // Writes the changed record: explicitly, by moving away, or by a flush.
    bool Commit(int how)
    {
        long rec = d4recno(d_);
        int rc = how == 0 ? d4write(d_, -1)
               : how == 1 ? d4go(d_, 1 + in_.below((unsigned)model_.size()))
                          : d4flush(d_);
        return rc == r4success ? true : Fail("commit", how, rc < 0 ? rc : rec);
    }

    bool Append()
    {
        Rec r = Random();
        if (in_.below(3) == 0)
            r.memo = Memo();
        int rc = d4append_start(d_, 0);
        d4blank(d_);
        Put(r);
        if (!r.memo.empty())
            f4memo_assign_n(F("NOTES"), r.memo.data(), (unsigned)r.memo.size());
        if (rc == r4success)
            rc = d4append(d_);
        if (rc != r4success)
            return Fail("append", rc);
        model_.push_back(r);
        return true;
    }

    bool Update(bool through_pointer)
    {
        size_t n = in_.below((unsigned)model_.size());
        if (!Go(n))
            return false;
        Rec r = Random();
        r.id = model_[n].id;
        r.memo = model_[n].memo;
        r.deleted = model_[n].deleted;
        if (!through_pointer) {
            Put(r);
            model_[n] = r;
            return Commit(in_.below(3));
        }
        // As a program that edits the record's bytes does: d4write after the
        // change, with or without telling the table the record changed.
        memcpy(f4ptr(F("NAME")), r.name.data(), NAME_LEN);
        memcpy(f4ptr(F("NUM")), r.num.data(), 8);
        memcpy(f4ptr(F("OK")), &r.ok, 1);
        if (in_.below(2))
            d_->recordChanged = 1;
        model_[n].name = r.name;
        model_[n].num = r.num;
        model_[n].ok = r.ok;
        return Commit(0);
    }

    // The record with the greatest name gets a low one: repeated, this empties
    // the last leaves of the name tags.
    bool Rename()
    {
        size_t top = 0;
        for (size_t i = 1; i < model_.size(); i++)
            if (model_[i].name >= model_[top].name)
                top = i;
        if (!Go(top))
            return false;
        model_[top].name = Pad(std::string(1, "AB"[in_.below(2)]), NAME_LEN);
        f4assign(F("NAME"), model_[top].name.c_str());
        return Commit(in_.below(3));
    }

    // Another record's ID: the unique tag refuses the write, the record stays.
    bool DuplicateId()
    {
        size_t a = in_.below((unsigned)model_.size()), b = in_.below((unsigned)model_.size());
        if (a == b || d4go(d_, (long)a + 1) != r4success)
            return true;
        f4assign(F("ID"), model_[b].id.c_str());
        int rc = d4write(d_, -1);
        if (rc != e4unique)
            return Fail("duplicate key not refused", rc);
        rc = d4refresh_record(d_);
        return rc == r4success ? true : Fail("d4refresh_record", rc);
    }

    bool Mark()
    {
        size_t n = in_.below((unsigned)model_.size());
        if (!Go(n))
            return false;
        model_[n].deleted = in_.below(2);
        if (model_[n].deleted)
            d4delete(d_);
        else
            d4recall(d_);
        return Commit(in_.below(3));
    }

    bool WriteMemo()
    {
        size_t n = in_.below((unsigned)model_.size());
        if (!Go(n))
            return false;
        model_[n].memo = Memo();
        int rc = f4memo_assign_n(F("NOTES"), model_[n].memo.data(), (unsigned)model_[n].memo.size());
        return rc == r4success ? Commit(in_.below(3)) : Fail("f4memo_assign", rc);
    }

    bool Step()
    {
        unsigned op = in_.below(100);
        if (model_.empty() && op >= 30)
            op = 0;
        if (op < 30)
            return Append();
        if (op < 45)
            return Update(false);
        if (op < 55)
            return Update(true);
        if (op < 65)
            return Rename();
        if (op < 70)
            return Mark();
        if (op < 80)
            return WriteMemo();
        if (op < 88)
            return Seek();
        if (op < 90)
            return DuplicateId();
        if (op < 92) {
            int rc = d4pack(d_);
            model_.erase(std::remove_if(model_.begin(), model_.end(), [](const Rec& r) { return r.deleted; }),
                         model_.end());
            return rc == r4success ? true : Fail("d4pack", rc);
        }
        if (op < 93) {
            long first = 1 + (long)in_.below((unsigned)model_.size()), last = first + (long)in_.below(20);
            int rc = d4zap(d_, first, last);
            model_.erase(model_.begin() + first - 1, model_.begin() + std::min<long>(last, (long)model_.size()));
            return rc == r4success ? true : Fail("d4zap", rc);
        }
        if (op < 96) {
            int rc = d4reindex(d_);
            return rc == r4success ? true : Fail("d4reindex", rc);
        }
        return Reopen();
    }

    Key KeyOf(int k, const Rec& r) const
    {
        Key key;
        switch (k) {
        case 0: key.text = r.name; break;
        case 1: key.text = r.name.substr(0, 1); break;
        case 2: key.value = atof(r.num.c_str()); break;
        case 3: key.text = r.id; break;
        default: key.value = (double)date4long(r.born.c_str()); break;
        }
        return key;
    }

    // In the tag's order.
    int Compare(int k, const Key& a, const Key& b) const
    {
        int r = a.text != b.text ? (a.text < b.text ? -1 : 1) : a.value < b.value ? -1 : a.value > b.value;
        return kTags[k].descending ? -r : r;
    }

    // Record numbers in the tag's order: equal keys in record order.
    std::vector<long> Order(int k) const
    {
        std::vector<long> recs;
        for (size_t i = 0; i < model_.size(); i++)
            if (Admits(k, model_[i]))
                recs.push_back((long)i + 1);
        std::stable_sort(recs.begin(), recs.end(), [&](long a, long b) {
            return Compare(k, KeyOf(k, model_[a - 1]), KeyOf(k, model_[b - 1])) < 0;
        });
        return recs;
    }

    bool AgreeRecords()
    {
        if (d4reccount(d_) != (long)model_.size())
            return Fail("record count", d4reccount(d_), (long)model_.size());
        for (size_t i = 0; i < model_.size(); i++) {
            const Rec& r = model_[i];
            if (!Go(i))
                return false;
            std::string stored = std::string(f4ptr(F("NAME")), NAME_LEN) + std::string(f4ptr(F("ID")), 6) +
                                 std::string(f4ptr(F("NUM")), 8) + std::string(f4ptr(F("BORN")), 8) + *f4ptr(F("OK"));
            if (stored != r.name + r.id + r.num + r.born + r.ok)
                return Fail("record differs", (long)i + 1);
            if (d4deleted(d_) != (int)r.deleted)
                return Fail("deletion flag differs", (long)i + 1);
            FIELD4* memo = F("NOTES");
            if (f4memo_len(memo) != r.memo.size() || memcmp(f4memo_ptr(memo), r.memo.data(), r.memo.size()) != 0)
                return Fail("memo differs", (long)i + 1, (long)f4memo_len(memo));
        }
        return true;
    }

    bool AgreeTag(int k)
    {
        TAG4* t = d4tag(d_, kTags[k].name);
        if (!t)
            return Fail("tag missing", k);
        std::vector<long> walked;
        for (int rc = t4top(t); rc == r4success && !t4eof(t) && walked.size() <= model_.size(); rc = t4skip(t, 1) == 1 ? 0 : 1)
            walked.push_back(t4recno(t));
        std::vector<long> back;
        for (int rc = t4bottom(t); rc == r4success && !t4eof(t) && back.size() <= model_.size(); rc = t4skip(t, -1) == -1 ? 0 : 1)
            back.push_back(t4recno(t));
        std::vector<long> expected = Order(k);
        if (!std::equal(back.rbegin(), back.rend(), expected.begin(), expected.end()))
            return Fail("tag order backwards differs", k, (long)back.size() - (long)expected.size());
        if (walked != expected)
            return Fail("tag order differs", k, (long)walked.size() - (long)expected.size());
        return true;
    }

    // A seek in a random tag for a random record's key lands on the first
    // record of that key in the tag's order; a skip goes to the next.
    bool Seek()
    {
        int k = (int)in_.below(kTagCount);
        const Rec& r = model_[in_.below((unsigned)model_.size())];
        d4tag_select(d_, d4tag(d_, kTags[k].name));
        Key sought = KeyOf(k, r);
        int rc = k == 2 || k == 4 ? d4seek_double(d_, sought.value)
                                  : d4seek_n(d_, sought.text.data(), (int)sought.text.size());
        std::vector<long> order = Order(k);
        size_t at = 0;
        while (at < order.size() && Compare(k, KeyOf(k, model_[order[at] - 1]), sought) < 0)
            at++;
        bool exact = at < order.size() && Compare(k, KeyOf(k, model_[order[at] - 1]), sought) == 0;
        int want = at == order.size() ? r4eof : exact ? r4success : r4after;
        bool ok = rc == want && (want == r4eof || d4recno(d_) == order[at]);
        if (ok && at + 1 < order.size())
            ok = d4skip(d_, 1) == r4success && d4recno(d_) == order[at + 1];
        d4tag_select(d_, nullptr);
        return ok ? true : Fail("seek", k, rc);
    }

    bool Agree()
    {
        if (!AgreeRecords())
            return false;
        for (int k = 0; k < kTagCount; k++)
            if (!AgreeTag(k))
                return false;
        int rc = d4check(d_);
        return rc == r4success ? true : Fail("d4check", rc);
    }

    ModelRun Run()
    {
        if (Create())
            while (!in_.done() && Step() && Agree())
                run_.steps++;
        return run_;
    }

    Bytes in_;
    std::string path_;
    CODE4 cb_;
    DATA4* d_ = nullptr;
    std::vector<Rec> model_;
    long next_id_ = 1;
    ModelRun run_;
};

}  // namespace

ModelRun run_table_model(const uint8_t* ops, size_t size, const std::string& dir)
{
    Model model(Bytes{ops, size}, dir);
    return model.Run();
}
