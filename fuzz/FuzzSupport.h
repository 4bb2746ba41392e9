// What the fuzz targets share: a scratch file for the readers that take a
// path, and a check that stops the run with a message when a promise of the
// code under test is broken (libFuzzer then keeps the input as a crash).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzing {

inline void require(bool condition, const char* promise) {
    if (condition) return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

// One file in a private temporary directory, rewritten for every input and
// removed with the directory when the fuzzer exits normally.
class ScratchFile {
public:
    explicit ScratchFile(const char* name) {
        std::string pattern = (std::filesystem::temp_directory_path() / "kivora-fuzz-XXXXXX").string();
        require(mkdtemp(pattern.data()) != nullptr, "a scratch directory can be made");
        directory_ = pattern;
        path_ = directory_ + "/" + name;
    }
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Replaces the file's content with the input; returns its path.
    const char* write(const std::uint8_t* data, std::size_t size) {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        require(file != nullptr, "the scratch file can be written");
        require(size == 0 || std::fwrite(data, 1, size, file) == size, "the input reaches the scratch file");
        std::fclose(file);
        return path_.c_str();
    }

private:
    std::string directory_;
    std::string path_;
};

}  // namespace fuzzing
