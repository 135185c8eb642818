#pragma once
// The picture list of a full show, walked on a thread from the top of the
// program while the toolkit starts and the window is made. The saver's core
// takes it through picRead() when it asks for the same folder and size limit
// that the settings named when the walk began; any other request, and every
// request after the first, walks afresh.
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace slidora {

class EarlyCatalogue {
  public:
    // The catalogue's walk, PicRead's shape.
    using Walk = std::function<void(const std::string& folder, int minimumSizeKb,
                                    std::vector<std::string>& list)>;

    // Reads the picture folder (`programDir` when the settings name none)
    // and the size limit from the settings at `settingsPath`, and walks
    // them with `walk` on a thread. Settings the core would refuse start no
    // walk: the core reports them itself.
    EarlyCatalogue(std::string settingsPath, std::string programDir, Walk walk);
    // Waits for a walk still running.
    ~EarlyCatalogue();
    EarlyCatalogue(const EarlyCatalogue&) = delete;
    EarlyCatalogue& operator=(const EarlyCatalogue&) = delete;

    // The core's catalogue call: fills `list` as `walk` would.
    void picRead(const std::string& folder, int minimumSizeKb, std::vector<std::string>& list);

  private:
    void walkEarly(const std::string& settingsPath, const std::string& programDir);

    Walk m_walk;
    // Written by the thread, read after it has been joined.
    bool m_walked = false;
    std::string m_folder;
    int m_minimumSizeKb = 0;
    std::vector<std::string> m_list;
    std::thread m_thread;
};

} // namespace slidora
