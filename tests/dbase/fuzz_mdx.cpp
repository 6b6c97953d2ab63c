// libFuzzer target for the .MDX reader: the input is an index file, opened
// on memory; every tag is walked both ways and page by page, sought,
// positioned and changed.
#include "dbf_mdx.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    dbf_memory file{};
    dbf_memory_assign(&file, data, size);
    dbf_io io;
    dbf_io_memory(&io, &file);
    dbf_mdx* m;
    if (dbf_mdx_open(&m, &io) == DBF_OK) {
        unsigned char key[DBF_MDX_MAX_KEY];
        std::memset(key, 'K', sizeof key);
        std::memcpy(key, data, size < sizeof key ? size : sizeof key);
        for (int t = 0; t < dbf_mdx_tag_count(m); t++) {
            dbf_mdx_cursor* c;
            if (dbf_mdx_cursor_new(m, t, &c) != DBF_OK)
                continue;
            int steps = 0;
            for (dbf_status st = dbf_mdx_first(c); st == DBF_OK && steps < 4096; st = dbf_mdx_next(c), steps++)
                (void)dbf_mdx_key(c)[0];
            for (dbf_status st = dbf_mdx_last(c); st == DBF_OK && steps < 8192; st = dbf_mdx_prev(c), steps++)
                (void)dbf_mdx_recno(c);
            int exact;
            if (dbf_mdx_seek(c, key, dbf_mdx_tag(m, t)->key_len, 0, &exact) == DBF_OK)
                (void)dbf_mdx_position(c);
            dbf_mdx_position_set(c, (double)(size % 101) / 100.0);
            for (int k = 0; dbf_mdx_up_to_root(c) == DBF_OK && k < 64 && dbf_mdx_next(c) == DBF_OK; k++)
                while (dbf_mdx_down(c) == DBF_OK)
                    (void)dbf_mdx_key(c);
            dbf_mdx_cursor_free(c);
            if (dbf_mdx_insert(m, t, key, 7) == DBF_OK)
                dbf_mdx_delete(m, t, key, 7);
        }
        dbf_mdx_close(m);
    }
    dbf_memory_free(&file);
    return 0;
}
