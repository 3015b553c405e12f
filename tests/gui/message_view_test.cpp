#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTextBlock>
#include <cstdlib>

#include "gui_app.h"
#include "message_view.h"

using namespace zelk;

namespace {

// What the screen should show for the model: each CR LF, lone CR or lone LF
// is one line break.
QString expectedText(const MessageScreen& m) {
    QString s = QString::fromStdString(m.text());
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace('\r', '\n');
    return s;
}

QColor colourAtDoc(const MessageView& v, int pos) {
    QTextCursor c(v.document());
    c.setPosition(pos + 1);  // the format of the character before the cursor
    return c.charFormat().foreground().color();
}

}  // namespace

TEST(GuiMessageView, MirrorsLinesColoursAndTheTrimOfTheModel) {
    guiApp();
    MessageScreen model;
    model.add("voor het scherm", true, false, 0);
    MessageView view;
    view.attach(model);
    EXPECT_EQ(view.toPlainText(), expectedText(model));
    EXPECT_EQ(view.fullRenders(), 1);

    model.add("Welkom", true, false, 6710784);
    model.add("Open Database: ", false, false, 255);  // no line break: the next text continues the line
    model.add("Fout #  3024\rNiet gevonden", true, false, 255);
    model.add("bovenaan", true, true, 0);
    EXPECT_EQ(view.toPlainText(), expectedText(model));
    EXPECT_EQ(view.document()->blockCount(), 6);  // 5 lines and the empty one after the last break
    EXPECT_EQ(view.document()->findBlockByNumber(0).text(), "bovenaan");
    EXPECT_EQ(view.document()->findBlockByNumber(3).text(), "Open Database: Fout #  3024");

    const QString shown = view.toPlainText();
    EXPECT_EQ(colourAtDoc(view, static_cast<int>(shown.indexOf("Welkom"))), QColor(0, 102, 102));
    EXPECT_EQ(colourAtDoc(view, static_cast<int>(shown.indexOf("Open"))), QColor(255, 0, 0));
    EXPECT_EQ(colourAtDoc(view, static_cast<int>(shown.indexOf("voor"))), QColor(0, 0, 0));
    EXPECT_EQ(MessageView::colourOf(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(MessageView::colourOf(0xFF0000), QColor(0, 0, 255));

    // A CR at the end of one text and the LF at the start of the next make one break.
    model.add("half\r", false, false, 0);
    model.add("\nheel", true, false, 0);
    EXPECT_EQ(view.toPlainText(), expectedText(model));
    EXPECT_EQ(view.fullRenders(), 2);

    // A long run: the model trims and the view follows without a full redraw.
    const std::string line(99, 'x');
    for (int i = 0; i < 3000; ++i) model.add(std::to_string(i) + line, true, false, i % 2 ? 255u : 0u);
    EXPECT_LE(model.size(), MessageScreen::kTrimAbove + 200);
    EXPECT_TRUE(view.toPlainText().startsWith(">\n"));
    EXPECT_EQ(view.toPlainText(), expectedText(model));
    const int last = static_cast<int>(view.toPlainText().lastIndexOf(QString::fromStdString("2999" + line)));
    EXPECT_EQ(colourAtDoc(view, last), QColor(255, 0, 0));
    EXPECT_EQ(colourAtDoc(view, last - 10), QColor(0, 0, 0));
    EXPECT_EQ(view.fullRenders(), 2);  // lines and trims went in place

    model.clear();
    EXPECT_EQ(view.toPlainText(), "");
    model.add("opnieuw", true, false, 0);
    EXPECT_EQ(view.toPlainText(), "opnieuw\n");
}

TEST(GuiMessageView, AResizeKeepsTheLastLineInViewUnlessTheUserScrolledUp) {
    guiApp();
    MessageScreen model;
    MessageView view;
    view.attach(model);
    view.resize(400, 200);
    view.show();
    for (int i = 0; i < 200; ++i) model.add("regel " + std::to_string(i) + " van een lange export", true, false, 0);
    QCoreApplication::processEvents();
    QScrollBar* bar = view.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    // Narrower: lines wrap, the text grows below the view; it follows.
    view.resize(150, 120);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());

    // Scrolled up by the user: a resize leaves the view where it was.
    bar->setValue(bar->maximum() / 2);
    const int kept = bar->value();
    view.resize(130, 100);
    QCoreApplication::processEvents();
    EXPECT_LT(bar->value(), bar->maximum());
    EXPECT_LE(std::abs(bar->value() - kept), kept / 2 + 1);
}
