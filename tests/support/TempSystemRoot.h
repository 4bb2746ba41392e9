// Test fixtures' helpers: a private, empty system root (and a scratch
// directory) for the life of a test, removed afterwards.
#pragma once

#include <string>

namespace testsupport {

// Creates a fresh temporary directory; removes it (recursively) on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Points KIVORA_SYSTEM at a fresh temporary root for the object's life and
// restores the previous value afterwards.
class TempSystemRoot {
public:
    TempSystemRoot();
    ~TempSystemRoot();
    TempSystemRoot(const TempSystemRoot&) = delete;
    TempSystemRoot& operator=(const TempSystemRoot&) = delete;
    const std::string& path() const { return dir_.path(); }
    std::string file(const std::string& name) const { return dir_.file(name); }

private:
    TempDir dir_;
    bool hadPrevious_ = false;
    std::string previous_;
};

// Writes bytes to a file, replacing it; fails the test on error.
void writeFile(const std::string& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);

}  // namespace testsupport
