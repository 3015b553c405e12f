// The message screen on paper or in a PDF: Qt's Dutch print dialog, the
// selection or the whole text, offered by the context menu and Ctrl+P.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>

#include "dutch_translations.h"
#include "gui_app.h"
#include "main_window.h"
#include "messages/alg.h"
#include "qt_platform.h"

using namespace zelk;

namespace {

// Prints through the platform into `pdf` as a user who picks the PDF printer
// would, and returns the text the PDF holds.
QString printedText(Alg& alg, const QString& pdf, QStringList* printerChoices = nullptr) {
    whenModal<QPrintDialog>([pdf, printerChoices](QPrintDialog* d) {
        if (printerChoices)
            for (const QComboBox* box : d->findChildren<QComboBox*>())
                for (int i = 0; i < box->count(); ++i) printerChoices->append(box->itemText(i));
        d->printer()->setOutputFileName(pdf);
        // accept() would first read the printer back from the dialog's fields.
        d->done(QDialog::Accepted);
    });
    alg.AfdrukkenMeldingen();
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(pdftotext.waitForFinished(30000));
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

// The desktop's message screen in its main window, Qt's dialogs in Dutch.
struct GuiPrinting : ::testing::Test {
    QApplication& app = guiApp();
    const DutchTranslations dutch;
    QtPlatform platform{"ZelkExtract-2 (Naar Excel)"};
    Alg alg{platform};
    MainWindow window;

    GuiPrinting() {
        platform.setParentWindow(&window);
        window.attachMessageScreen(alg);
    }
};

}  // namespace

TEST_F(GuiPrinting, TheSelectionOrTheWholeMessageScreenGoesIntoAPdf) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext not found (Debian package poppler-utils)";
    alg.AddMelding("Open Database: demo.sqlite");
    alg.AddMelding("Fout # 3024 in Assets Fields", 0, false, kRed);
    alg.AddMelding("Werkmap opgeslagen: maart.xlsx");
    QTemporaryDir dir;

    QStringList choices;
    const QString all = printedText(alg, dir.filePath(QStringLiteral("alles.pdf")), &choices);
    for (const char* line : {"Open Database: demo.sqlite", "Fout # 3024 in Assets Fields", "maart.xlsx"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(line))) << line << " in " << all.toStdString();
    EXPECT_TRUE(choices.filter(QStringLiteral("PDF")).size() > 0) << choices.join(", ").toStdString();

    // The second line selected on the screen: only that line.
    MessageView& view = *window.messageWindow()->view();
    QTextCursor c(view.document()->findBlockByNumber(1));
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    view.setTextCursor(c);
    const QString part = printedText(alg, dir.filePath(QStringLiteral("selectie.pdf")));
    EXPECT_TRUE(part.contains(QStringLiteral("Fout # 3024"))) << part.toStdString();
    EXPECT_FALSE(part.contains(QStringLiteral("demo.sqlite")));
    EXPECT_FALSE(part.contains(QStringLiteral("maart")));

    // Cancelled: nothing is printed.
    whenModal<QPrintDialog>([](QPrintDialog* d) { d->reject(); });
    alg.AfdrukkenMeldingen();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(GuiPrinting, OfferedByCtrlPAndTheMessageScreensContextMenuNotTheMenus) {
    QAction* print = window.printAction();
    ASSERT_TRUE(print);
    EXPECT_EQ(print->text(), QStringLiteral("Afdrukken…"));
    EXPECT_EQ(print->shortcut(), QKeySequence(QKeySequence::Print));
    EXPECT_TRUE(window.actions().contains(print));  // the shortcut works anywhere in the window
    for (QMenu* menu : window.menuBar()->findChildren<QMenu*>()) EXPECT_FALSE(menu->actions().contains(print));

    // The context menu: the text's own entries, then printing.
    QStringList entries;
    QTimer::singleShot(0, [&entries] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : menu->actions()) entries << a->text();
            menu->close();
        }
    });
    MessageView& view = *window.messageWindow()->view();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), view.mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(view.viewport(), &event);
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries.back(), QStringLiteral("Afdrukken…"));

    // The action opens Qt's print dialog, in Dutch.
    QString title;
    whenModal<QPrintDialog>([&title](QPrintDialog* d) {
        title = d->windowTitle();
        d->reject();
    });
    print->trigger();
    EXPECT_EQ(title, QStringLiteral("Afdrukken"));
}
