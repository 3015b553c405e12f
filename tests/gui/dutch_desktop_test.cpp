#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

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

        // The message screen's context menu (built here it would touch the
        // clipboard, which the offscreen platform does not survive at exit).
        for (const char* source : {"&Copy", "Select All"})
            EXPECT_NE(QCoreApplication::translate("QWidgetTextControl", source), QString::fromLatin1(source)) << source;
    }
    // Gone with the object: the other tests see Qt's own texts again.
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
}
