#include "path_edit.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace zelk {

namespace {
// The gap QLineEdit keeps between its frame and its text.
constexpr int kTextGap = 2;
}  // namespace

PathEdit::PathEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { setToolTip(text); });
}

QRect PathEdit::textArea() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    return contents.marginsRemoved(textMargins()).adjusted(kTextGap, 0, -kTextGap, 0);
}

QString PathEdit::shownText() const { return fontMetrics().elidedText(text(), Qt::ElideMiddle, textArea().width()); }

void PathEdit::paintEvent(QPaintEvent* event) {
    const QString shown = shownText();
    // Typing needs the real text with its caret; a path that fits is the same.
    if (hasFocus() || shown == text()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(textArea(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

}  // namespace zelk
