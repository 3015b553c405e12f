#pragma once
// The options dialog on the desktop; FrmOpties decides what a change stores.
// Laid out for export folders of any length: the folder field takes the width.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "last_resort_guard.h"
#include "path_edit.h"
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
    PathEdit* txtExportDir_;
    QPushButton* cmdBladeren_;
    QPushButton* cmdClose_;
};

}  // namespace zelk
