// The engine against a model of its table over random operations: every
// record, memo and tag walk agrees after every step (table_model.cpp).
#include "table_model.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

TEST(TableModel, RandomOperationsAgree)
{
    char dir[] = "/tmp/model_testXXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    long steps = 0;
    auto start = std::chrono::steady_clock::now();
    for (unsigned seed = 1; seed <= 6; seed++) {
        std::mt19937 gen(seed);
        std::vector<uint8_t> ops(6000);
        for (auto& b : ops)
            b = (uint8_t)gen();
        ModelRun run = run_table_model(ops.data(), ops.size(), dir);
        EXPECT_EQ("", run.disagreement) << "seed " << seed;
        steps += run.steps;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("model check: %ld steps in %.2f s (%.0f steps/s)\n", steps, seconds, steps / seconds);
    std::system((std::string("rm -rf ") + dir).c_str());
}
