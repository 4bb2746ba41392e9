// The backend with real windows, on Qt 6 Widgets.
#pragma once

#include "Backend.h"

#include <QIcon>
#include <QMessageBox>

#include <map>
#include <memory>
#include <optional>
#include <string>

class QApplication;
class QWidget;

namespace ui {

class Dialog;
class QtWindowView;

class QtBackend : public Backend {
public:
    // Why no window can be opened here, when none can. Checked before Qt
    // starts, since Qt aborts the process when its display is missing.
    static std::optional<std::string> displayProblem();

    // argc must outlive the backend, as Qt requires.
    QtBackend(int& argc, char** argv);
    ~QtBackend() override;

    std::unique_ptr<WindowView> createView(Dialog& dialog) override;
    int messageBox(const std::string& text, const std::string& caption, UINT type) override;
    COLORREF systemColour(int index) const override;
    int finish(int status) override;

    // For tests and the screenshot tool: the widgets showing a dialog.
    QWidget* windowOf(const Dialog& dialog) const;
    QWidget* controlWidget(const Dialog& dialog, int id) const;
    // The box messageBox shows, not yet shown.
    std::unique_ptr<QMessageBox> makeMessageBox(const std::string& text, const std::string& caption,
                                                UINT type, QWidget* parent) const;

    static QIcon toQIcon(const Icon& icon);
    static QString toQString(const std::string& cp932Text);

private:
    friend class QtWindowView;
    std::unique_ptr<QApplication> application_;
    std::map<const Dialog*, QtWindowView*> views_;
};

}  // namespace ui
