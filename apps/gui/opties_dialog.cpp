#include "opties_dialog.h"

#include <QGridLayout>

#include "twips.h"

namespace zelk {

namespace {
// Room for a folder of usual length before it is shortened in the middle.
constexpr int kMinFolderWidth = 5400;
}  // namespace

OptiesDialog::OptiesDialog(FrmOpties& form, QWidget* parent, Guard guard)
    : QWidget(parent, Qt::Dialog),
      form_(form),
      guard_(std::move(guard)),
      chkLogbestand_(new QCheckBox(QStringLiteral("Logbestand aanmaken"), this)),
      lblExportDir_(new QLabel(QStringLiteral("Exportmap"), this)),
      txtExportDir_(new PathEdit(this)),
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
    lblExportDir_->setBuddy(txtExportDir_);
    // The original form's margin around the controls; Sluiten where a
    // dialog's closing button stands, at the right below the rest.
    const int margin = toPixels(FrmOpties::kChkLogbestand.left);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(margin, margin, margin, margin);
    grid->addWidget(chkLogbestand_, 0, 0, 1, 3);
    grid->addWidget(lblExportDir_, 1, 0);
    grid->addWidget(txtExportDir_, 1, 1);
    grid->addWidget(cmdBladeren_, 1, 2);
    grid->addWidget(cmdClose_, 2, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowMinimumHeight(2, toPixels(FrmOpties::kCmdClose.height));
    cmdClose_->setMinimumWidth(toPixels(FrmOpties::kCmdClose.width));
    txtExportDir_->setMinimumWidth(toPixels(kMinFolderWidth));
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
