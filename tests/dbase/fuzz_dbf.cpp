// libFuzzer target for the dBASE reader: the input is a table and a memo
// file (the first two bytes say where the table ends). Whatever opens is
// read field by field, then changed, packed and closed, all on memory.
#include "dbf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    size_t split = (size_t)(data[0] | data[1] << 8) % (size - 1);
    dbf_memory table{}, memo{};
    dbf_memory_assign(&table, data + 2, split);
    dbf_memory_assign(&memo, data + 2 + split, size - 2 - split);
    dbf_io io, mio;
    dbf_io_memory(&io, &table);
    dbf_io_memory(&mio, &memo);
    dbf_table* t;
    if (dbf_open(&t, &io, &mio) == DBF_OK) {
        uint32_t count = dbf_record_count(t);
        for (uint32_t n = 1; n <= count && n <= 512; ++n) {
            if (dbf_go(t, n) != DBF_OK)
                break;
            for (int i = 0; i < dbf_field_count(t); ++i) {
                char text[64];
                double d;
                dbf_get_text(t, i, text, sizeof text);
                dbf_get_double(t, i, &d);
                char* m = nullptr;
                size_t len;
                if (dbf_memo_read(t, i, &m, &len) == DBF_OK && len)
                    (void)m[len - 1];
                std::free(m);
            }
        }
        if (count && dbf_go(t, 1) == DBF_OK) {
            dbf_set_deleted(t, 1);
            dbf_set_text(t, 0, "fuzz");
            dbf_memo_write(t, 0, "memo", 4);
        }
        dbf_append(t, 1);
        dbf_pack(t);
        dbf_close(t);
    }
    dbf_memory_free(&table);
    dbf_memory_free(&memo);
    return 0;
}
