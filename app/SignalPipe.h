#pragma once
// SIGTERM, SIGHUP and SIGINT end the show: the handler only writes a byte to
// a pipe; the user-interface thread reads it and does the work.
#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace slidora {

class SignalPipe : public QObject {
    Q_OBJECT
  public:
    // Installs the handlers; `onSignal` runs on the UI thread.
    explicit SignalPipe(std::function<void()> onSignal, QObject* parent = nullptr);
    ~SignalPipe() override;

  private:
    std::function<void()> m_onSignal;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace slidora
