#pragma once
// The Windows program's resampler host: RESIZE32.DLL beside the program, the
// missing-module message in a message box on the user-interface thread.
#include "saver/resize/ResizeHost.h"

struct HWND__;

namespace slidora::win {

class WinResizeHost final : public ResizeHost {
  public:
    explicit WinResizeHost(const std::string& programDir);

    // The window the box stands above from now on; null before the saver
    // window is shown.
    void setOwner(HWND__* owner) { m_owner = owner; }

    std::string modulePath() const override { return m_modulePath; }
    // A plain box captioned with the application title, one OK button.
    void showMessage(const std::string& text) override;

  private:
    std::string m_modulePath;
    HWND__* m_owner = nullptr;
};

} // namespace slidora::win
