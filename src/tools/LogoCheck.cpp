#include "LogoCheck.h"

#include "LogoControl.h"
#include "LogoImage.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

// The room on the form left of the labels, from the logo control's corner.
constexpr std::uint32_t kFreeWidth = 64;
constexpr std::uint32_t kFreeHeight = 60;

// libpng's default handlers say why a file failed on standard error; while
// one of these lives, standard error goes to a file whose text it returns.
class StandardErrorCapture {
public:
    StandardErrorCapture() : file_(std::tmpfile()) {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        if (file_ != nullptr && saved_ >= 0) dup2(fileno(file_), STDERR_FILENO);
    }
    ~StandardErrorCapture() {
        restore();
        if (file_ != nullptr) std::fclose(file_);
    }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    std::string text() {
        restore();
        if (file_ == nullptr) return {};
        std::rewind(file_);
        std::string captured;
        char buffer[512];
        while (std::size_t count = std::fread(buffer, 1, sizeof buffer, file_)) captured.append(buffer, count);
        return captured;
    }

private:
    void restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }

    std::FILE* file_;
    int saved_ = -1;
};

// What libpng said, its "libpng warning: " and "libpng error: " prefixes
// gone, joined; a warning often names the cause of the error after it.
std::string libpngMessages(const std::string& captured) {
    std::istringstream lines(captured);
    std::string line;
    std::string messages;
    for (const std::string prefix : {"libpng warning: ", "libpng error: "}) {
        lines.clear();
        lines.seekg(0);
        while (std::getline(lines, line)) {
            if (line.rfind(prefix, 0) == 0) messages += (messages.empty() ? "" : "; ") + line.substr(prefix.size());
        }
    }
    return messages;
}

}  // namespace

void checkLogo(const std::string& path, Findings& findings) {
    const auto add = [&](Severity severity, std::string message) {
        findings.add(path, 0, severity, std::move(message));
    };
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return;  // not a regular file: the folder's check says so
    if (size == 0) {
        add(Severity::Warning, "empty: the form shows an empty logo space");
        return;
    }
    if (size > LogoControl::kMaxFileBytes) {
        add(Severity::Warning, "larger than " + std::to_string(LogoControl::kMaxFileBytes / (1024 * 1024)) +
                                   " MiB: the program does not read it and shows an empty logo space");
        return;
    }
    LogoControl logo;
    StandardErrorCapture capture;
    const bool built = logo.loadFromFile(path.c_str()) == 1;
    const std::string messages = libpngMessages(capture.text());
    if (!built) {
        add(Severity::Error, "the program cannot decode it (" + (messages.empty() ? std::string("damaged") : messages) +
                                 "): it shows \"PNGエラー\" and opens the form without a logo");
        return;
    }
    if (!messages.empty()) add(Severity::Note, "libpng warns: " + messages);
    // Pixels drawn in the key colour show the form through: composed on two
    // backgrounds, they are the ones that differ.
    const std::vector<std::uint32_t> onBlack = logo.composedPixels(0x000000);
    const std::vector<std::uint32_t> onWhite = logo.composedPixels(0xFFFFFF);
    std::size_t transparent = 0;
    for (std::size_t i = 0; i < onBlack.size(); ++i) transparent += onBlack[i] != onWhite[i] ? 1 : 0;
    const std::string dimensions = std::to_string(logo.width()) + " x " + std::to_string(logo.height()) + " pixels";
    add(Severity::Note, dimensions + ", " + std::to_string(transparent) + " of them magenta (255, 0, 255) and so transparent");
    if (transparent == 0) {
        add(Severity::Note, "no pixel is magenta (255, 0, 255): the logo is drawn as an opaque rectangle");
    }
    if (logo.width() > kFreeWidth || logo.height() > kFreeHeight) {
        add(Severity::Warning, "larger than the " + std::to_string(kFreeWidth) + " x " + std::to_string(kFreeHeight) +
                                   " pixels free on the form: it runs under the labels and boxes");
    }
}
