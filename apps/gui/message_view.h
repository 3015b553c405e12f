#pragma once
// The message screen "Meldingen" on the desktop: a read-only text view that
// mirrors the message-screen model change by change. Lines are added with a
// text cursor so a long run stays as fast as its first line.

#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <functional>
#include <string>

#include "messages/message_screen.h"

namespace zelk {

class MessageView : public QPlainTextEdit {
public:
    explicit MessageView(QWidget* parent = nullptr);
    ~MessageView() override;

    // Shows the model's text and follows every later change.
    void attach(MessageScreen& model);

    // Colour value red + 256 * green + 65536 * blue as a Qt colour.
    static QColor colourOf(std::uint32_t kleur);
    // How often the whole text was drawn anew (attach, and rare line-break joins).
    int fullRenders() const { return fullRenders_; }
    // Offered in the context menu after the text's own entries.
    void setPrintAction(QAction* print) { print_ = print; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The model's position of a position in the document.
    std::size_t modelPosition(int docPos) const;
    // Tells the model what is selected, after the user or a change moved it.
    void mirrorSelection();
    void inserted(std::size_t at, const std::u32string& text, std::uint32_t colour);
    void replacedPrefix(std::size_t count, const std::u32string& replacement);
    void cleared();
    void renderAll();
    int docPosition(std::size_t at) const;

    MessageScreen* model_ = nullptr;
    // The model's text as last mirrored; CR LF pairs show as one line break,
    // so positions differ from the document's by the pairs before them.
    std::u32string shadow_;
    std::size_t pairs_ = 0;
    int fullRenders_ = 0;
    QPointer<QAction> print_;
    // The last line stays in view until the user scrolls up.
    bool followEnd_ = true;
};

// The child window "Meldingen": the message view inside a client area whose
// margin the message screen's layout decides. It cannot be closed on its own.
class MessageWindow : public QMdiSubWindow {
public:
    explicit MessageWindow(QWidget* parent = nullptr);
    MessageView* view() const { return view_; }
    QWidget* client() const { return client_; }
    // Runs after every resize, once the client area has its new size.
    std::function<void()> resized;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* client_;
    MessageView* view_;
};

}  // namespace zelk
