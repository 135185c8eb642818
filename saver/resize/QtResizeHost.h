#pragma once
// The program's resampler host: the module beside the program, the missing-
// module message in a modal box.
#include "saver/resize/ResizeHost.h"

#include <QPointer>
#include <QWidget>

namespace slidora {

class QtResizeHost final : public ResizeHost {
  public:
    // `programDir` is the folder of the running program; `parent` (may be
    // null) owns the message box while it is shown.
    explicit QtResizeHost(const std::string& programDir, QWidget* parent = nullptr);

    // The window the box belongs to from now on, so that it stands above a
    // full-screen saver instead of behind it.
    void setOwner(QWidget* owner) { m_parent = owner; }

    std::string modulePath() const override;
    void showMessage(const std::string& text) override;

  private:
    std::string m_modulePath;
    QPointer<QWidget> m_parent;
};

} // namespace slidora
