#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include "gui_app.h"
#include "main_window.h"
#include "twips.h"

using namespace zelk;

namespace {

struct Entry {
    const char* name;
    const char* caption;
    bool enabled;
    bool separator;
};

QList<QAction*> itemsOf(MainWindow& w, const char* menu) {
    auto* m = w.findChild<QMenu*>(QString::fromLatin1(menu));
    return m ? m->actions() : QList<QAction*>{};
}

}  // namespace

TEST(GuiMainWindow, MenuCaptionsNamesAndSwitchedOffEntries) {
    guiApp();
    MainWindow w;
    QStringList bar;
    for (QAction* a : w.menuBar()->actions()) bar << a->objectName() + "=" + a->text();
    EXPECT_EQ(bar, (QStringList{"mnuBestand=Bestand", "mnuParameters=Parameters", "mnuOpties=Opties",
                                "mnuOpdrachten=Opdrachten"}));

    const Entry bestand[] = {{"mnuOpenDatabase", "Open Andere Database", true, false},
                             {"mnuDummy0", "", false, true},
                             {"mnuExporteer", "Exporteer", false, false},
                             {"mnuDummy1", "", true, true},
                             {"mnuEinde", "Einde", true, false}};
    const auto items = itemsOf(w, "mnuBestand");
    ASSERT_EQ(items.size(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(bestand[i].name);
        EXPECT_EQ(items[i]->objectName(), bestand[i].name);
        EXPECT_EQ(items[i]->isSeparator(), bestand[i].separator);
        EXPECT_EQ(items[i]->isEnabled(), bestand[i].enabled);
        if (!bestand[i].separator) {
            EXPECT_EQ(items[i]->text(), bestand[i].caption);
        }
        EXPECT_TRUE(items[i]->isVisible());  // switched off shows greyed, not hidden
    }
    const auto opdrachten = itemsOf(w, "mnuOpdrachten");
    ASSERT_EQ(opdrachten.size(), 3);
    EXPECT_EQ(opdrachten[0]->text(), "Assets Fields  (Roerend)");  // two blanks
    EXPECT_EQ(opdrachten[1]->text(), "Assets Fields (Onroerend)");
    EXPECT_EQ(opdrachten[2]->text(), "Mapping major minor categories");
    EXPECT_EQ(opdrachten[2]->objectName(), "mnuSheet2");
    for (QAction* a : opdrachten) EXPECT_TRUE(a->isEnabled());

    EXPECT_FALSE(w.action("mnuParameters")->isEnabled());
    ASSERT_EQ(itemsOf(w, "mnuParameters").size(), 1);
    EXPECT_EQ(itemsOf(w, "mnuParameters")[0]->text(), "Wijzig");
    EXPECT_EQ(w.action("mnuOpties")->menu(), nullptr);  // a command of the bar itself

    // The program's own icon, not Qt's, in the sizes title and task bars pick.
    for (const QWidget* window : {static_cast<QWidget*>(&w), static_cast<QWidget*>(w.messageWindow())}) {
        const QList<QSize> sizes = window->windowIcon().availableSizes();
        EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256))) << sizes.size();
    }

    // Commands reach the logic; while an export runs the ones that would
    // start another export or swap the database are off, and come back after.
    std::vector<MenuCommand> got;
    w.onCommand = [&](MenuCommand c) { got.push_back(c); };
    w.action("mnuSheet1b")->trigger();
    w.action("mnuEinde")->trigger();
    EXPECT_EQ(got, (std::vector<MenuCommand>{MenuCommand::Sheet1b, MenuCommand::Einde}));
    w.setExportRunning(true);
    for (const char* n : {"mnuOpenDatabase", "mnuSheet1", "mnuSheet1b", "mnuSheet2"})
        EXPECT_FALSE(w.action(n)->isEnabled()) << n;
    EXPECT_TRUE(w.action("mnuEinde")->isEnabled());  // a close waits for the export instead
    // The save after the rows: a busy bar, no row count.
    w.showProgress("Werkmap wordt opgeslagen…", 0, 0);
    EXPECT_EQ(w.progressBar()->maximum(), 0);
    EXPECT_FALSE(w.progressBar()->isTextVisible());
    w.showProgress("Assets Fields", 10, 200);
    EXPECT_TRUE(w.progressBar()->isTextVisible());
    w.setExportRunning(false);
    for (const char* n : {"mnuOpenDatabase", "mnuSheet1", "mnuSheet1b", "mnuSheet2"})
        EXPECT_TRUE(w.action(n)->isEnabled()) << n;
    EXPECT_FALSE(w.action("mnuExporteer")->isEnabled());
}

TEST(GuiMainWindow, StoppenAndEscapeAskToStopOnlyWhileAnExportRuns) {
    guiApp();
    MainWindow w;
    int asked = 0;
    w.onStopRequested = [&] { ++asked; };
    QPushButton* stop = w.stopButton();
    EXPECT_EQ(stop->text(), "Stoppen");
    EXPECT_EQ(stop->objectName(), "ExportStop");
    auto* escape = w.findChild<QShortcut*>();
    ASSERT_NE(escape, nullptr);
    EXPECT_EQ(escape->key(), QKeySequence(Qt::Key_Escape));

    EXPECT_TRUE(stop->isHidden());
    emit escape->activated();  // no export: Esc means nothing
    EXPECT_EQ(asked, 0);
    w.setExportRunning(true);
    EXPECT_FALSE(stop->isHidden());
    stop->click();
    emit escape->activated();
    EXPECT_EQ(asked, 2);
    w.setExportRunning(false);
    EXPECT_TRUE(stop->isHidden());
}

TEST(GuiMainWindow, PlacementInTwipsTimerAndTheMessageScreenFillingTheClientArea) {
    guiApp();
    MainWindow w;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w.ScreenWidth(), static_cast<float>(screen.width() * 15));
    EXPECT_EQ(w.ScreenHeight(), static_cast<float>(screen.height() * 15));

    w.setPlacement(TwipsRect{1500, 750, 9000, 6000});
    EXPECT_FALSE(w.Visible());
    EXPECT_EQ(w.Placement(), (TwipsRect{1500, 750, 9000, 6000}));
    EXPECT_EQ(w.State(), WindowState::Normal);

    w.showMessageScreen();
    EXPECT_TRUE(w.Visible());
    ASSERT_TRUE(w.messageWindow()->isVisible());
    EXPECT_EQ(w.messageWindow()->windowTitle(), "Meldingen");
    auto fills = [&] {
        const QSize inner = w.mdiArea()->viewport()->size();
        const QRect g = w.messageWindow()->geometry();
        EXPECT_EQ(g.topLeft(), QPoint(0, 0));
        EXPECT_EQ(g.height(), inner.height());
        EXPECT_EQ(g.width(), std::lround((inner.width() * 15 - 10) / 15.0));
    };
    fills();
    const int firstWidth = w.messageWindow()->client()->width();
    w.resize(800, 500);
    QCoreApplication::processEvents();
    fills();

    // The text keeps a margin of 1/400 of the screen's first inner width.
    const QRect text = w.messageWindow()->view()->geometry();
    const int margin = static_cast<int>(std::lround(firstWidth * 15 / 400 / 15.0));
    EXPECT_EQ(text.topLeft(), QPoint(margin, margin));
    EXPECT_EQ(text.width(), w.messageWindow()->client()->width() - 2 * margin);

    // Minimized, the screen stays out of the way of resizes; restored, it
    // takes the requested place in the client area as it is now.
    w.messageWindow()->showMinimized();
    QCoreApplication::processEvents();
    w.resize(700, 450);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.messageWindow()->isMinimized());
    w.messageWindow()->showNormal();
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    fills();

    // The message screen cannot be closed on its own.
    w.messageWindow()->close();
    EXPECT_TRUE(w.messageWindow()->isVisible());

    int ticks = 0;
    w.onTimer = [&] { ++ticks; };
    EXPECT_FALSE(w.timer()->isActive());
    w.armTimer(5000);
    EXPECT_TRUE(w.timer()->isActive());
    EXPECT_EQ(w.timer()->interval(), 5000);
    w.armTimer(20);
    while (ticks < 2) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    w.disableTimer();
    EXPECT_FALSE(w.timer()->isActive());

    // A close request goes to the logic, which decides when the window goes.
    int closes = 0;
    w.onCloseRequested = [&] { ++closes; };
    w.close();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(w.isVisible());

    w.showProgress("Export1a", 40, 200);
    EXPECT_TRUE(w.progressBar()->isVisible());
    EXPECT_EQ(w.progressBar()->value(), 40);
    EXPECT_EQ(w.progressBar()->maximum(), 200);
    EXPECT_EQ(w.progressBar()->text(), "40 van 200 rijen");
    w.setExportRunning(false);
    EXPECT_FALSE(w.progressBar()->isVisible());
}
