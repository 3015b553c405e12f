#include "parameters_dialog.h"

#include <QCloseEvent>

#include "twips.h"

namespace zelk {

ParametersDialog::ParametersDialog(FrmParameters& form, QWidget* parent, Guard guard)
    : QWidget(parent, Qt::Dialog),
      form_(form),
      guard_(std::move(guard)),
      lblDirectory_(new QLabel(QStringLiteral("Directory"), this)),
      txtDirectory_(new QLineEdit(this)),
      chkAutoRun_(new QCheckBox(QStringLiteral("Autorun"), this)),
      cmdSluiten_(new QPushButton(QStringLiteral("Sluiten"), this)) {
    setObjectName(QStringLiteral("frmParameters"));
    setWindowTitle(QStringLiteral("Parameters"));
    setAttribute(Qt::WA_DeleteOnClose);
    lblDirectory_->setObjectName(QStringLiteral("lblDirectory"));
    txtDirectory_->setObjectName(QStringLiteral("txtDirectory"));
    chkAutoRun_->setObjectName(QStringLiteral("chkAutoRun"));
    cmdSluiten_->setObjectName(QStringLiteral("cmdSluiten"));
    lblDirectory_->setGeometry(toPixels(FrmParameters::kLblDirectory));
    txtDirectory_->setGeometry(toPixels(FrmParameters::kTxtDirectory));
    chkAutoRun_->setGeometry(toPixels(FrmParameters::kChkAutoRun));
    cmdSluiten_->setGeometry(toPixels(FrmParameters::kCmdSluiten));
    connect(cmdSluiten_, &QPushButton::clicked, this, &QWidget::close);

    const FrmParameters::Fields f = form_.Form_Load();
    txtDirectory_->setText(QString::fromStdString(f.txtDirectory));
    chkAutoRun_->setChecked(f.chkAutoRun == 1);
    setGeometry(toPixels(FrmParameters::kForm));
}

void ParametersDialog::closeEvent(QCloseEvent* event) {
    FrmParameters::Fields f;
    f.txtDirectory = txtDirectory_->text().toStdString();
    f.chkAutoRun = chkAutoRun_->isChecked() ? 1 : 0;
    runWith(guard_, [&] { form_.Form_Unload(f); });
    event->accept();
}

}  // namespace zelk
