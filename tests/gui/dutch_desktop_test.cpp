#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

#include "dutch_translations.h"
#include "gui_app.h"

using namespace zelk;

namespace {

QString labelText(const QFileDialog& d, const char* name) {
    const auto* label = d.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}

}  // namespace

TEST(GuiDutch, QtsOwnDialogsButtonsAndMenusReadDutch) {
    guiApp();
    {
        const DutchTranslations dutch;
        ASSERT_TRUE(dutch.loaded());

        QFileDialog dialog(nullptr, QStringLiteral("Geef de te openen databasenaam:"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
            SCOPED_TRACE(name);
            EXPECT_FALSE(labelText(dialog, name).isEmpty());
        }
        EXPECT_NE(labelText(dialog, "lookInLabel"), QStringLiteral("Look in:"));
        EXPECT_NE(labelText(dialog, "fileNameLabel"), QStringLiteral("File &name:"));

        QDialogButtonBox box(QDialogButtonBox::Cancel);
        EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annuleren"));

        QPlainTextEdit text;
        const std::unique_ptr<QMenu> menu(text.createStandardContextMenu());
        QStringList actions;
        for (const QAction* a : menu->actions())
            if (!a->isSeparator()) actions << a->text();
        EXPECT_FALSE(actions.contains(QStringLiteral("&Copy"))) << actions.join('|').toStdString();
        EXPECT_FALSE(actions.contains(QStringLiteral("Select All"))) << actions.join('|').toStdString();
    }
    // Gone with the object: the other tests see Qt's own texts again.
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
}
