#include "qt_platform.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpacerItem>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "file_filter.h"
#include "message_view.h"
#include "runtime/dates.h"

namespace zelk {
namespace {

struct ButtonSpec {
    QMessageBox::StandardButton button;
    const char* text;
};

std::vector<ButtonSpec> buttonsFor(int style) {
    using B = QMessageBox;
    switch (style & 7) {
    case vbOKCancel: return {{B::Ok, "OK"}, {B::Cancel, "Annuleren"}};
    case vbAbortRetryIgnore: return {{B::Abort, "Afbreken"}, {B::Retry, "Opnieuw"}, {B::Ignore, "Negeren"}};
    case vbYesNoCancel: return {{B::Yes, "Ja"}, {B::No, "Nee"}, {B::Cancel, "Annuleren"}};
    case vbYesNo: return {{B::Yes, "Ja"}, {B::No, "Nee"}};
    case vbRetryCancel: return {{B::Retry, "Opnieuw"}, {B::Cancel, "Annuleren"}};
    default: return {{B::Ok, "OK"}};
    }
}

QMessageBox::Icon iconFor(int style) {
    switch (style & 0x70) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// Closes a dialog with its safe answer once the platform's reply timeout has
// passed; without a timeout it does nothing. A reply that came first wins.
class ReplyDeadline {
public:
    ReplyDeadline(const std::optional<ReplyTimeout>& timeout, QDialog& dialog, std::function<void()> giveSafeAnswer) {
        if (!timeout) return;
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this, &dialog, give = std::move(giveSafeAnswer)] {
            if (!dialog.isVisible()) return;
            expired_ = true;
            give();
        });
        timer_.start(static_cast<int>(std::min<long long>(timeout->limit.count(), INT_MAX)));
    }
    bool expired() const { return expired_; }

private:
    QTimer timer_;
    bool expired_ = false;
};

// Room for the window manager's buttons and the icon beside a title.
constexpr int kTitleBarExtra = 160;

// The program's questions often stand in a box's title; a box narrower than
// its title bar would cut them off in the middle.
int widthForTitle(const QWidget& w, const QString& title) {
    return w.fontMetrics().horizontalAdvance(title) + kTitleBarExtra;
}

void widenForTitle(QMessageBox& box) {
    // A message box sizes itself to its text and ignores a minimum width;
    // a spacer across its grid is what it takes into account.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(widthForTitle(box, box.windowTitle()), 0, QSizePolicy::Minimum), grid->rowCount(),
                      0, 1, grid->columnCount());
}

// A folder that does not exist yet (the export folder before the first
// export) would send a dialog to the current folder; its nearest existing
// parent is where the user expects to be.
QString nearestExistingFolder(const QString& path) {
    if (path.isEmpty()) return path;
    QString dir = QFileInfo(path).absoluteFilePath();
    while (!QFileInfo(dir).isDir()) {
        const QString up = QFileInfo(dir).path();
        if (up == dir) break;
        dir = up;
    }
    return dir;
}

}  // namespace

int vbAnswerFor(int standardButton) {
    switch (standardButton) {
    case QMessageBox::Ok: return vbOK;
    case QMessageBox::Cancel: return vbCancel;
    case QMessageBox::Abort: return vbAbort;
    case QMessageBox::Retry: return vbRetry;
    case QMessageBox::Ignore: return vbIgnore;
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    default: return 0;
    }
}

QtPlatform::QtPlatform(std::string applicationTitle) : appTitle_(std::move(applicationTitle)) {}

QString QtPlatform::titleOr(const std::string& title) const {
    return QString::fromStdString(title.empty() ? appTitle_ : title);
}

int QtPlatform::msgBox(const std::string& prompt, int style, const std::string& title) {
    QMessageBox box(iconFor(style), titleOr(title), QString::fromStdString(prompt), QMessageBox::NoButton, parent_);
    const auto buttons = buttonsFor(style);
    for (const auto& s : buttons) box.addButton(s.button)->setText(QString::fromUtf8(s.text));
    // 256 and 512 pick the second and third button as the default one.
    const std::size_t def = static_cast<std::size_t>((style >> 8) & 3);
    box.setDefaultButton(buttons[def < buttons.size() ? def : 0].button);
    // Escape gives Cancel (or No where that is the only way back).
    for (auto b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
        if (box.button(b)) {
            box.setEscapeButton(b);
            break;
        }
    widenForTitle(box);
    const int safe = safeAnswer(style);
    ReplyDeadline deadline(replyTimeout(), box, [&box, &buttons, safe] {
        for (const auto& s : buttons)
            if (vbAnswerFor(s.button) == safe) box.button(s.button)->click();
    });
    box.exec();
    if (deadline.expired()) {
        reportUnanswered({titleOr(title).toStdString(), prompt, answerText(safe)});
        return safe;
    }
    const int answer = vbAnswerFor(box.standardButton(box.clickedButton()));
    return answer ? answer : safe;
}

std::optional<std::string> QtPlatform::inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& preset, bool masked) {
    QInputDialog dialog(parent_);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(titleOr(title));
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
    dialog.setTextValue(QString::fromStdString(preset));
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Annuleren"));
    dialog.setMinimumWidth(widthForTitle(dialog, dialog.windowTitle()));
    ReplyDeadline deadline(replyTimeout(), dialog, [&dialog] { dialog.reject(); });
    const int result = dialog.exec();
    if (deadline.expired()) {
        reportUnanswered({titleOr(title).toStdString(), prompt, answerText(vbCancel)});
        return std::nullopt;
    }
    if (result != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
}

std::optional<std::string> QtPlatform::fileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(parent_, titleOr(request.title));
    dialog.setNameFilters(QtFileFilters(request.filter));
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    }
    const QFileInfo preset(QString::fromStdString(request.fileName));
    // The start directory may name a file (the last database is stored as
    // both); the dialog then starts in that file's folder.
    const QFileInfo init(QString::fromStdString(request.initDir));
    QString dir = init.isFile() ? init.absolutePath() : nearestExistingFolder(init.filePath());
    if (!request.fileName.empty() && preset.fileName() != preset.filePath() && preset.dir().exists())
        dir = preset.absolutePath();
    if (!dir.isEmpty()) dialog.setDirectory(dir);
    if (!request.fileName.empty()) dialog.selectFile(preset.fileName());
    // A native dialog belongs to another process, which a timer here might not close.
    if (replyTimeout()) dialog.setOption(QFileDialog::DontUseNativeDialog);
    ReplyDeadline deadline(replyTimeout(), dialog, [&dialog] { dialog.reject(); });
    const int result = dialog.exec();
    if (deadline.expired()) {
        reportUnanswered({titleOr(request.title).toStdString(), "", answerText(vbCancel)});
        return std::nullopt;
    }
    if (result != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(files.front()).toStdString();
}

void QtPlatform::doEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtPlatform::waitForEvents(std::uint32_t milliseconds) {
    // A timer wakes the wait when nothing else does; without a limit only an
    // event ends it.
    QTimer wake;
    wake.setSingleShot(true);
    if (milliseconds != 0xFFFFFFFFu) {
        if (milliseconds == 0) return;
        wake.start(static_cast<int>(std::min<std::uint32_t>(milliseconds, INT_MAX)));
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

Date QtPlatform::now() {
    const QDateTime t = QDateTime::currentDateTime();
    DateParts p;
    p.year = t.date().year();
    p.month = t.date().month();
    p.day = t.date().day();
    p.hour = t.time().hour();
    p.minute = t.time().minute();
    p.second = t.time().second();
    return makeDateTime(p);
}

std::uint32_t QtPlatform::tickCount() {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

std::filesystem::path QtPlatform::documentsFolder() {
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty()) return homeDocumentsFolder();
    return std::filesystem::path(docs.toStdString());
}

void QtPlatform::openDocument(const std::string& path) {
    // The workbook is saved whatever happens here; the user only needs to
    // know when it did not come up.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path))))
        msgBox("Er is geen programma gevonden dat de werkmap opent:\n" + path, vbExclamation, "");
}

void QtPlatform::progress(const std::string& label, long done, long total) {
    if (progressSink_) progressSink_(label, done, total);
    // The bar shows only when it is painted; and the window keeps answering
    // while rows are written (commands that must wait are held back by the
    // shell).
    doEvents();
}

void QtPlatform::printText(const std::string& title, const std::vector<PrintPiece>& pieces) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(title));
    QPrintDialog dialog(&printer, parent_);
    ReplyDeadline deadline(replyTimeout(), dialog, [&dialog] { dialog.reject(); });
    const int result = dialog.exec();
    if (deadline.expired()) {
        reportUnanswered({dialog.windowTitle().toStdString(), "", answerText(vbCancel)});
        return;
    }
    if (result != QDialog::Accepted) return;

    QTextDocument doc;
    doc.setDefaultFont(parent_ ? parent_->font() : QApplication::font());
    QTextCursor cursor(&doc);
    for (const PrintPiece& p : pieces) {
        QTextCharFormat format;
        format.setForeground(MessageView::colourOf(p.colour));
        cursor.insertText(QString::fromStdString(p.text), format);
    }
    doc.print(&printer);
    if (printer.printerState() == QPrinter::Error) {
        const QString target = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        msgBox("Het afdrukken op '" + target.toStdString() + "' is mislukt.", vbExclamation, title);
    }
}

void QtPlatform::endProgram(int exitCode) {
    if (beforeEnd_) beforeEnd_();
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace zelk
