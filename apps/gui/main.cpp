// zelkextract2: the desktop program. The main window's logic lives in the
// library (src/shell); this wires it to the Qt window and platform.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "display_check.h"
#include "dutch_translations.h"
#include "last_resort_guard.h"
#include "main_window.h"
#include "os/child_process.h"
#include "program_icon.h"
#include "qt_platform.h"
#include "session/session.h"
#include "shell/command_line.h"
#include "shell/export_jobs_session.h"
#include "shell/mdi_zelk_extract2.h"

using namespace zelk;

namespace {

// Checked before Qt is started: Qt itself would abort.
std::unique_ptr<QApplication> startQt(int& argc, char** argv) {
    if (const auto missing = missingDisplay()) {
        std::fprintf(stderr, "%s\n", missing->c_str());
        std::exit(1);
    }
    const DisplayFailureGuard unreachable;
    return std::make_unique<QApplication>(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    zelk::os::runIsolatedJobIfChild();  // a Windows child of this program does its job here
    const std::unique_ptr<QApplication> app = startQt(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));
    QApplication::setWindowIcon(programIcon());
    QApplication::setQuitOnLastWindowClosed(false);  // only the close handler ends the program
    const DutchTranslations dutch;

    QtPlatform platform(kAppTitle);
    Session session(platform);
    MainWindow window;
    platform.setParentWindow(&window);
    platform.setProgressSink(
        [&window](const std::string& label, long done, long total) { window.showProgress(label, done, total); });
    window.attachMessageScreen(session.alg);

    MdiZelkExtract2 logic(session, window, SessionExportJobs(session), commandLineText(argc, argv));
    window.setForms(&logic.parameters(), &logic.opties());

    const Guard guarded = [&platform](const std::function<void()>& f) { runGuarded(platform, f); };
    window.guard = guarded;
    window.onCommand = [&](MenuCommand c) { guarded([&] { logic.Command(c); }); };
    window.onTimer = [&] { guarded([&] { logic.Timer1_Timer(); }); };
    window.onCloseRequested = [&] { guarded([&] { logic.requestClose(); }); };
    window.onStopRequested = [&] { guarded([&] { logic.requestStop(); }); };
    QTimer::singleShot(0, &window, [&] { guarded([&] { logic.Form_Load(); }); });
    return QApplication::exec();
}
