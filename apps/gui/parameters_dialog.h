#pragma once
// The parameters dialog on the desktop; what it loads and stores is decided
// by FrmParameters.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "last_resort_guard.h"
#include "shell/parameters_form.h"

namespace zelk {

class ParametersDialog : public QWidget {
public:
    ParametersDialog(FrmParameters& form, QWidget* parent, Guard guard = {});

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    FrmParameters& form_;
    Guard guard_;
    QLabel* lblDirectory_;
    QLineEdit* txtDirectory_;
    QCheckBox* chkAutoRun_;
    QPushButton* cmdSluiten_;
};

}  // namespace zelk
