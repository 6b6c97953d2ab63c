// The file a transcript goes to: whole lines, each flushed as it is written,
// because tests and people read the file while the tool is still running.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

namespace linecommon {

class TranscriptFile {
public:
    enum class Mode { Truncate, Append };

    TranscriptFile() = default;
    ~TranscriptFile();
    TranscriptFile(const TranscriptFile&) = delete;
    TranscriptFile& operator=(const TranscriptFile&) = delete;

    // False when the file cannot be opened.
    bool open(const std::string& path, Mode mode);
    void useStandardOutput();
    bool isOpen() const { return file_ != nullptr; }
    // Does nothing while no file is open.
    void writeLine(std::string_view line);

private:
    std::FILE* file_ = nullptr;
    bool owned_ = false;
};

}  // namespace linecommon
