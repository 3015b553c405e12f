#pragma once
// The options dialog on the desktop; FrmOpties decides what a click stores.

#include <QCheckBox>
#include <QPushButton>
#include <QWidget>

#include "shell/opties_form.h"

namespace zelk {

class OptiesDialog : public QWidget {
public:
    OptiesDialog(FrmOpties& form, QWidget* parent);

private:
    FrmOpties& form_;
    QCheckBox* chkLogbestand_;
    QPushButton* cmdClose_;
};

}  // namespace zelk
