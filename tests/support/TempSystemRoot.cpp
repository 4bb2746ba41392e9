#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kivora-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
}

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
    setenv("KIVORA_SYSTEM", dir_.path().c_str(), 1);
}

TempSystemRoot::~TempSystemRoot() {
    if (hadPrevious_) {
        setenv("KIVORA_SYSTEM", previous_.c_str(), 1);
    } else {
        unsetenv("KIVORA_SYSTEM");
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
