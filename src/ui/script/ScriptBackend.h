// The headless backend: no windows. It keeps what a user would see in each
// dialog's state, takes the user's actions from a script whenever the
// program waits for the user, and writes a transcript of what a user would
// have seen. An action that cannot apply ends the program with status 3.
#pragma once

#include "Backend.h"
#include "Script.h"

#include <cstddef>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace ui {

class Dialog;

class ScriptBackend : public Backend {
public:
    ScriptBackend(std::vector<ScriptAction> actions, std::ostream& transcript);

    // The backend of KIVORA_SCRIPT and KIVORA_TRANSCRIPT (standard output
    // when unset). A script that cannot be read or parsed ends the program
    // with status 3, after saying why.
    static std::unique_ptr<ScriptBackend> fromEnvironment();

    std::unique_ptr<WindowView> createView(Dialog& dialog) override;
    int messageBox(const std::string& text, const std::string& caption, UINT type) override;
    COLORREF systemColour(int index) const override;
    int finish(int status) override;

    // Writes one transcript line (UTF-8) and flushes it.
    void write(const std::string& line);
    // The next action, for a dialog or a message box that waits for the
    // user; ends the program when none is left.
    const ScriptAction& nextAction();
    // Applies one action to a dialog waiting in its modal loop.
    void apply(Dialog& dialog, const ScriptAction& action);
    // Writes "error: reason" and ends the program with status 3.
    [[noreturn]] void fail(const std::string& reason);

private:
    ScriptBackend(std::vector<ScriptAction> actions, std::unique_ptr<std::ofstream> file);

    std::vector<ScriptAction> actions_;
    std::size_t next_ = 0;
    std::unique_ptr<std::ofstream> file_;
    std::ostream& out_;
};

// A CP932 text as a quoted transcript string: UTF-8 in double quotes, with
// \n, \" and \\ escapes.
std::string quoteForTranscript(const std::string& cp932Text);

}  // namespace ui
