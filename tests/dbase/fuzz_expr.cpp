// libFuzzer target for the expression parser: the input is an expression,
// parsed against a small table on memory and evaluated on its record.
#include "dbf_expr.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static dbf_memory memory{};
    static dbf_table* table;
    if (!table) {
        dbf_io io;
        dbf_io_memory(&io, &memory);
        const dbf_field_def fields[] = {{"NAME", 'C', 10, 0}, {"AMOUNT", 'N', 8, 2}, {"BORN", 'D', 8, 0},
                                        {"OK", 'L', 1, 0}};
        if (dbf_create(&table, &io, nullptr, fields, 4, DBF_MEMO_NONE) != DBF_OK)
            return 0;
        dbf_append(table, 1);
        dbf_set_text(table, 0, "smith");
        dbf_set_text(table, 1, "12.5");
        dbf_set_text(table, 2, "19991231");
        dbf_set_text(table, 3, "T");
    }
    std::string source(reinterpret_cast<const char*>(data), size);
    dbf_expr* e;
    char error[200];
    if (dbf_expr_parse(&e, table, source.c_str(), nullptr, error, sizeof error) == DBF_OK) {
        dbf_value v;
        if (dbf_expr_eval_current(e, &v) == DBF_OK && v.type == 'C' && v.len)
            (void)v.str[v.len - 1];
        dbf_expr_free(e);
    }
    return 0;
}
