#include "saver/resize/QtResizeHost.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace slidora {

QtResizeHost::QtResizeHost(const std::string& programDir, QWidget* parent)
    : m_modulePath(resizeModulePath(programDir)), m_parent(parent) {}

std::string QtResizeHost::modulePath() const {
    return m_modulePath;
}

void QtResizeHost::showMessage(const std::string& text) {
    // A plain box captioned with the application's title, no icon, one OK.
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                    QString::fromStdString(text), QMessageBox::Ok, m_parent.data());
    box.exec();
}

} // namespace slidora
