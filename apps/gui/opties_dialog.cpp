#include "opties_dialog.h"

#include "twips.h"

namespace zelk {

OptiesDialog::OptiesDialog(FrmOpties& form, QWidget* parent, Guard guard)
    : QWidget(parent, Qt::Dialog),
      form_(form),
      guard_(std::move(guard)),
      chkLogbestand_(new QCheckBox(QStringLiteral("Logbestand aanmaken"), this)),
      lblExportDir_(new QLabel(QStringLiteral("Exportmap"), this)),
      txtExportDir_(new QLineEdit(this)),
      cmdBladeren_(new QPushButton(QStringLiteral("Bladeren…"), this)),
      cmdClose_(new QPushButton(QStringLiteral("Sluiten"), this)) {
    setObjectName(QStringLiteral("frmOpties"));
    setWindowTitle(QStringLiteral("Opties"));
    setAttribute(Qt::WA_DeleteOnClose);
    chkLogbestand_->setObjectName(QStringLiteral("chkLogbestand"));
    lblExportDir_->setObjectName(QStringLiteral("lblExportDir"));
    txtExportDir_->setObjectName(QStringLiteral("txtExportDir"));
    cmdBladeren_->setObjectName(QStringLiteral("cmdBladeren"));
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    chkLogbestand_->setGeometry(toPixels(FrmOpties::kChkLogbestand));
    lblExportDir_->setGeometry(toPixels(FrmOpties::kLblExportDir));
    txtExportDir_->setGeometry(toPixels(FrmOpties::kTxtExportDir));
    cmdBladeren_->setGeometry(toPixels(FrmOpties::kCmdBladeren));
    cmdClose_->setGeometry(toPixels(FrmOpties::kCmdClose));
    lblExportDir_->setBuddy(txtExportDir_);
    // Room for every control with the same margin around them.
    resize(toPixels(FrmOpties::kCmdBladeren.left + FrmOpties::kCmdBladeren.width + FrmOpties::kChkLogbestand.left),
           toPixels(FrmOpties::kCmdClose.top + FrmOpties::kCmdClose.height + FrmOpties::kCmdClose.left));
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);

    // Every change of the box counts as a click, also the one the loaded
    // value makes.
    connect(chkLogbestand_, &QCheckBox::stateChanged, this,
            [this](int state) { runWith(guard_, [&] { form_.chkLogbestand_Click(state == Qt::Checked ? 1 : 0); }); });
    chkLogbestand_->setChecked(form_.Form_Load() == 1);

    // Only what the user types is stored, not the folder shown at load.
    txtExportDir_->setText(QString::fromStdString(form_.txtExportDir_Load()));
    connect(txtExportDir_, &QLineEdit::textEdited, this,
            [this](const QString& text) { runWith(guard_, [&] { form_.txtExportDir_Change(text.toStdString()); }); });
    connect(cmdBladeren_, &QPushButton::clicked, this, [this] {
        runWith(guard_, [this] {
            if (const auto chosen = form_.cmdBladeren_Click(txtExportDir_->text().toStdString()))
                txtExportDir_->setText(QString::fromStdString(*chosen));
        });
    });
}

}  // namespace zelk
