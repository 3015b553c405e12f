#include "opties_dialog.h"

#include "twips.h"

namespace zelk {

OptiesDialog::OptiesDialog(FrmOpties& form, QWidget* parent)
    : QWidget(parent, Qt::Dialog),
      form_(form),
      chkLogbestand_(new QCheckBox(QStringLiteral("Logbestand aanmaken"), this)),
      cmdClose_(new QPushButton(QStringLiteral("Sluiten"), this)) {
    setObjectName(QStringLiteral("frmOpties"));
    setWindowTitle(QStringLiteral("Opties"));
    setAttribute(Qt::WA_DeleteOnClose);
    chkLogbestand_->setObjectName(QStringLiteral("chkLogbestand"));
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    chkLogbestand_->setGeometry(toPixels(FrmOpties::kChkLogbestand));
    cmdClose_->setGeometry(toPixels(FrmOpties::kCmdClose));
    // Room for both controls with the same margin around them.
    resize(toPixels(FrmOpties::kChkLogbestand.left * 2 + FrmOpties::kChkLogbestand.width),
           toPixels(FrmOpties::kCmdClose.top + FrmOpties::kCmdClose.height + FrmOpties::kCmdClose.left));
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);

    // Every change of the box counts as a click, also the one the loaded
    // value makes.
    connect(chkLogbestand_, &QCheckBox::stateChanged, this,
            [this](int state) { form_.chkLogbestand_Click(state == Qt::Checked ? 1 : 0); });
    chkLogbestand_->setChecked(form_.Form_Load() == 1);
}

}  // namespace zelk
