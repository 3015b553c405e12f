#pragma once
// One QApplication for all tests of the desktop program, on the offscreen
// platform unless the environment chose another.

#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>

inline QApplication& guiApp() {
    static int argc = 1;
    static char arg0[] = "zelk_gui_tests";
    static char* argv[] = {arg0, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// Runs `act` on the modal dialog as soon as it is up.
template <typename Dialog>
void whenModal(std::function<void(Dialog*)> act) {
    // The poll re-arms itself through a weak reference, so it is freed once it has acted.
    auto poll = std::make_shared<std::function<void()>>();
    std::weak_ptr<std::function<void()>> self = poll;
    *poll = [act, self] {
        if (auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            act(d);
            return;
        }
        if (auto again = self.lock()) QTimer::singleShot(10, [again] { (*again)(); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}
