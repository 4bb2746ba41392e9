// Runs dialogs in-process on the script backend: actions from a string, the
// transcript into memory.
#pragma once

#include "Backend.h"
#include "Script.h"
#include "ScriptBackend.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

class ScriptHarness {
public:
    explicit ScriptHarness(const std::string& script = {}) {
        std::istringstream input(script);
        ui::ParsedScript parsed = ui::parseScript(input);
        EXPECT_EQ(parsed.error, "");
        backend_ = std::make_unique<ui::ScriptBackend>(std::move(parsed.actions), transcript_);
        ui::setCurrentBackend(backend_.get());
    }
    ~ScriptHarness() { ui::setCurrentBackend(nullptr); }

    ui::ScriptBackend& backend() { return *backend_; }

    // The transcript so far, one entry a line.
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream input(transcript_.str());
        for (std::string line; std::getline(input, line);) result.push_back(line);
        return result;
    }

private:
    std::ostringstream transcript_;
    std::unique_ptr<ui::ScriptBackend> backend_;
};

}  // namespace testsupport
