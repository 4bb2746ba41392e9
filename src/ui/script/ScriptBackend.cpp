#include "ScriptBackend.h"

#include "Cp932.h"
#include "Dialog.h"
#include "DialogUnits.h"
#include "UserInput.h"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <iostream>

namespace ui {

namespace {

// Fixed, so that geometry does not depend on the fonts of the machine: the
// units of a 9-point dialog font at 96 dots per inch.
constexpr BaseUnits kBaseUnits{6, 12};
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

std::string utf8(const std::string& cp932Text) {
    std::string result;
    if (!cp932::toUtf8(cp932Text, result)) return "(not CP932)";
    return result;
}

// A UTF-8 text for the inside of a quoted transcript string.
std::string escape(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') {
            result += "\\n";
        } else {
            if (c == '"' || c == '\\') result += '\\';
            result += c;
        }
    }
    return result;
}

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Static: return "static";
    case ControlKind::Picture: return "picture";
    case ControlKind::IconStatic: return "icon";
    case ControlKind::Edit: return "edit";
    case ControlKind::PushButton: return "button";
    case ControlKind::CheckBox: return "checkbox";
    case ControlKind::RadioButton: return "radio";
    case ControlKind::GroupBox: return "groupbox";
    case ControlKind::DropDownList: return "dropdown";
    }
    return "control";
}

const char* iconName(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONWARNING: return "warning";
    case MB_ICONINFORMATION: return "information";
    case MB_ICONQUESTION: return "question";
    case MB_ICONHAND: return "error";
    default: return "none";
    }
}

class ScriptView : public WindowView {
public:
    ScriptView(ScriptBackend& backend, Dialog& dialog) : backend_(backend), dialog_(dialog) {
        const DialogTemplate& source = dialog.dialogTemplate();
        int width = dluToPixelsX(source.width, kBaseUnits);
        int height = dluToPixelsY(source.height, kBaseUnits);
        rect_ = Rect{(kScreenWidth - width) / 2, (kScreenHeight - height) / 2, width, height};
        if (!dialog.isModal()) backend_.write("create " + std::to_string(dialog.templateId()));
    }

    ~ScriptView() override {
        if (!dialog_.isModal()) backend_.write("destroy " + std::to_string(dialog_.templateId()));
    }

    void controlChanged(std::size_t) override {}
    void repaintControl(std::size_t) override {}
    void focusControl(std::size_t) override {}
    void iconChanged() override {}

    void setVisible(bool visible, bool) override {
        backend_.write((visible ? "show " : "hide ") + std::to_string(dialog_.templateId()));
    }

    void repaintNow() override {
        std::string text;
        bool first = true;
        for (std::size_t i = 0; i < dialog_.controlCount(); ++i) {
            const ControlState& control = dialog_.controlState(i);
            if (control.source->kind != ControlKind::Static || !control.visible) continue;
            if (!first) text += " | ";
            text += utf8(control.text);
            first = false;
        }
        backend_.write("paint " + std::to_string(dialog_.templateId()) + " \"" + escape(text) + "\"");
    }

    Rect frameRect() const override { return rect_; }
    void moveTo(int left, int top) override {
        rect_.left = left;
        rect_.top = top;
    }

    void runModal() override {
        std::string id = std::to_string(dialog_.templateId());
        backend_.write("run " + id);
        while (!dialog_.hasEnded()) backend_.apply(dialog_, backend_.nextAction());
        backend_.write("end " + id + " " + std::to_string(dialog_.result()));
    }

    void endModal() override {}

private:
    ScriptBackend& backend_;
    Dialog& dialog_;
    Rect rect_;
};

void dump(ScriptBackend& backend, const Dialog& dialog) {
    for (std::size_t i = 0; i < dialog.controlCount(); ++i) {
        const ControlState& control = dialog.controlState(i);
        if (control.source->id == IDC_STATIC) continue;
        std::string line = "control " + std::to_string(control.source->id) + " " +
                           kindName(control.source->kind) + " " + quoteForTranscript(control.text);
        if (control.checkState != 0) line += " checked";
        if (!control.enabled) line += " disabled";
        if (!control.visible) line += " hidden";
        if (control.readOnly) line += " readonly";
        if (control.password) line += " password";
        if (control.source->kind == ControlKind::DropDownList) {
            std::string items;
            for (std::size_t item = 0; item < control.items.size(); ++item) {
                if (item != 0) items += "|";
                items += utf8(control.items[item].text);
            }
            line += " selected=" + std::to_string(control.selection);
            line += " items=\"" + escape(items) + "\"";
        }
        backend.write(line);
    }
}

}  // namespace

std::string quoteForTranscript(const std::string& cp932Text) {
    return "\"" + escape(utf8(cp932Text)) + "\"";
}

ScriptBackend::ScriptBackend(std::vector<ScriptAction> actions, std::ostream& transcript)
    : actions_(std::move(actions)), out_(transcript) {}

ScriptBackend::ScriptBackend(std::vector<ScriptAction> actions, std::unique_ptr<std::ofstream> file)
    : actions_(std::move(actions)), file_(std::move(file)), out_(file_ ? *file_ : std::cout) {}

namespace {

// The transcript echoes typed passwords and dumps password boxes: a file
// made for it is its owner's alone, from before its first byte. A device or
// a pipe (/dev/stdout, a terminal) is written as it is. On Windows the
// user's folders keep their files private by their access lists.
#ifdef _WIN32
bool createPrivateFile(const char*) { return true; }
#else
bool createPrivateFile(const char* path) {
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    struct stat st {};
    bool narrowed = fstat(fd, &st) == 0 && (!S_ISREG(st.st_mode) || fchmod(fd, 0600) == 0);
    return close(fd) == 0 && narrowed;
}
#endif

}  // namespace

std::unique_ptr<ScriptBackend> ScriptBackend::fromEnvironment() {
    std::unique_ptr<std::ofstream> file;
    if (const char* path = std::getenv("KIVORA_TRANSCRIPT")) {
        if (createPrivateFile(path)) file = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
        if (!file || !*file) {
            std::cerr << "kivora: cannot write the transcript " << path << "\n";
            std::exit(3);
        }
    }
#ifdef _WIN32
    // The transcript is read by programs: the same bytes on every system,
    // lines ending in LF, not the console's CR LF.
    if (!file) _setmode(_fileno(stdout), _O_BINARY);
#endif
    ParsedScript script;
    const char* scriptPath = std::getenv("KIVORA_SCRIPT");
    std::ifstream input;
    if (scriptPath != nullptr) input.open(scriptPath, std::ios::binary);
    if (scriptPath == nullptr || !input) {
        script.error = scriptPath == nullptr ? "KIVORA_SCRIPT names no script"
                                             : std::string("cannot read the script ") + scriptPath;
    } else {
        script = parseScript(input);
    }
    // Private constructor: make_unique cannot reach it.
    std::unique_ptr<ScriptBackend> backend(new ScriptBackend(std::move(script.actions), std::move(file)));
    if (!script.error.empty()) backend->fail(script.error);
    return backend;
}

void ScriptBackend::write(const std::string& line) {
    out_ << line << '\n' << std::flush;
    // A transcript that lost a line (a full disk, a closed standard output)
    // is no record of the run: the run fails rather than pass unseen.
    if (!out_) {
        std::cerr << "kivora: cannot write the transcript\n";
        std::exit(3);
    }
}

void ScriptBackend::fail(const std::string& reason) {
    write("error: " + reason);
    write("exit 3");
    std::exit(3);
}

const ScriptAction& ScriptBackend::nextAction() {
    if (next_ >= actions_.size()) fail("script exhausted");
    return actions_[next_++];
}

std::unique_ptr<WindowView> ScriptBackend::createView(Dialog& dialog) {
    return std::make_unique<ScriptView>(*this, dialog);
}

void ScriptBackend::apply(Dialog& dialog, const ScriptAction& action) {
    std::string echo = "> " + action.line;
    UserInput user(dialog, [this, &echo] { write(echo); });
    Refusal refusal;
    switch (action.verb) {
    case ScriptVerb::Answer:
        fail(action.line + ": no message box is open");
    case ScriptVerb::Dump:
        write(echo);
        dump(*this, dialog);
        return;
    case ScriptVerb::Set: {
        std::string text;
        if (!cp932::fromUtf8(action.text, text)) fail(action.line + ": the text cannot be typed (not in CP932)");
        refusal = user.typeText(action.id, text);
        break;
    }
    case ScriptVerb::Select:
        refusal = user.pickItem(action.id, action.number);
        break;
    case ScriptVerb::Choose: {
        std::string text;
        int index = -1;
        if (cp932::fromUtf8(action.text, text)) {
            for (int i = 0; i < dialog.itemCount(action.id) && index < 0; ++i) {
                if (dialog.itemText(action.id, i) == text) index = i;
            }
        }
        if (index < 0 && dialog.indexOf(action.id)) fail(action.line + ": no such item");
        refusal = user.pickItem(action.id, index);
        break;
    }
    case ScriptVerb::Click:
        refusal = user.click(action.id);
        break;
    case ScriptVerb::Key:
        refusal = user.pressKey(action.id, action.number);
        break;
    case ScriptVerb::Close:
        refusal = user.close();
        break;
    case ScriptVerb::SysMenu:
        refusal = user.systemCommand(static_cast<unsigned>(action.id));
        break;
    }
    if (refusal) fail(action.line + ": " + *refusal);
}

int ScriptBackend::messageBox(const std::string& text, const std::string& caption, UINT type) {
    bool withCancel = (type & MB_TYPEMASK) == MB_OKCANCEL;
    std::string line = std::string("message ") + iconName(type) + (withCancel ? " okcancel " : " ok ") +
                       quoteForTranscript(caption) + " " + quoteForTranscript(text);
    write(line);
    for (;;) {
        const ScriptAction& action = nextAction();
        if (action.verb == ScriptVerb::Dump) {
            write("> " + action.line);
            write(line);
            continue;
        }
        if (action.verb != ScriptVerb::Answer) fail(action.line + ": a message box is open");
        if (action.number == IDCANCEL && !withCancel) fail(action.line + ": the message box has no Cancel button");
        write("> " + action.line);
        return action.number;
    }
}

COLORREF ScriptBackend::systemColour(int index) const {
    return index == COLOR_BTNFACE ? RGB(240, 240, 240) : RGB(0, 0, 0);
}

int ScriptBackend::finish(int status) {
    if (next_ < actions_.size()) {
        std::size_t unused = actions_.size() - next_;
        write("error: " + std::to_string(unused) + " actions unused");
        write("exit 3");
        return 3;
    }
    write("exit " + std::to_string(status));
    return status;
}

}  // namespace ui
