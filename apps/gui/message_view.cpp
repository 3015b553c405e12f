#include "message_view.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <memory>

namespace zelk {
namespace {

std::size_t countPairs(const std::u32string& s, std::size_t from, std::size_t to) {
    std::size_t n = 0;
    for (std::size_t i = from; i + 1 < to; ++i)
        if (s[i] == U'\r' && s[i + 1] == U'\n') ++n;
    return n;
}

// CR LF, a lone CR and a lone LF each end a line on the screen.
QString displayed(const std::u32string& s) {
    QString out;
    out.reserve(static_cast<qsizetype>(s.size()));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char32_t c = s[i];
        if (c == U'\r') {
            if (i + 1 < s.size() && s[i + 1] == U'\n') ++i;
            out += QChar('\n');
        } else if (c > 0xFFFF) {
            const char32_t cc = c;
            out += QString::fromUcs4(&cc, 1);
        } else {
            out += QChar(static_cast<char16_t>(c));
        }
    }
    return out;
}

QTextCharFormat formatOf(std::uint32_t colour) {
    QTextCharFormat f;
    f.setForeground(MessageView::colourOf(colour));
    return f;
}

}  // namespace

MessageView::MessageView(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("AlgText"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    connect(this, &QPlainTextEdit::selectionChanged, this, [this] { mirrorSelection(); });
    // A range that grows under a view at its end leaves the value where it
    // was; only a move of the value itself says where the user wants to be.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { followEnd_ = value == verticalScrollBar()->maximum(); });
}

MessageView::~MessageView() {
    if (model_) model_->setObserver({});
}

QColor MessageView::colourOf(std::uint32_t kleur) {
    return QColor(static_cast<int>(kleur & 0xFF), static_cast<int>((kleur >> 8) & 0xFF),
                  static_cast<int>((kleur >> 16) & 0xFF));
}

void MessageView::attach(MessageScreen& model) {
    model_ = &model;
    MessageScreen::Observer o;
    o.inserted = [this](std::size_t at, const std::u32string& text, std::uint32_t colour) {
        inserted(at, text, colour);
    };
    o.replacedPrefix = [this](std::size_t count, const std::u32string& r) { replacedPrefix(count, r); };
    o.cleared = [this] { cleared(); };
    model.setObserver(std::move(o));
    renderAll();
}

int MessageView::docPosition(std::size_t at) const {
    if (at == 0) return 0;
    const std::size_t pairs = at >= shadow_.size() ? pairs_ : countPairs(shadow_, 0, at);
    return static_cast<int>(at - pairs);
}

std::size_t MessageView::modelPosition(int docPos) const {
    std::size_t at = 0;
    for (int d = 0; d < docPos && at < shadow_.size(); ++d)
        at += at + 1 < shadow_.size() && shadow_[at] == U'\r' && shadow_[at + 1] == U'\n' ? 2u : 1u;
    return at;
}

void MessageView::mirrorSelection() {
    if (!model_) return;
    const QTextCursor c = textCursor();
    // Most calls follow a new line, which leaves nothing selected: no walk
    // through the text then.
    if (!c.hasSelection()) {
        model_->select(0, 0);
        return;
    }
    const std::size_t from = modelPosition(c.selectionStart());
    model_->select(from, modelPosition(c.selectionEnd()) - from);
}

void MessageView::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    if (print_) {
        menu->addSeparator();
        menu->addAction(print_);
    }
    menu->exec(event->globalPos());
}

void MessageView::resizeEvent(QResizeEvent* event) {
    const bool follow = followEnd_;
    QPlainTextEdit::resizeEvent(event);
    if (!follow) return;
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
    followEnd_ = true;
}

void MessageView::inserted(std::size_t at, const std::u32string& text, std::uint32_t colour) {
    if (text.empty()) return;
    // A CR LF pair that the insert creates or splits at its edges changes
    // the lines around it; redraw everything then (it never happens with the
    // program's own lines).
    const bool joinsBefore = at > 0 && at <= shadow_.size() && shadow_[at - 1] == U'\r' && text.front() == U'\n';
    const bool joinsAfter = at < shadow_.size() && shadow_[at] == U'\n' && text.back() == U'\r';
    const bool splits = at > 0 && at < shadow_.size() && shadow_[at - 1] == U'\r' && shadow_[at] == U'\n';
    if (at > shadow_.size() || joinsBefore || joinsAfter || splits) {
        renderAll();
        return;
    }
    const bool atEnd = at == shadow_.size();
    const int pos = docPosition(at);
    shadow_.insert(at, text);
    pairs_ += countPairs(text, 0, text.size());

    QTextCursor c(document());
    c.setPosition(pos);
    c.insertText(displayed(text), formatOf(colour));
    // Follow the newest line: at the end when lines are added below, at the
    // top when they are put above.
    QTextCursor caret(document());
    caret.setPosition(atEnd ? document()->characterCount() - 1 : pos);
    setTextCursor(caret);
    ensureCursorVisible();
    mirrorSelection();
}

void MessageView::replacedPrefix(std::size_t count, const std::u32string& replacement) {
    if (count > shadow_.size()) {
        renderAll();
        return;
    }
    const std::size_t removedPairs = countPairs(shadow_, 0, count);
    const int docCount = static_cast<int>(count - removedPairs);
    shadow_.replace(0, count, replacement);
    pairs_ = pairs_ - removedPairs + countPairs(replacement, 0, replacement.size());

    QTextCursor c(document());
    c.setPosition(0);
    c.setPosition(docCount, QTextCursor::KeepAnchor);
    c.insertText(displayed(replacement), formatOf(model_ ? model_->colourAt(0) : 0));
    mirrorSelection();
}

void MessageView::cleared() {
    shadow_.clear();
    pairs_ = 0;
    document()->clear();
}

void MessageView::renderAll() {
    ++fullRenders_;
    document()->clear();
    shadow_.clear();
    pairs_ = 0;
    if (!model_) return;
    shadow_ = model_->text32();
    pairs_ = countPairs(shadow_, 0, shadow_.size());
    QTextCursor c(document());
    std::size_t start = 0;
    bool skipLineFeed = false;  // the LF of a CR LF pair whose CR ended the run before
    for (const auto& run : model_->runs()) {
        std::size_t from = start;
        const std::size_t to = start + run.length;
        if (skipLineFeed && from < to) ++from;
        skipLineFeed = to > from && to < shadow_.size() && shadow_[to - 1] == U'\r' && shadow_[to] == U'\n';
        if (to > from) c.insertText(displayed(shadow_.substr(from, to - from)), formatOf(run.colour));
        start = to;
    }
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
    mirrorSelection();
}

MessageWindow::MessageWindow(QWidget* parent)
    : QMdiSubWindow(parent), client_(new QWidget(this)), view_(new MessageView(client_)) {
    setObjectName(QStringLiteral("Alg"));
    setWindowTitle(QStringLiteral("Meldingen"));
    client_->setObjectName(QStringLiteral("AlgClient"));
    setWidget(client_);
}

void MessageWindow::closeEvent(QCloseEvent* event) {
    // The message screen lives as long as the program.
    event->ignore();
}

void MessageWindow::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    if (resized) resized();
}

}  // namespace zelk
