// A backend without a screen that answers for the user: every modal dialog
// with a click on one button (OK unless told otherwise), every message box
// with OK (kept, as the recording backend keeps them). Windows that are not
// modal exist but show nothing.
#pragma once

#include "Dialog.h"
#include "RecordingBackend.h"
#include "UserInput.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

class AnsweringBackend : public RecordingBackend {
public:
    explicit AnsweringBackend(int button = IDOK) : button_(button) {}

    std::unique_ptr<ui::WindowView> createView(ui::Dialog& dialog) override {
        return std::make_unique<View>(*this, dialog);
    }

    // Modal dialogs answered so far.
    int answered = 0;

private:
    class View : public ui::WindowView {
    public:
        View(AnsweringBackend& backend, ui::Dialog& dialog) : backend_(backend), dialog_(dialog) {}

        void runModal() override {
            ui::Refusal refusal = ui::UserInput(dialog_).click(backend_.button_);
            // A dialog that stays open would wait for ever: no user is there.
            if (refusal || !dialog_.hasEnded()) {
                std::fprintf(stderr, "dialog %d cannot be answered with button %d: %s\n", dialog_.templateId(),
                             backend_.button_, refusal ? refusal->c_str() : "it stays open");
                std::abort();
            }
            ++backend_.answered;
        }

        void controlChanged(std::size_t) override {}
        void repaintControl(std::size_t) override {}
        void focusControl(std::size_t) override {}
        void setVisible(bool, bool) override {}
        void repaintNow() override {}
        ui::Rect frameRect() const override { return {}; }
        void moveTo(int, int) override {}
        void iconChanged() override {}
        void endModal() override {}

    private:
        AnsweringBackend& backend_;
        ui::Dialog& dialog_;
    };

    int button_;
};
