#include "display_check.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace zelk {

namespace {

std::string environment(const char* name) { return qEnvironmentVariable(name).toStdString(); }

QtMessageHandler previousHandler = nullptr;

void endOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        if (previousHandler) previousHandler(type, context, message);
        return;
    }
    // Qt's own words go along for whoever has to look into it.
    std::fprintf(stderr, "%s\n(%s)\n", noDisplayText(environment("DISPLAY")).c_str(), qPrintable(message));
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

std::string noDisplayText(const std::string& display) {
    const std::string what = display.empty() ? "maar er is er geen (DISPLAY en WAYLAND_DISPLAY zijn niet gezet)"
                                             : "maar kan beeldscherm '" + display + "' niet bereiken";
    return "zelkextract2 heeft een beeldscherm nodig, " + what +
           ".\nStart het programma op het bureaublad, of gebruik zelkextract2-cli: dat werkt zonder beeldscherm "
           "(zelkextract2-cli --help).";
}

std::optional<std::string> missingDisplay() {
#if defined(_WIN32) || defined(__APPLE__)
    return std::nullopt;  // the desktop is always there
#else
    const std::string platform = environment("QT_QPA_PLATFORM");
    const bool needsDisplay = platform.empty() || platform.starts_with("xcb") || platform.starts_with("wayland");
    if (!needsDisplay || !environment("DISPLAY").empty() || !environment("WAYLAND_DISPLAY").empty())
        return std::nullopt;
    return noDisplayText("");
#endif
}

DisplayFailureGuard::DisplayFailureGuard() { previousHandler = qInstallMessageHandler(endOnFatal); }

DisplayFailureGuard::~DisplayFailureGuard() { qInstallMessageHandler(previousHandler); }

}  // namespace zelk
