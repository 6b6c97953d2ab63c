#include "transcript_file.h"

namespace linecommon {

TranscriptFile::~TranscriptFile() {
    if (owned_) std::fclose(file_);
}

bool TranscriptFile::open(const std::string& path, Mode mode) {
    file_ = std::fopen(path.c_str(), mode == Mode::Append ? "a" : "w");
    owned_ = file_ != nullptr;
    return owned_;
}

void TranscriptFile::useStandardOutput() {
    file_ = stdout;
    owned_ = false;
}

void TranscriptFile::writeLine(std::string_view line) {
    if (!file_) return;
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

}  // namespace linecommon
