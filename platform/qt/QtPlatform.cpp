#include "platform/QtPlatform.h"

#include "platform/ErrorText.h"

#include <QMessageBox>

namespace slidora {

QtTimer::QtTimer(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(false);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_handler) m_handler();
    });
}

void QtTimer::setIntervalMs(int intervalMs) {
    m_intervalMs = intervalMs;
    if (m_intervalMs <= 0) {
        m_timer.stop();
        return;
    }
    m_timer.setInterval(m_intervalMs);
}

void QtTimer::setEnabled(bool enabled) {
    if (enabled == m_enabled) return; // on while on: the running interval goes on
    m_enabled = enabled;
    if (m_enabled && m_intervalMs > 0)
        m_timer.start(m_intervalMs);
    else
        m_timer.stop();
}

void showErrorReport(const std::string& message, QWidget* parent) {
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                    QString::fromStdString(withFullStop(message)), QMessageBox::Ok, parent);
    box.exec();
}

} // namespace slidora
