// QVDETECT.DLL installed in the suite folder (C:\KESTRIX), called as the
// setup wizard calls it when it finishes.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "qvdetect.h"

namespace {

const char* const kPrompts[] = {"GREETING", "GOODBYE", "NOMSG"};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le32(const std::string& s, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}

class DetectLibrary : public ::testing::Test {
protected:
    template <class F>
    F Find(const char* name) {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    void SetUp() override {
        module_ = LoadLibraryA("C:\\KESTRIX\\QVDETECT.DLL");
        ASSERT_NE(nullptr, module_);
        init_ = Find<InitDetectDLLFn>("InitDetectDLL");
        detect_ = Find<DoModemDetectionFn>("DoModemDetection");
        install_ = Find<InstallVoiceFilesFn>("InstallVoiceFiles");
        deinit_ = Find<DeInitDetectDLLFn>("DeInitDetectDLL");
        ASSERT_TRUE(init_ && detect_ && install_ && deinit_);
        ASSERT_NE(0, init_());
    }
    void TearDown() override {
        if (deinit_)
            deinit_();
        if (module_)
            FreeLibrary(module_);
    }

    HMODULE module_ = nullptr;
    InitDetectDLLFn init_ = nullptr;
    DoModemDetectionFn detect_ = nullptr;
    InstallVoiceFilesFn install_ = nullptr;
    DeInitDetectDLLFn deinit_ = nullptr;
};

}  // namespace

TEST_F(DetectLibrary, RecordsThePortSetupChose) {
    EXPECT_EQ(1, detect_(nullptr, "COM2", 0));
    EXPECT_EQ(1, detect_(nullptr, "COM3", 0));
    EXPECT_EQ(0, detect_(nullptr, "", 0));
    EXPECT_EQ(0, detect_(nullptr, nullptr, 0));
    std::string log = ReadFile("C:\\KESTRIX\\DETECT.LOG");
    size_t com2 = log.find(" port COM2\r\n"), com3 = log.find(" port COM3\r\n");
    ASSERT_NE(std::string::npos, com2) << log;
    ASSERT_NE(std::string::npos, com3) << log;
    EXPECT_LT(com2, com3) << "lines are appended in call order";
}

// Setup run again keeps the user's own recording and restores what is missing.
TEST_F(DetectLibrary, InstallsSpokenPromptsAsWaveFilesAndKeepsTheUsersRecording) {
    ASSERT_EQ(3, install_(nullptr, 3));
    for (const char* prompt : kPrompts) {
        std::string wav = ReadFile(std::string("C:\\KESTRIX\\VOICE\\") + prompt + ".WAV");
        ASSERT_GE(wav.size(), 44u) << prompt;
        EXPECT_EQ("RIFF", wav.substr(0, 4)) << prompt;
        EXPECT_EQ("WAVE", wav.substr(8, 4)) << prompt;
        EXPECT_EQ(wav.size() - 8, Le32(wav, 4)) << prompt;
        EXPECT_EQ("fmt ", wav.substr(12, 4)) << prompt;
        uint32_t bytesPerSecond = Le32(wav, 28);
        // Speech, not a stub: more than half a second of sound.
        EXPECT_GT(wav.size(), bytesPerSecond / 2) << prompt;
    }
    const std::string greeting = "C:\\KESTRIX\\VOICE\\GREETING.WAV";
    const std::string goodbye = "C:\\KESTRIX\\VOICE\\GOODBYE.WAV";
    std::string installed = ReadFile(greeting);
    { std::ofstream(greeting, std::ios::binary) << "the user's own greeting"; }
    ASSERT_TRUE(DeleteFileA(goodbye.c_str()));
    // What the wizard passes: only the missing prompt comes back.
    EXPECT_EQ(1, install_(nullptr, 1));
    EXPECT_EQ("the user's own greeting", ReadFile(greeting));
    EXPECT_EQ("RIFF", ReadFile(goodbye).substr(0, 4));
    EXPECT_EQ(3, install_(nullptr, 3));
    EXPECT_EQ(installed, ReadFile(greeting));
}
