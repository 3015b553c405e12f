#pragma once
// Qt's own texts (file dialog, standard buttons, context menus) in Dutch, as
// the rest of the program is, whatever the desktop's language.

#include <QTranslator>

namespace zelk {

class DutchTranslations {
public:
    // Needs the application object; installs for as long as this lives.
    DutchTranslations();
    ~DutchTranslations();
    DutchTranslations(const DutchTranslations&) = delete;
    DutchTranslations& operator=(const DutchTranslations&) = delete;

    // False when Qt's Dutch translation file was not found.
    bool loaded() const { return loaded_; }

private:
    QTranslator translator_;
    bool loaded_ = false;
};

}  // namespace zelk
