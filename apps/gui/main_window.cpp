#include "main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>

#include "messages/alg.h"
#include "opties_dialog.h"
#include "parameters_dialog.h"
#include "program_icon.h"
#include "twips.h"

namespace zelk {
namespace {

// The entries that would start an export or swap the database under it.
constexpr const char* kBusyLocked[] = {"mnuOpenDatabase", "mnuSheet1", "mnuSheet1b", "mnuSheet2"};

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      mdi_(new QMdiArea(this)),
      messageWindow_(new MessageWindow()),
      timer_(new QTimer(this)),
      progress_(new QProgressBar(this)),
      progressLabel_(new QLabel(this)),
      print_(new QAction(QStringLiteral("Afdrukken…"), this)),
      stop_(new QPushButton(QStringLiteral("Stoppen"), this)) {
    setObjectName(QStringLiteral("mdiZelkExtract2"));
    setWindowIcon(programIcon());
    messageWindow_->setWindowIcon(programIcon());
    mdi_->setObjectName(QStringLiteral("MDIClient"));
    setCentralWidget(mdi_);
    mdi_->addSubWindow(messageWindow_);
    messageWindow_->hide();
    mdi_->viewport()->installEventFilter(this);
    // A state change (minimize, restore) need not come with a resize.
    messageWindow_->resized = [this] { messageScreenResized(); };
    connect(messageWindow_, &QMdiSubWindow::windowStateChanged, this, [this] { messageScreenResized(); });

    timer_->setObjectName(QStringLiteral("Timer1"));
    connect(timer_, &QTimer::timeout, this, [this] {
        if (onTimer) onTimer();
    });

    progress_->setObjectName(QStringLiteral("ExportProgress"));
    progress_->setFormat(QStringLiteral("%v van %m rijen"));
    progress_->setMaximumWidth(320);
    progressLabel_->setObjectName(QStringLiteral("ExportProgressLabel"));
    statusBar()->addPermanentWidget(progressLabel_);
    statusBar()->addPermanentWidget(progress_);
    progress_->hide();
    progressLabel_->hide();

    print_->setObjectName(QStringLiteral("AfdrukkenMeldingen"));
    print_->setShortcut(QKeySequence::Print);
    print_->setShortcutContext(Qt::WindowShortcut);
    addAction(print_);
    messageWindow_->view()->setPrintAction(print_);
    connect(print_, &QAction::triggered, this, [this] {
        if (alg_) runWith(guard, [this] { alg_->AfdrukkenMeldingen(); });
    });

    // Shown while an export runs; the export ends as failed, nothing is saved.
    stop_->setObjectName(QStringLiteral("ExportStop"));
    stop_->setToolTip(QStringLiteral("Het lopende werk stoppen (Esc)"));
    statusBar()->addPermanentWidget(stop_);
    stop_->hide();
    const auto stop = [this] {
        if (!stop_->isHidden() && onStopRequested) onStopRequested();
    };
    connect(stop_, &QPushButton::clicked, this, stop);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, stop);

    buildMenu();
}

// The message screen is destroyed as a child after this object is gone; its
// last state changes must not reach a half-destroyed main window.
MainWindow::~MainWindow() {
    messageWindow_->resized = nullptr;
    disconnect(messageWindow_, nullptr, this, nullptr);
}

void MainWindow::buildMenu() {
    for (const MenuTitle& title : mainMenu()) {
        const QString titleName = QString::fromUtf8(title.name.data(), static_cast<qsizetype>(title.name.size()));
        // Captions are shown as they stand: a '&' would otherwise mark a mnemonic.
        auto caption = [](std::string_view c) {
            return QString::fromUtf8(c.data(), static_cast<qsizetype>(c.size())).replace('&', QStringLiteral("&&"));
        };
        if (title.items.empty()) {
            QAction* a = menuBar()->addAction(caption(title.caption));
            a->setObjectName(titleName);
            a->setEnabled(title.enabled);
            const MenuCommand c = title.command;
            connect(a, &QAction::triggered, this, [this, c] { command(c); });
            actions_[titleName] = a;
            continue;
        }
        QMenu* menu = menuBar()->addMenu(caption(title.caption));
        menu->setObjectName(titleName);
        menu->menuAction()->setObjectName(titleName);
        menu->menuAction()->setEnabled(title.enabled);
        actions_[titleName] = menu->menuAction();
        for (const MenuItem& item : title.items) {
            QAction* a = item.caption == "-" ? menu->addSeparator() : menu->addAction(caption(item.caption));
            const QString name = QString::fromUtf8(item.name.data(), static_cast<qsizetype>(item.name.size()));
            a->setObjectName(name);
            a->setEnabled(item.enabled);
            const MenuCommand c = item.command;
            if (c != MenuCommand::None) connect(a, &QAction::triggered, this, [this, c] { command(c); });
            actions_[name] = a;
        }
    }
}

void MainWindow::attachMessageScreen(Alg& alg) {
    alg_ = &alg;
    layout_ = &alg.layout();
    messageWindow_->view()->attach(alg.screen());
}

QAction* MainWindow::action(const QString& name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::command(MenuCommand c) {
    switch (c) {
    case MenuCommand::Wijzig: runWith(guard, [this] { showParameters(); }); return;
    case MenuCommand::Opties: runWith(guard, [this] { showOpties(); }); return;
    default:
        if (onCommand) onCommand(c);
    }
}

void MainWindow::showParameters() {
    if (!parameters_) return;
    if (!parametersDialog_) parametersDialog_ = new ParametersDialog(*parameters_, this, guard);
    parametersDialog_->show();
    parametersDialog_->raise();
    parametersDialog_->activateWindow();
}

void MainWindow::showOpties() {
    if (!opties_) return;
    if (!optiesDialog_) {
        optiesDialog_ = new OptiesDialog(*opties_, this, guard);
        // It has no place of its own: over the middle of the main window.
        optiesDialog_->move(geometry().center() - optiesDialog_->rect().center());
    }
    optiesDialog_->show();
    optiesDialog_->raise();
    optiesDialog_->activateWindow();
}

void MainWindow::showProgress(const std::string& label, long done, long total) {
    progressLabel_->setText(QString::fromStdString(label));
    // Qt draws a bar with an empty range as busy.
    progress_->setTextVisible(total > 0);
    progress_->setRange(0, static_cast<int>(std::max(total, 0L)));
    progress_->setValue(static_cast<int>(std::min(done, std::max(total, 0L))));
    progressLabel_->show();
    progress_->show();
}

float MainWindow::ScreenWidth() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return toTwips(s->geometry().width());
}

float MainWindow::ScreenHeight() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return toTwips(s->geometry().height());
}

TwipsRect MainWindow::Placement() const {
    TwipsRect r;
    r.left = toTwips(pos().x());
    r.top = toTwips(pos().y());
    r.width = toTwips(width());
    r.height = toTwips(height());
    return r;
}

void MainWindow::setPlacement(const TwipsRect& place) {
    const QRect px = toPixels(place);
    resize(std::max(px.width(), 1), std::max(px.height(), 1));
    move(px.topLeft());
}

WindowState MainWindow::State() const {
    if (isMinimized()) return WindowState::Minimized;
    if (isMaximized() || isFullScreen()) return WindowState::Maximized;
    return WindowState::Normal;
}

void MainWindow::setCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }

void MainWindow::showMessageScreen() {
    if (!isVisible()) show();
    if (!messageWindow_->isVisible()) {
        // Placed before it shows, so that its first layout has its real size.
        const QSize inner = clientArea();
        placeMessageScreen(layout_->Reposition(Variant("100%"), Variant("Bottom"), false, toTwips(inner.height()),
                                               toTwips(inner.width())));
        messageWindow_->show();
        // Qt sends the pending resize before the screen counts as shown.
        messageScreenResized();
    }
    fillClientArea();
}

void MainWindow::armTimer(int intervalMs) {
    timer_->setInterval(intervalMs);
    timer_->start();
}

void MainWindow::disableTimer() { timer_->stop(); }

void MainWindow::unloadDialogs() {
    if (parametersDialog_) parametersDialog_->close();
    if (optiesDialog_) optiesDialog_->close();
}

void MainWindow::setExportRunning(bool running) {
    for (const char* name : kBusyLocked)
        if (QAction* a = action(QString::fromLatin1(name))) a->setEnabled(!running);
    stop_->setVisible(running);
    if (!running) {
        progress_->hide();
        progressLabel_->hide();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close handler ends the program itself; until it does (an export
    // still running) the window stays.
    if (!onCloseRequested) {
        event->accept();
        return;
    }
    event->ignore();
    onCloseRequested();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mdi_->viewport() && event->type() == QEvent::Resize) fillClientArea();
    return QMainWindow::eventFilter(watched, event);
}

QSize MainWindow::clientArea() const { return mdi_->viewport()->size(); }

void MainWindow::fillClientArea() {
    // The message screen follows the client area only while the window is
    // shown and the screen is in its normal state.
    if (!isVisible() || !messageWindow_->isVisible()) return;
    if (messageWindow_->isMinimized() || messageWindow_->isMaximized()) return;
    const QSize inner = clientArea();
    placeMessageScreen(layout_->Reposition(Variant("100%"), Variant("Bottom"), false, toTwips(inner.height()),
                                           toTwips(inner.width())));
}

void MainWindow::placeMessageScreen(const AlgPlacement& place) {
    if (messageWindow_->isMinimized() || messageWindow_->isMaximized()) messageWindow_->showNormal();
    messageWindow_->setGeometry(edgesToPixels(place.left, place.top, place.width, place.height));
    if (place.setFocus) messageWindow_->view()->setFocus();
}

void MainWindow::messageScreenResized() {
    // The layout starts once the screen is shown in the client area: the
    // text margin is worked out from the first width it gets.
    if (!isVisible() || !messageWindow_->isVisible()) return;
    const WindowState state = messageWindow_->isMinimized()   ? WindowState::Minimized
                              : messageWindow_->isMaximized() ? WindowState::Maximized
                                                              : WindowState::Normal;
    const QSize main = clientArea();
    const QSize own = messageWindow_->client()->size();
    const AlgLayout::ResizeResult r = layout_->Resize(state, toTwips(main.height()), toTwips(main.width()),
                                                      toTwips(own.width()), toTwips(own.height()));
    if (r.text)
        messageWindow_->view()->setGeometry(edgesToPixels(r.text->left, r.text->top, r.text->width, r.text->height));
    // Back from minimized: the place of the last request, once the state
    // change itself is over.
    if (r.placement) {
        const AlgPlacement place = *r.placement;
        QTimer::singleShot(0, this, [this, place] { placeMessageScreen(place); });
    }
}

}  // namespace zelk
