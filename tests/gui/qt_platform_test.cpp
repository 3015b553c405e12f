#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "file_filter.h"
#include "gui_app.h"
#include "opties_dialog.h"
#include "parameters_dialog.h"
#include "path_edit.h"
#include "platform/scripted_platform.h"
#include "qt_platform.h"
#include "shell/msg_wait.h"
#include "twips.h"

using namespace zelk;

namespace {

const char* kTitle = "ZelkExtract-2 (Naar Excel)";

void clickButton(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text) {
            b->click();
            return;
        }
    ADD_FAILURE() << "no button " << text.toStdString();
    box->reject();
}

}  // namespace

TEST(GuiQtPlatform, FileFiltersInQtForm) {
    EXPECT_EQ(QtFileFilters("Access database (*.mdb)|*.mdb"), QStringList{"Access database (*.mdb)"});
    EXPECT_EQ(QtFileFilters("Logfiles (*.log)|*.log|Alle bestanden (*.*)|*.*"),
              (QStringList{"Logfiles (*.log)", "Alle bestanden (*)"}));
    EXPECT_EQ(QtFileFilters("Databases|*.mdb;*.accdb;*.sqlite"), QStringList{"Databases (*.mdb *.accdb *.sqlite)"});
    EXPECT_EQ(QtFileFilters(""), QStringList{"Alle bestanden (*)"});
}

TEST(GuiQtPlatform, MessageBoxesAnswerWithTheirNumbers) {
    guiApp();
    QtPlatform p(kTitle);

    // The question in the title is shown whole: the box is wider than its title.
    whenModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_GT(box->width(), box->fontMetrics().horizontalAdvance(box->windowTitle()));
        clickButton(box, "Ja");
    });
    EXPECT_EQ(p.msgBox("", vbQuestion | vbYesNo, "Wilt u een wachtwoord opgeven?"), vbYes);

    whenModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "Database is wachtwoord beveiligd");
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->buttons().size(), 2);
        clickButton(box, "Nee");
    });
    EXPECT_EQ(p.msgBox("Wilt u een wachtwoord opgeven?", vbQuestion | vbYesNo, "Database is wachtwoord beveiligd"),
              vbNo);

    whenModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), kTitle);  // no title: the application's
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->defaultButton()->text(), "Opnieuw");  // 256: the second button
        clickButton(box, "Negeren");
    });
    EXPECT_EQ(p.msgBox("Bestand is bezet", vbCritical | vbAbortRetryIgnore | 256, ""), vbIgnore);

    whenModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        clickButton(box, "OK");
    });
    EXPECT_EQ(p.msgBox("Klaar", vbInformation, "x"), vbOK);

    whenModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->reject();  // Escape
    });
    EXPECT_EQ(p.msgBox("Doorgaan?", vbExclamation | vbYesNoCancel, "x"), vbCancel);
}

TEST(GuiQtPlatform, InputBoxMasksPasswordsAndFileDialogWantsAnExistingFile) {
    guiApp();
    QtPlatform p(kTitle);
    whenModal<QInputDialog>([](QInputDialog* d) {
        EXPECT_EQ(d->textEchoMode(), QLineEdit::Password);
        EXPECT_EQ(d->textValue(), "");
        EXPECT_EQ(d->labelText(), "Geef het juiste wachtwoord");
        EXPECT_EQ(d->windowTitle(), "Wachtwoord");
        d->setTextValue("geheim");
        d->accept();
    });
    EXPECT_EQ(p.inputBox("Geef het juiste wachtwoord", "Wachtwoord", "", true), "geheim");

    whenModal<QInputDialog>([](QInputDialog* d) {
        EXPECT_EQ(d->textEchoMode(), QLineEdit::Normal);
        EXPECT_EQ(d->textValue(), "1-12-2026");
        EXPECT_EQ(d->windowTitle(), "Toets in ..");
        d->reject();
    });
    EXPECT_EQ(p.inputBox("Geef verwerkingsdatum", "Toets in ..", "1-12-2026", false), std::nullopt);

    QTemporaryDir dir;
    whenModal<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Geef de naam van de ZelkExtract-2 (Naar Excel) database");
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(d->nameFilters(), QStringList{"Access database (*.mdb)"});
        EXPECT_EQ(QDir(d->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        d->reject();
    });
    FileDialogRequest r;
    r.title = "Geef de naam van de ZelkExtract-2 (Naar Excel) database";
    r.filter = "Access database (*.mdb)|*.mdb";
    r.initDir = dir.path().toStdString();
    EXPECT_EQ(p.fileDialog(r), std::nullopt);

    // A start "directory" that names the last database starts in its folder,
    // and the chosen file comes back.
    QDir(dir.path()).mkdir("sub");
    const QString db = dir.path() + "/sub/zelk.mdb";
    QFile(db).open(QIODevice::WriteOnly);
    r.initDir = db.toStdString();
    whenModal<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(QDir(d->directory()).canonicalPath(), QDir(dir.path() + "/sub").canonicalPath());
        d->selectFile(db);
        static_cast<QDialog*>(d)->accept();  // QFileDialog's own accept checks the file
    });
    const auto chosen = p.fileDialog(r);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(QString::fromStdString(*chosen)).canonicalFilePath(), QFileInfo(db).canonicalFilePath());

    // A folder not made yet (the export folder before the first export):
    // its nearest existing parent, not the current folder.
    r.folder = true;
    r.initDir = (dir.path() + "/sub/ZelkExtract/maart").toStdString();
    whenModal<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(QDir(d->directory()).canonicalPath(), QDir(dir.path() + "/sub").canonicalPath());
        d->reject();
    });
    EXPECT_EQ(p.fileDialog(r), std::nullopt);
}

TEST(GuiQtPlatform, SettingsClockAndWaiting) {
    guiApp();
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    {
        QtPlatform p(kTitle);
        EXPECT_EQ(p.settings().get(kTitle, "Database", "Autorun"), std::nullopt);
        p.settings().set(kTitle, "Database", "Autorun", "1");
        p.settings().set(kTitle, "Main", "WindowWidth", "15360");
        EXPECT_EQ(p.settings().value(kTitle, "Database", "Autorun", "0"), "1");
    }
    // Another store on the same files sees what was stored, where the
    // original kept it: organisation, application title, section/key.
    QSettings raw("VB and VBA Program Settings", kTitle);
    EXPECT_EQ(raw.value("Database/Autorun").toString(), "1");
    EXPECT_EQ(raw.value("Main/WindowWidth").toString(), "15360");
    QtPlatform p(kTitle);

    const QDateTime before = QDateTime::currentDateTime();
    const double now = p.now().serial;
    const auto seconds = static_cast<double>(before.toSecsSinceEpoch() + before.offsetFromUtc());
    EXPECT_NEAR(now, 25569.0 + seconds / 86400.0, 2.0 / 86400);

    const std::uint32_t start = p.tickCount();
    EXPECT_EQ(WaitMilliseconds(p, 120), kWaitTimeout);
    EXPECT_GE(static_cast<std::uint32_t>(p.tickCount() - start), 120u);

    int progress = 0;
    p.setProgressSink([&](const std::string& label, long done, long total) {
        EXPECT_EQ(label, "Export2");
        progress += static_cast<int>(done + total);
    });
    p.progress("Export2", 5, 10);
    EXPECT_EQ(progress, 15);
}

// The documents folder is the desktop's own, as the user set it.
TEST(GuiQtPlatform, DocumentsFolderFollowsTheDesktopsSetting) {
    guiApp();
    QTemporaryDir config;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    {
        QFile dirs(config.filePath("user-dirs.dirs"));
        ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/Documenten\"\n");
    }
    QtPlatform p(kTitle);
    const std::filesystem::path docs = p.documentsFolder();
    if (oldConfig.isNull()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", oldConfig);
    EXPECT_EQ(docs, std::filesystem::path(QDir::homePath().toStdString()) / "Documenten");
}

TEST(GuiDialogs, ParametersAndOptiesFollowTheirRules) {
    guiApp();
    MemorySettings s;
    MainValues main;
    s.set(kTitle, "Database", "FileDir", "/data/zelk");
    FrmParameters parameters(s, main);
    {
        auto* d = new ParametersDialog(parameters, nullptr);
        EXPECT_TRUE(main.ParmLoaded);
        auto* txt = d->findChild<QLineEdit*>("txtDirectory");
        auto* chk = d->findChild<QCheckBox*>("chkAutoRun");
        ASSERT_TRUE(txt && chk && d->findChild<QPushButton*>("cmdSluiten"));
        EXPECT_EQ(txt->text(), "/data/zelk");
        EXPECT_FALSE(chk->isChecked());
        d->show();
        txt->setText("/elders");
        chk->setChecked(true);
        d->findChild<QPushButton*>("cmdSluiten")->click();
        EXPECT_FALSE(main.ParmLoaded);
        EXPECT_EQ(s.value(kTitle, "Database", "FileDir", ""), "/elders");
        EXPECT_EQ(s.value(kTitle, "Database", "Autorun", ""), "1");
    }

    ScriptedPlatform op;
    FrmOpties opties(op, main);
    op.store.set(kTitle, "Logbestand", "Filename", "1");
    op.store.set(kTitle, "Excel", "ExportDir", "/data/werkmappen");
    main.Logbestand = "0";
    auto* o = new OptiesDialog(opties, nullptr);
    auto* chk = o->findChild<QCheckBox*>("chkLogbestand");
    auto* dir = o->findChild<QLineEdit*>("txtExportDir");
    auto* browse = o->findChild<QPushButton*>("cmdBladeren");
    ASSERT_TRUE(chk && dir && browse);
    EXPECT_TRUE(chk->isChecked());
    EXPECT_EQ(main.Logbestand, "1");  // loading the value 1 counts as a click
    o->show();
    chk->click();
    EXPECT_EQ(op.store.value(kTitle, "Logbestand", "Filename", ""), "0");
    EXPECT_EQ(main.Logbestand, "0");

    // The folder row sits below the check box and above Sluiten, all inside the form.
    EXPECT_EQ(dir->text(), "/data/werkmappen");
    const QRect close = o->findChild<QPushButton*>("cmdClose")->geometry();
    for (QWidget* w : {static_cast<QWidget*>(dir), static_cast<QWidget*>(browse)}) {
        EXPECT_GT(w->geometry().top(), chk->geometry().bottom());
        EXPECT_LT(w->geometry().bottom(), close.top());
        EXPECT_TRUE(o->rect().contains(w->geometry()));
    }
    EXPECT_FALSE(dir->geometry().intersects(browse->geometry()));
    // The field takes the width; Sluiten has room for its caption, at the right.
    EXPECT_GT(dir->width(), 2 * browse->width());
    const QPushButton* closeButton = o->findChild<QPushButton*>("cmdClose");
    EXPECT_GE(closeButton->width(), closeButton->sizeHint().width());
    EXPECT_EQ(close.right(), browse->geometry().right());

    // A long path: its start and its end show, the tooltip holds it whole.
    auto* path = dynamic_cast<PathEdit*>(dir);
    ASSERT_TRUE(path);
    const QString longPath = "/home/gebruiker/Documenten/Financiele administratie/Vaste activa/" + QString(60, 'x') +
                             "/ZelkExtract/2026/maart";
    dir->setText(longPath);
    EXPECT_EQ(dir->text(), longPath);
    EXPECT_EQ(dir->toolTip(), longPath);
    EXPECT_TRUE(path->shownText().startsWith("/home/gebruiker")) << path->shownText().toStdString();
    EXPECT_TRUE(path->shownText().endsWith("2026/maart")) << path->shownText().toStdString();
    EXPECT_TRUE(path->shownText().contains(QChar(0x2026)));
    dir->setText("/data/werkmappen");

    op.fileAnswers.push_back("/data/gekozen");
    browse->click();
    EXPECT_EQ(dir->text(), "/data/gekozen");
    EXPECT_EQ(op.store.value(kTitle, "Excel", "ExportDir", ""), "/data/gekozen");
    ASSERT_EQ(op.asked.size(), 1u);
    EXPECT_EQ(op.asked[0].initDir, "/data/werkmappen");
    browse->click();  // cancelled: nothing changes
    EXPECT_EQ(dir->text(), "/data/gekozen");
    Q_EMIT dir->textEdited(QStringLiteral("/data/getypt"));
    EXPECT_EQ(op.store.value(kTitle, "Excel", "ExportDir", ""), "/data/getypt");
    o->findChild<QPushButton*>("cmdClose")->click();
    QCoreApplication::processEvents();
}

TEST(GuiQtPlatform, UnansweredDialogsCloseWithTheirSafeAnswerWhenTheReplyTimeoutPasses) {
    guiApp();
    QtPlatform p(kTitle);
    std::vector<UnansweredQuestion> reported;
    p.setReplyTimeout(ReplyTimeout{std::chrono::milliseconds(50), [&](const UnansweredQuestion& q) {
                                       EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // gone first
                                       reported.push_back(q);
                                   }});
    EXPECT_EQ(p.msgBox("Doorgaan?", vbQuestion | vbYesNo, "Vraag"), vbNo);
    EXPECT_EQ(p.msgBox("Bestand is bezet", vbAbortRetryIgnore | 256, ""), vbAbort);
    EXPECT_EQ(p.msgBox("Opslaan mislukt", vbCritical, "Opslaan werkmap"), vbOK);
    EXPECT_EQ(p.inputBox("Geef het juiste wachtwoord", "Wachtwoord", "", true), std::nullopt);
    FileDialogRequest r;
    r.title = "Geef de naam van de database";
    EXPECT_EQ(p.fileDialog(r), std::nullopt);
    ASSERT_EQ(reported.size(), 5u);
    EXPECT_EQ(reported[0].title + "|" + reported[0].prompt + "|" + reported[0].answer, "Vraag|Doorgaan?|Nee");
    EXPECT_EQ(reported[1].title + "|" + reported[1].answer, std::string(kTitle) + "|Afbreken");
    EXPECT_EQ(reported[2].answer, "OK");
    EXPECT_EQ(reported[3].title + "|" + reported[3].answer, "Wachtwoord|Annuleren");
    EXPECT_EQ(reported[4].title + "|" + reported[4].prompt + "|" + reported[4].answer,
              "Geef de naam van de database||Annuleren");

    // A reply in time is the user's, and nothing is reported.
    p.setReplyTimeout(
        ReplyTimeout{std::chrono::milliseconds(5000), [&](const UnansweredQuestion& q) { reported.push_back(q); }});
    whenModal<QMessageBox>([](QMessageBox* box) { clickButton(box, "Ja"); });
    EXPECT_EQ(p.msgBox("Doorgaan?", vbQuestion | vbYesNo, "Vraag"), vbYes);
    whenModal<QInputDialog>([](QInputDialog* d) {
        d->setTextValue("geheim");
        d->accept();
    });
    EXPECT_EQ(p.inputBox("Geef het juiste wachtwoord", "Wachtwoord", "", true), "geheim");

    // Without a timeout a box waits for its reply, however long that takes.
    p.setReplyTimeout(std::nullopt);
    QTimer::singleShot(300, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) clickButton(box, "Ja");
    });
    EXPECT_EQ(p.msgBox("Doorgaan?", vbQuestion | vbYesNo, "Vraag"), vbYes);
    EXPECT_EQ(reported.size(), 5u);
}
