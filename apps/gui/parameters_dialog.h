#pragma once
// The parameters dialog on the desktop; what it loads and stores is decided
// by FrmParameters.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "shell/parameters_form.h"

namespace zelk {

class ParametersDialog : public QWidget {
public:
    ParametersDialog(FrmParameters& form, QWidget* parent);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    FrmParameters& form_;
    QLabel* lblDirectory_;
    QLineEdit* txtDirectory_;
    QCheckBox* chkAutoRun_;
    QPushButton* cmdSluiten_;
};

}  // namespace zelk
