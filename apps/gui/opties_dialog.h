#pragma once
// The options dialog on the desktop; FrmOpties decides what a change stores.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "last_resort_guard.h"
#include "shell/opties_form.h"

namespace zelk {

class OptiesDialog : public QWidget {
public:
    OptiesDialog(FrmOpties& form, QWidget* parent, Guard guard = {});

private:
    FrmOpties& form_;
    Guard guard_;
    QCheckBox* chkLogbestand_;
    QLabel* lblExportDir_;
    QLineEdit* txtExportDir_;
    QPushButton* cmdBladeren_;
    QPushButton* cmdClose_;
};

}  // namespace zelk
