#pragma once
// A field for a folder path that may be longer than the field: while the user
// is not typing in it, a long path shows its start and its end with "…" in
// the middle, and the tooltip holds the whole path. The text itself is
// always the whole path.

#include <QLineEdit>

namespace zelk {

class PathEdit : public QLineEdit {
public:
    explicit PathEdit(QWidget* parent = nullptr);

    // What the field shows when it has no focus.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textArea() const;
};

}  // namespace zelk
