#pragma once
// The options dialog on the desktop; FrmOpties decides what a change stores.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
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
    QLabel* lblExportDir_;
    QLineEdit* txtExportDir_;
    QPushButton* cmdBladeren_;
    QPushButton* cmdClose_;
};

}  // namespace zelk
