// The engine's files, sequential access, lists, memory pools, sorting and
// relations.
#include "table_test.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Context {
    Context() { d4init(&cb); cb.errOff = 1; }
    ~Context() { d4init_undo(&cb); }
    CODE4 cb;
};

TEST(File4, SequentialWritesAndReadsMeetAcrossBufferEdges)
{
    Context c;
    FILE4 f;
    char name[260];
    ASSERT_EQ(r4success, file4temp(&f, &c.cb, name, 1));
    char wbuf[512], rbuf[600];
    FILE4SEQ_WRITE w;
    file4seq_write_init(&w, &f, 0, wbuf, sizeof wbuf);
    std::string expected;
    for (int i = 0; i < 300; i++) {
        std::string piece = std::to_string(i * 7919) + ",";
        expected += piece;
        ASSERT_EQ(r4success, file4seq_write(&w, piece.data(), (unsigned)piece.size()));
    }
    ASSERT_EQ(r4success, file4seq_write_repeat(&w, 700, '-'));
    expected += std::string(700, '-');
    ASSERT_EQ(r4success, file4seq_write_flush(&w));
    ASSERT_EQ((long)expected.size(), file4len(&f));

    FILE4SEQ_READ r;
    file4seq_read_init(&r, &f, 0, rbuf, sizeof rbuf);
    std::string got;
    char piece[37];
    for (unsigned n; (n = file4seq_read(&r, piece, sizeof piece)) > 0;)
        got.append(piece, n);
    EXPECT_EQ(expected, got);
    EXPECT_EQ(e4read, file4read_all(&f, (long)expected.size() - 3, piece, 4)) << "past the end";

    EXPECT_EQ(r4success, file4close(&f));
    EXPECT_NE(0, access(name, F_OK)) << name << " is removed on close";

    FILE4 g;
    ASSERT_EQ(r4success, file4temp(&g, &c.cb, name, 0));
    file4close(&g);
    EXPECT_EQ(e4create, file4create(&g, &c.cb, name, 0)) << "safety keeps an existing file";
    c.cb.safety = 0;
    EXPECT_EQ(r4success, file4create(&g, &c.cb, name, 0));
    file4close(&g);
    remove(name);
}

struct Item {
    LINK4 link;
    char id;
};

std::string Walk(const LIST4& l)
{
    std::string s;
    for (void* p = l4first(&l); p; p = l4next(&l, p))
        s += static_cast<Item*>(p)->id;
    std::string back;
    for (void* p = l4last(&l); p; p = l4prev(&l, p))
        back.insert(back.begin(), static_cast<Item*>(p)->id);
    return s == back ? s : s + " backwards " + back;
}

TEST(List4, KeepsOrderBothWays)
{
    Item a{{}, 'a'}, b{{}, 'b'}, c{{}, 'c'}, d{{}, 'd'};
    LIST4 l{};
    l4add(&l, &b);
    l4add_before(&l, &b, &a);
    l4add(&l, &d);
    l4add_after(&l, &b, &c);
    EXPECT_EQ("abcd", Walk(l));
    EXPECT_EQ(4, l.nLink);
    l4remove(&l, &a);
    EXPECT_EQ(&d, l4pop(&l));
    EXPECT_EQ("bc", Walk(l));
    l4remove(&l, &b);
    l4remove(&l, &c);
    EXPECT_EQ("", Walk(l));
    EXPECT_EQ(nullptr, l.lastNode);
}

// A freed unit given out again is the kit program's check.
TEST(Mem4, UnitsAreZeroedAndDistinct)
{
    Context c;
    MEM4* m = mem4create(&c.cb, 3, 24, 5, 0);
    ASSERT_NE(nullptr, m);
    std::vector<char*> units;
    for (int i = 0; i < 12; i++) {
        char* u = static_cast<char*>(mem4alloc(m));
        ASSERT_NE(nullptr, u);
        EXPECT_EQ(std::string(24, '\0'), std::string(u, 24)) << i;
        std::memset(u, 'x', 24);
        units.push_back(u);
    }
    for (size_t i = 0; i < units.size(); i++)
        for (size_t j = i + 1; j < units.size(); j++)
            EXPECT_GE(std::labs(units[i] - units[j]), 24) << i << " overlaps " << j;
    mem4release(m);
}

// Keys 4 bytes, info 2; equal keys come back in record order.
TEST(Sort4, SortsInMemoryAndThroughSpilledRuns)
{
    for (long limit : {1L << 20, 200L}) {
        Context c;
        SORT4 s;
        ASSERT_EQ(r4success, sort4init(&s, &c.cb, 4, 2));
        s.memoryLimit = limit;
        std::srand(7);
        std::vector<std::string> keys;
        for (long rec = 1; rec <= 2000; rec++) {
            char key[5];
            std::snprintf(key, sizeof key, "%04d", std::rand() % 500);
            keys.push_back(key);
            ASSERT_EQ(r4success, sort4put(&s, rec, key, "in"));
        }
        ASSERT_EQ(r4success, sort4get_init(&s));
        EXPECT_EQ(limit < 1000, s.numRuns > 1) << "runs: " << s.numRuns;
        long rec = 0, count = 0, lastRec = 0;
        void *key, *info;
        std::string last;
        while (sort4get(&s, &rec, &key, &info) == r4success) {
            std::string k(static_cast<char*>(key), 4);
            ASSERT_EQ(keys[rec - 1], k) << "record " << rec;
            ASSERT_TRUE(last < k || (last == k && lastRec < rec)) << last << "/" << lastRec << " then "
                                                                  << k << "/" << rec;
            ASSERT_EQ(0, std::memcmp(info, "in", 2));
            last = k;
            lastRec = rec;
            count++;
        }
        EXPECT_EQ(2000, count) << "limit " << limit;
        EXPECT_EQ(r4done, sort4get(&s, &rec, &key, &info));
        sort4free(&s);
    }
}

// Orders related to people through the people's NAME tag; a missing
// person is blanked, or leaves the order out of the walk.
using Relate4 = TableTest;
TEST_F(Relate4, SlavesFollowTheMasterThroughATag)
{
    cb_.safety = 0;
    FIELD4INFO peopleFields[] = {{(char*)"NAME", 'C', 8, 0}, {(char*)"CITY", 'C', 8, 0}, {nullptr, 0, 0, 0}};
    TAG4INFO tags[] = {{(char*)"NAME", (char*)"NAME", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
    DATA4* people = d4create(&cb_, Path("people").c_str(), peopleFields, tags);
    FIELD4INFO orderFields[] = {{(char*)"WHO", 'C', 8, 0}, {(char*)"QTY", 'N', 4, 0}, {nullptr, 0, 0, 0}};
    TAG4INFO whoTag[] = {{(char*)"WHO", (char*)"WHO", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
    DATA4* orders = d4create(&cb_, Path("orders").c_str(), orderFields, whoTag);
    ASSERT_TRUE(people && orders);
    for (const char* row : {"ann Oslo", "bob Rome"}) {
        d4append_blank(people);
        f4assign(d4field(people, "NAME"), std::string(row, 3).c_str());
        f4assign(d4field(people, "CITY"), row + 4);
    }
    for (const char* row : {"bob 1", "cy  2", "ann 3", "bob 4"}) {
        d4append_blank(orders);
        f4assign(d4field(orders, "WHO"), std::string(row, 3).c_str());
        f4assign(d4field(orders, "QTY"), row + 4);
    }
    struct Case {
        int action;
        const char* query;
        const char* walk;
    } cases[] = {
        {relate4blank, nullptr, "1:Rome 2:- 3:Oslo 4:Rome "},
        {relate4skipRec, nullptr, "1:Rome 3:Oslo 4:Rome "},
        {relate4blank, "QTY > 1", "2:- 3:Oslo 4:Rome "},
    };
    for (const Case& k : cases) {
        RELATE4* top = relate4init(orders);
        RELATE4* slave = relate4create_slave(top, people, "WHO", d4tag(people, "NAME"));
        ASSERT_NE(nullptr, slave);
        relate4error_action(slave, k.action);
        ASSERT_EQ(r4success, relate4query_set(top, k.query));
        std::string walk;
        for (int rc = relate4top(top); rc == r4success; rc = relate4skip(top, 1)) {
            std::string city = f4str(d4field(people, "CITY"));
            city = city.substr(0, city.find(' '));
            walk += std::to_string(f4long(d4field(orders, "QTY"))) + ":" + (city.empty() ? "-" : city) + " ";
        }
        EXPECT_EQ(k.walk, walk) << "action " << k.action << " query " << (k.query ? k.query : "none");
        relate4free(top, 0);
    }
    // A scan slave gives one walk step for each of its matches, both ways.
    RELATE4* top = relate4init(people);
    RELATE4* slave = relate4create_slave(top, orders, "NAME", d4tag(orders, "WHO"));
    relate4type(slave, relate4scan);
    std::string walk[2];
    for (int back = 0; back < 2; back++)
        for (int rc = back ? relate4bottom(top) : relate4top(top); rc == r4success; rc = relate4skip(top, back ? -1 : 1))
            walk[back] += std::string(f4str(d4field(people, "NAME")), 3) + ":" +
                          std::to_string(f4long(d4field(orders, "QTY"))) + " ";
    EXPECT_EQ("ann:3 bob:1 bob:4 ", walk[0]);
    EXPECT_EQ("bob:4 bob:1 ann:3 ", walk[1]);
    relate4free(top, 0);
}

}  // namespace
