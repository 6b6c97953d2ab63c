// A suite program's use of the database classes QVWIZ32 exports: a table
// with a production index, appends, seeks, a relation of two tables and a
// sort, through the classes only.
#include <windows.h>

#include "cbase32.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Trimmed(Str4& s)
{
    std::string t(s.ptr(), s.len());
    return t.substr(0, t.find_last_not_of(' ') + 1);
}

std::string Folder()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return temp;
}

class SuiteProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        code.safety = 0;
        code.errOff = 1;
        Field4info fields(code);
        fields.add("NAME", 'C', 12);
        fields.add("CITY", 'C', 10);
        people.create(code, (char*)(Folder() + "PEOPLE").c_str(), fields.fields());
        ASSERT_TRUE(people.isValid());
        Field4info orderFields(code);
        orderFields.add("PERSON", 'N', 5);
        orderFields.add("AMOUNT", 'N', 8, 2);
        orders.create(code, (char*)(Folder() + "ORDERS").c_str(), orderFields.fields());
        ASSERT_TRUE(orders.isValid());
        const char* rows[][2] = {{"Zoe", "Oslo"}, {"adam", "Bergen"}, {"Mia", "Trondheim"}};
        Field4 name(people, (char*)"NAME"), city(people, (char*)"CITY");
        for (auto& row : rows) {
            ASSERT_EQ(r4success, people.appendStart());
            name.assign(row[0]);
            city.assign(row[1]);
            ASSERT_EQ(r4success, people.append());
        }
        Field4 person(orders, (char*)"PERSON"), amount(orders, (char*)"AMOUNT");
        const char* rowsOrders[][2] = {{"3", "12.50"}, {"1", "99.00"}, {"2", "7.25"}, {"3", "1.00"}};
        for (auto& row : rowsOrders) {
            ASSERT_EQ(r4success, orders.appendBlank());
            person.assign(row[0]);
            amount.assign(row[1]);
        }
        ASSERT_EQ(r4success, orders.flush());
    }
    void TearDown() override { code.initUndo(); }

    Code4 code;
    Data4 people, orders;
};

TEST_F(SuiteProgram, SeeksInTheProductionIndexTag)
{
    Tag4info tags(code);
    tags.add("NAME", "UPPER(NAME)");
    Index4 production;
    ASSERT_TRUE(production.create(people, tags.tags()));
    EXPECT_TRUE(production.isProduction());
    Tag4 byName(people, (char*)"NAME");
    ASSERT_TRUE(byName.isValid());
    people.select(byName);
    Field4 name(people, (char*)"NAME");
    std::string order;
    for (int rc = people.top(); rc == r4success; rc = people.skip())
        order += Trimmed(name) + " ";
    EXPECT_EQ("adam Mia Zoe ", order);
    EXPECT_EQ(r4success, people.seek((char*)"MIA"));
    EXPECT_EQ("Mia", Trimmed(name));
    EXPECT_EQ(3, people.recNo());
    EXPECT_NE(r4success, people.seek((char*)"BOB"));
}

TEST_F(SuiteProgram, RelatesOrdersToTheirPeopleByRecordNumber)
{
    Relate4set set(orders);
    Relate4 person(set, people, (char*)"PERSON", Tag4());
    ASSERT_TRUE(person.isValid());
    Field4 name(people, (char*)"NAME"), amount(orders, (char*)"AMOUNT");
    std::string seen;
    for (int rc = set.top(); rc == r4success; rc = set.skip())
        seen += Trimmed(name) + "=" + Trimmed(amount) + " ";
    EXPECT_EQ("Mia=12.50 Zoe=99.00 adam=7.25 Mia=1.00 ", seen);
    ASSERT_EQ(r4success, set.querySet((char*)"AMOUNT > 5"));
    std::string big;
    for (int rc = set.top(); rc == r4success; rc = set.skip())
        big += Trimmed(name) + " ";
    EXPECT_EQ("Mia Zoe adam ", big);
    set.free();
}

TEST_F(SuiteProgram, SortsTheTableByCity)
{
    Sort4 sort(code, 10, 0);
    Field4 city(people, (char*)"CITY");
    for (int rc = people.top(); rc == r4success; rc = people.skip())
        ASSERT_EQ(r4success, sort.put(people.recNo(), city.ptr(), nullptr));
    ASSERT_EQ(r4success, sort.getInit());
    std::string order;
    while (sort.get() == r4success)
        order += std::to_string(sort.resultRec) + " ";
    EXPECT_EQ("2 1 3 ", order) << "Bergen, Oslo, Trondheim";
    sort.free();
}

TEST_F(SuiteProgram, StringsAndDates)
{
    Str4ten ten("Kestrix suite");
    EXPECT_EQ("Kestrix su", std::string(ten.ptr(), ten.len())) << "cut to ten";
    Str4large other("Kestrix su   ");
    EXPECT_TRUE(ten == other) << "trailing blanks do not count";
    EXPECT_TRUE(ten <= other);
    Str4char z('z');
    EXPECT_TRUE(z > ten);
    Date4 d("19960228");
    d++;
    EXPECT_EQ("19960229", std::string(d.ptr(), 8));
    EXPECT_TRUE(d.isLeap());
    char text[32];
    d.format(text, "MMM DD, CCYY");
    EXPECT_STREQ("Feb 29, 1996", text);
}

}  // namespace
