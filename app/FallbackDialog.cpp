// Stands in for the settings dialog while the dialog library is not part of
// the build: an empty modal dialog with OK and Cancel.
#include <QDialog>
#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace slidora {

void runSettingsDialog() {
    QDialog dialog;
    dialog.setWindowTitle(QString::fromUtf8("  Slidora の設定"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
}

} // namespace slidora
