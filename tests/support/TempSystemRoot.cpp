#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <random>
#endif

namespace testsupport {

namespace {

#ifdef _WIN32
// The C runtime has no mkdtemp: a random name, taken only if it is new.
std::string makeTempDirectory() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto path = std::filesystem::temp_directory_path() / ("kivora-test-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(path, error)) return path.string();
    }
    ADD_FAILURE() << "no temporary directory could be made";
    return {};
}

void setEnvironment(const char* name, const char* value) { _putenv_s(name, value); }
void unsetEnvironment(const char* name) { _putenv_s(name, ""); }
#else
std::string makeTempDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kivora-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    return pattern;
}

void setEnvironment(const char* name, const char* value) { setenv(name, value, 1); }
void unsetEnvironment(const char* name) { unsetenv(name); }
#endif

}  // namespace

TempDir::TempDir() : path_(makeTempDirectory()) {}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests make files read-only on purpose; give the owner write back so removal works.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
}

TempSystemRoot::TempSystemRoot() {
    if (const char* old = std::getenv("KIVORA_SYSTEM")) {
        hadPrevious_ = true;
        previous_ = old;
    }
    setEnvironment("KIVORA_SYSTEM", dir_.path().c_str());
}

TempSystemRoot::~TempSystemRoot() {
    if (hadPrevious_) {
        setEnvironment("KIVORA_SYSTEM", previous_.c_str());
    } else {
        unsetEnvironment("KIVORA_SYSTEM");
    }
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace testsupport
