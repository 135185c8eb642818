#pragma once
// The Qt side of the platform layer: the window timer and the application's
// general error report.
#include "platform/Clock.h"

#include <QObject>
#include <QTimer>

#include <string>

class QWidget;

namespace slidora {

// The application title: the caption of error boxes and of the program.
inline constexpr const char* kApplicationTitle = "Slidora Saver";

class QtTimer final : public QObject, public Timer {
    Q_OBJECT
  public:
    explicit QtTimer(QObject* parent = nullptr);
    void setIntervalMs(int intervalMs) override;
    int intervalMs() const override { return m_intervalMs; }
    void setEnabled(bool enabled) override;
    bool enabled() const override { return m_enabled; }
    void setHandler(std::function<void()> handler) override { m_handler = std::move(handler); }

  private:
    QTimer m_timer;
    int m_intervalMs = 0;
    bool m_enabled = false;
    std::function<void()> m_handler;
};

// Shows `message` in a critical message box captioned with the application
// title, with the full stop rule applied. Modal; returns when dismissed.
void showErrorReport(const std::string& message, QWidget* parent = nullptr);

} // namespace slidora
