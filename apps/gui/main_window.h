#pragma once
// The main window of the desktop program: the menu, the message screen in the
// client area, the autorun timer and the export progress in the status bar.
// What the commands do is the shell logic's business; the window forwards.

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <map>

#include "last_resort_guard.h"
#include "message_view.h"
#include "messages/alg_layout.h"
#include "shell/menu.h"
#include "shell/window_port.h"

namespace zelk {

class Alg;
class FrmParameters;
class FrmOpties;

class MainWindow : public QMainWindow, public MainWindowPort {
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Where the window's events go.
    std::function<void(MenuCommand)> onCommand;
    std::function<void()> onTimer;
    // A request to close the window (close box); the logic decides when.
    std::function<void()> onCloseRequested;
    // The Stoppen button, or Esc, while an export runs.
    std::function<void()> onStopRequested;
    // Runs the library's code behind the dialogs' events.
    Guard guard;

    // The dialogs' rules; the dialogs open only when these are set.
    void setForms(FrmParameters* parameters, FrmOpties* opties) {
        parameters_ = parameters;
        opties_ = opties;
    }

    // The message screen shows this model and is placed by its layout.
    void attachMessageScreen(Alg& alg);

    QAction* action(const QString& name) const;
    // "Afdrukken…" (Ctrl+P): the message screen on paper or in a PDF. Not in
    // the menus, which stay as they were; the window and the message
    // screen's context menu offer it.
    QAction* printAction() const { return print_; }
    MessageWindow* messageWindow() const { return messageWindow_; }
    QMdiArea* mdiArea() const { return mdi_; }
    QTimer* timer() const { return timer_; }
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* stopButton() const { return stop_; }
    QWidget* parametersDialog() const { return parametersDialog_; }
    QWidget* optiesDialog() const { return optiesDialog_; }

    // Shows how far the running export is; a total of 0 shows a busy bar.
    void showProgress(const std::string& label, long done, long total);

    // MainWindowPort
    float ScreenWidth() const override;
    float ScreenHeight() const override;
    TwipsRect Placement() const override;
    void setPlacement(const TwipsRect& place) override;
    WindowState State() const override;
    void setCaption(const std::string& caption) override;
    bool Visible() const override { return isVisible(); }
    void showMessageScreen() override;
    void armTimer(int intervalMs) override;
    void disableTimer() override;
    void unloadDialogs() override;
    void setExportRunning(bool running) override;

    void showParameters();
    void showOpties();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void command(MenuCommand c);
    void fillClientArea();
    void placeMessageScreen(const AlgPlacement& place);
    void messageScreenResized();
    QSize clientArea() const;

    QMdiArea* mdi_;
    MessageWindow* messageWindow_;
    QTimer* timer_;
    QProgressBar* progress_;
    QLabel* progressLabel_;
    QAction* print_;
    Alg* alg_ = nullptr;
    QPushButton* stop_;
    std::map<QString, QAction*> actions_;
    AlgLayout ownLayout_;  // until a message screen is attached
    AlgLayout* layout_ = &ownLayout_;
    FrmParameters* parameters_ = nullptr;
    FrmOpties* opties_ = nullptr;
    QPointer<QWidget> parametersDialog_;
    QPointer<QWidget> optiesDialog_;
};

}  // namespace zelk
