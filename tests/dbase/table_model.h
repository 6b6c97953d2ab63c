// A table of the engine run side by side with a plain model of what it
// should hold: operations decoded from bytes (a seeded generator in the
// test, the fuzzer's input in the fuzz target), every result compared
// after every step.
#ifndef TABLE_MODEL_H
#define TABLE_MODEL_H

#include <cstddef>
#include <cstdint>
#include <string>

struct ModelRun {
    long steps = 0;
    std::string disagreement;   // empty when the engine agreed throughout
};

// Runs the operations of ops on a new table in dir (an existing folder).
ModelRun run_table_model(const uint8_t* ops, size_t size, const std::string& dir);

#endif
