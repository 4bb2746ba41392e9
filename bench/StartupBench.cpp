// The new-connection form of the demo provider, whose files stand beside
// this program, on Qt's offscreen platform, against a bare QDialog of the
// same size:
// - start-up: a fresh process from its launch until the window is painted
//   (Qt started, the remote-access library bound, the form made and
//   initialised with its logo, modems, connection methods and settings);
//   the baseline process starts Qt and paints the bare dialog. This program
//   runs itself for both, with --show-form or --show-bare WIDTH HEIGHT.
// - shown again: the same in a process where Qt is already running, which
//   leaves what the form itself costs.
#include "Application.h"
#include "NewConnectionDialog.h"
#include "PairTiming.h"
#include "QtBackend.h"
#include "RasLibrary.h"
#include "RemoteAccess.h"
#include "Resources.h"
#include "RunProcess.h"
#include "TempSystemRoot.h"

#include <QApplication>
#include <QDialog>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

class BenchApplication : public ui::Application {
public:
    BenchApplication() : Application(resources::loadString(resources::IDS_APP_TITLE)) {}

protected:
    void initInstance() override {}
};

// The framework's way of painting a window just shown: its exposure by the
// window system paints it.
void showAndPaint(QWidget& window) {
    window.show();
    while (!window.windowHandle()->isExposed()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The form made, initialised, shown and painted, as start-up shows it.
std::unique_ptr<NewConnectionDialog> showForm() {
    auto form = std::make_unique<NewConnectionDialog>();
    form->create();
    form->showWindow(SW_SHOW);
    form->redrawWindow();
    return form;
}

// Said by a child process once painted: the moment, on the clock both
// processes share, and the window's size.
void reportPainted(const QWidget& window) {
    long long now = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
    std::printf("%lld %d %d\n", now, window.width(), window.height());
}

int showFormOnce(char** argv) {
    int qtArgc = 1;
    ui::QtBackend qt(qtArgc, argv);
    ui::setCurrentBackend(&qt);
    BenchApplication application;
    remoteAccess() = rastest::ras();
    std::unique_ptr<NewConnectionDialog> form = showForm();
    QWidget* window = qt.windowOf(*form);
    if (window == nullptr || form->itemCount(resources::IDC_CONNECTION_TYPE) == 0) return 1;
    reportPainted(*window);
    form->destroyWindow();
    ui::setCurrentBackend(nullptr);
    return 0;
}

int showBareOnce(int width, int height, char** argv) {
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QDialog dialog;
    dialog.setFixedSize(width, height);
    showAndPaint(dialog);
    reportPainted(dialog);
    return 0;
}

struct Painted {
    double seconds = 0;  // from the launch
    int width = 0;
    int height = 0;
};

// Runs this program in a child mode; nullopt when it failed.
std::optional<Painted> launch(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {"/proc/self/exe"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    Clock::time_point launched = Clock::now();
    testsupport::ProcessResult result = testsupport::runProcess(argv);
    long long paintedNs = 0;
    Painted painted;
    std::istringstream said(result.out);
    if (result.status != 0 || !(said >> paintedNs >> painted.width >> painted.height)) return std::nullopt;
    painted.seconds =
        std::chrono::duration<double>(Clock::time_point(std::chrono::nanoseconds(paintedNs)) - launched).count();
    return painted;
}

void BM_StartUp(benchmark::State& state) {
    testsupport::TempSystemRoot root;
    PairTiming timing(state);
    for (auto _ : state) {
        std::optional<Painted> form = launch({"--show-form"});
        std::optional<Painted> bare;
        if (form) bare = launch({"--show-bare", std::to_string(form->width), std::to_string(form->height)});
        if (!form || !bare) {
            state.SkipWithError("a child process did not paint its window");
            break;
        }
        state.SetIterationTime(form->seconds);
        timing.recordSubject(form->seconds);
        timing.recordBaseline(bare->seconds);
    }
    timing.report();
}
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

ui::QtBackend* backend = nullptr;

void BM_FormShownAgain(benchmark::State& state) {
    testsupport::TempSystemRoot root;
    remoteAccess() = rastest::ras();
    PairTiming timing(state);
    for (auto _ : state) {
        std::unique_ptr<NewConnectionDialog> form;
        timing.subject([&] { form = showForm(); });
        QWidget* window = backend->windowOf(*form);
        if (window == nullptr || form->itemCount(resources::IDC_CONNECTION_TYPE) == 0) {
            state.SkipWithError("the form was not shown with the demo provider's menu");
            break;
        }
        const QSize size = window->size();
        form->destroyWindow();
        form.reset();

        std::unique_ptr<QDialog> bare;
        timing.baseline([&] {
            bare = std::make_unique<QDialog>();
            bare->setFixedSize(size);
            showAndPaint(*bare);
        });
    }
    timing.report();
}
BENCHMARK(BM_FormShownAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
    // Figures from any machine, with or without a display, are comparable.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc == 2 && std::strcmp(argv[1], "--show-form") == 0) return showFormOnce(argv);
    if (argc == 4 && std::strcmp(argv[1], "--show-bare") == 0) {
        return showBareOnce(std::atoi(argv[2]), std::atoi(argv[3]), argv);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    int qtArgc = 1;
    ui::QtBackend qt(qtArgc, argv);
    ui::setCurrentBackend(&qt);
    backend = &qt;
    BenchApplication application;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ui::setCurrentBackend(nullptr);
    return 0;
}
