// libFuzzer target: the input is a list of table operations run against
// the model of table_model.cpp; a disagreement aborts.
#include "table_model.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static char dir[] = "/tmp/model_fuzzXXXXXX";
    static bool made = [] {
        if (!mkdtemp(dir))
            std::abort();
        std::atexit([] { std::system((std::string("rm -rf ") + dir).c_str()); });
        return true;
    }();
    (void)made;
    ModelRun run = run_table_model(data, size, dir);
    if (!run.disagreement.empty()) {
        std::fprintf(stderr, "disagreement: %s\n", run.disagreement.c_str());
        std::abort();
    }
    return 0;
}
