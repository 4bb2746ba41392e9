// What a user waits for, on Qt's offscreen platform, with the demo
// provider's files beside this program:
// - start-up: a fresh process from its launch until the new-connection form
//   (or the main menu) is painted: Qt started, the remote-access library
//   bound, the dialog made and initialised with its logo, modems, connection
//   methods and settings. Two baselines: a bare QDialog of the same size,
//   and a fair one, a minimal Qt program painting a dialog of that size with
//   the template's Japanese texts in the same font and the same logo, and
//   nothing else. This program runs itself for each (--show ...), and each
//   child also reports its peak resident memory.
// - shown again: the form in a process where Qt is already running, which
//   leaves what the form itself costs.
// - click to dialog: from the click on a main-menu button to the first
//   dialog painted: the form, or the first confirmation of a migration over
//   N entries of which only the last qualifies.
// - memory: the peak resident memory of a whole 1,000-entry migration.
#include "Application.h"
#include "Cp932.h"
#include "MainMenuDialog.h"
#include "NewConnectionDialog.h"
#include "PairTiming.h"
#include "QtBackend.h"
#include "RasLibrary.h"
#include "RemoteAccess.h"
#include "Resources.h"
#include "RunProcess.h"
#include "TempSystemRoot.h"
#include "UserInput.h"

#include <sys/resource.h>

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>
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

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Said by a child process once painted: the moment, on the clock both
// processes share, the window's size and the peak resident memory so far.
void reportPainted(const QWidget& window) {
    long long now = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
    std::printf("%lld %d %d %ld\n", now, window.width(), window.height(), peakResidentKilobytes());
}

// The form or the main menu, shown as start-up shows it.
int showDialogOnce(char** argv, resources::DialogId id) {
    int qtArgc = 1;
    ui::QtBackend qt(qtArgc, argv);
    ui::setCurrentBackend(&qt);
    BenchApplication application;
    remoteAccess() = rastest::ras();
    std::unique_ptr<ui::Dialog> dialog;
    if (id == resources::IDD_MAIN_MENU) {
        dialog = std::make_unique<MainMenuDialog>();
        dialog->create();
        dialog->showWindow(SW_SHOW);
        dialog->redrawWindow();
    } else {
        dialog = showForm();
        if (dialog->itemCount(resources::IDC_CONNECTION_TYPE) == 0) return 1;
    }
    QWidget* window = qt.windowOf(*dialog);
    if (window == nullptr) return 1;
    reportPainted(*window);
    dialog->destroyWindow();
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

// The fair baseline: the template's texts in the dialogs' font (through the
// same substitution) and, for the form, the logo beside this program; no
// provider file read, no service bound.
int showFairOnce(resources::DialogId id, int width, int height, char** argv) {
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("MS ゴシック"), QStringLiteral("IPAGothic"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    QDialog dialog;
    dialog.setFixedSize(width, height);
    auto* layout = new QVBoxLayout(&dialog);
    for (const ui::ControlTemplate& control : resources::dialogTemplate(id).controls) {
        if (control.text.empty()) continue;
        auto* label = new QLabel(QString::fromStdString(cp932::toUtf8(control.text)));
        // The menu's title is drawn in a face of its own, as the menu draws it.
        if (control.id == resources::IDC_MENU_TITLE) {
            QFont title(QStringLiteral("MS ゴシック"));
            title.setPixelSize(18);
            title.setBold(true);
            label->setFont(title);
        }
        layout->addWidget(label);
    }
    if (id == resources::IDD_NEW_CONNECTION) {
        auto* logo = new QLabel;
        logo->setPixmap(QPixmap(QCoreApplication::applicationDirPath() + QStringLiteral("/Logo.png")));
        layout->addWidget(logo);
    }
    showAndPaint(dialog);
    reportPainted(dialog);
    return 0;
}

struct Painted {
    double seconds = 0;  // from the launch
    int width = 0;
    int height = 0;
    long peakKilobytes = 0;
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
    if (result.status != 0 || !(said >> paintedNs >> painted.width >> painted.height >> painted.peakKilobytes)) {
        return std::nullopt;
    }
    painted.seconds =
        std::chrono::duration<double>(Clock::time_point(std::chrono::nanoseconds(paintedNs)) - launched).count();
    return painted;
}

// Start-up of the form (range 0: 129) or the main menu (102) against the
// bare dialog and the fair baseline, and the peak memory of each.
void BM_StartUp(benchmark::State& state) {
    testsupport::TempSystemRoot root;
    const std::string id = std::to_string(state.range(0));
    PairTiming timing(state);
    double bareSeconds = 0;
    long peaks[3] = {0, 0, 0};
    for (auto _ : state) {
        std::optional<Painted> subject = launch({"--show", id});
        std::optional<Painted> fair, bare;
        if (subject) {
            const std::string width = std::to_string(subject->width), height = std::to_string(subject->height);
            fair = launch({"--show-fair", id, width, height});
            bare = launch({"--show-bare", width, height});
        }
        if (!subject || !fair || !bare) {
            state.SkipWithError("a child process did not paint its window");
            break;
        }
        state.SetIterationTime(subject->seconds);
        timing.recordSubject(subject->seconds);
        timing.recordBaseline(fair->seconds);
        bareSeconds += bare->seconds;
        peaks[0] = std::max(peaks[0], subject->peakKilobytes);
        peaks[1] = std::max(peaks[1], fair->peakKilobytes);
        peaks[2] = std::max(peaks[2], bare->peakKilobytes);
    }
    timing.report();
    state.counters["bare"] = benchmark::Counter(bareSeconds, benchmark::Counter::kAvgIterations);
    state.counters["peak_kB"] = static_cast<double>(peaks[0]);
    state.counters["fair_peak_kB"] = static_cast<double>(peaks[1]);
    state.counters["bare_peak_kB"] = static_cast<double>(peaks[2]);
}
BENCHMARK(BM_StartUp)->ArgName("dialog")->Arg(129)->Arg(102)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

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

// Plays the user while a main-menu button runs its job: notes when the first
// modal window is painted, and closes every modal window once painted (a
// dialog with its close box, which declines a change or cancels the form).
class Closer {
public:
    Closer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal->windowHandle() == nullptr || !modal->windowHandle()->isExposed()) return;
            if (!firstPainted_) firstPainted_ = Clock::now();
            modal->close();
        });
        timer_.start(0);
    }
    std::optional<Clock::time_point> firstPainted_;

private:
    QTimer timer_;
};

// The phonebook: `entries` modem entries, only the last dialling a number
// that APGEN.csv beside this program retires.
void layPhonebook(const testsupport::TempSystemRoot& root, int entries) {
    std::string phonebook;
    std::string credentials;
    for (int i = 0; i < entries; ++i) {
        const std::string name = "e" + std::to_string(i);
        phonebook += "[" + name + "]\nszLocalPhoneNumber=" + (i + 1 == entries ? "03-5550-1234" : "06-1234-5678") +
                     "\nszDeviceType=modem\nszDeviceName=m\n";
        credentials += "[" + name + "]\nszUserName=u@old.example\nszPassword=pw\n";
    }
    rastest::replaceFile(root.file("phonebook.txt"), phonebook);
    rastest::replaceFile(root.file("credentials.txt"), credentials);
    std::remove(root.file("phonebook.journal").c_str());
    std::remove(root.file("credentials.journal").c_str());
}

// From the click on a main-menu button (range 0) to the first dialog
// painted, over a phonebook of range(1) entries. Baseline: a bare dialog
// of the menu's size shown and painted.
void BM_ClickToFirstDialog(benchmark::State& state) {
    testsupport::TempSystemRoot root;
    remoteAccess() = rastest::ras();
    layPhonebook(root, static_cast<int>(state.range(1)));
    PairTiming timing(state);
    for (auto _ : state) {
        MainMenuDialog menu;
        menu.create();
        menu.showWindow(SW_SHOW);
        menu.redrawWindow();
        Closer closer;
        const Clock::time_point clicked = Clock::now();
        ui::UserInput(menu).click(static_cast<int>(state.range(0)));
        menu.destroyWindow();
        if (!closer.firstPainted_) {
            state.SkipWithError("no dialog was painted");
            break;
        }
        const double seconds = std::chrono::duration<double>(*closer.firstPainted_ - clicked).count();
        state.SetIterationTime(seconds);
        timing.recordSubject(seconds);
        timing.baseline([] {
            QDialog bare;
            bare.setFixedSize(320, 240);
            showAndPaint(bare);
        });
    }
    timing.report();
}
BENCHMARK(BM_ClickToFirstDialog)
    ->ArgNames({"button", "entries"})
    ->Args({resources::IDC_MENU_NEW_CONNECTION, 0})
    ->Args({resources::IDC_MENU_MIGRATION, 10})
    ->Args({resources::IDC_MENU_MIGRATION, 100})
    ->Args({resources::IDC_MENU_MIGRATION, 1000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// The peak resident memory of a fresh process that runs a migration over
// range(0) entries to its end, declining every offer, beside its start-up.
int migrateOnce(int entries, char** argv) {
    int qtArgc = 1;
    ui::QtBackend qt(qtArgc, argv);
    ui::setCurrentBackend(&qt);
    BenchApplication application;
    testsupport::TempSystemRoot root;
    remoteAccess() = rastest::ras();
    layPhonebook(root, entries);
    MainMenuDialog menu;
    menu.create();
    menu.showWindow(SW_SHOW);
    const long beforeKilobytes = peakResidentKilobytes();
    Closer closer;
    ui::UserInput(menu).click(resources::IDC_MENU_MIGRATION);
    menu.destroyWindow();
    std::printf("%ld %ld\n", beforeKilobytes, peakResidentKilobytes());
    ui::setCurrentBackend(nullptr);
    return closer.firstPainted_ ? 0 : 1;
}

void BM_MigrationMemory(benchmark::State& state) {
    for (auto _ : state) {
        const testsupport::ProcessResult result =
            testsupport::runProcess({"/proc/self/exe", "--migrate", std::to_string(state.range(0))});
        long before = 0, peak = 0;
        std::istringstream said(result.out);
        if (result.status != 0 || !(said >> before >> peak)) {
            state.SkipWithError("the migration did not run");
            break;
        }
        state.counters["start_peak_kB"] = static_cast<double>(before);
        state.counters["peak_kB"] = static_cast<double>(peak);
    }
}
BENCHMARK(BM_MigrationMemory)->ArgName("entries")->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Figures from any machine, with or without a display, are comparable.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc == 3 && std::strcmp(argv[1], "--show") == 0) {
        return showDialogOnce(argv, static_cast<resources::DialogId>(std::atoi(argv[2])));
    }
    if (argc == 5 && std::strcmp(argv[1], "--show-fair") == 0) {
        return showFairOnce(static_cast<resources::DialogId>(std::atoi(argv[2])), std::atoi(argv[3]),
                            std::atoi(argv[4]), argv);
    }
    if (argc == 4 && std::strcmp(argv[1], "--show-bare") == 0) {
        return showBareOnce(std::atoi(argv[2]), std::atoi(argv[3]), argv);
    }
    if (argc == 3 && std::strcmp(argv[1], "--migrate") == 0) return migrateOnce(std::atoi(argv[2]), argv);
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
