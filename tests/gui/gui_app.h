#pragma once
// One QApplication for all tests of the desktop program, on the offscreen
// platform unless the environment chose another.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>

namespace gui_app_detail {

inline std::unique_ptr<QApplication>& application() {
    static std::unique_ptr<QApplication> app;
    return app;
}

// Qt keeps the input devices a test makes (a context menu, a shown window)
// in statics that come after the application and so would be gone before
// it at exit; the application ends with the tests instead.
class Ending : public ::testing::Environment {
public:
    void TearDown() override { application().reset(); }
};

}  // namespace gui_app_detail

inline QApplication& guiApp() {
    static int argc = 1;
    static char arg0[] = "zelk_gui_tests";
    static char* argv[] = {arg0, nullptr};
    auto& app = gui_app_detail::application();
    if (!app) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
        // gtest owns its environments.
        ::testing::AddGlobalTestEnvironment(new gui_app_detail::Ending);
    }
    return *app;
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
