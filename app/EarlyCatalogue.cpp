#include "app/EarlyCatalogue.h"

#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <exception>
#include <utility>

namespace slidora {

EarlyCatalogue::EarlyCatalogue(std::string settingsPath, std::string programDir, Walk walk)
    : m_walk(std::move(walk)) {
    m_thread = std::thread([this, path = std::move(settingsPath), dir = std::move(programDir)] {
        walkEarly(path, dir);
    });
}

EarlyCatalogue::~EarlyCatalogue() {
    if (m_thread.joinable()) m_thread.join();
}

void EarlyCatalogue::walkEarly(const std::string& settingsPath, const std::string& programDir) {
    // Only the folder and the size limit are used here; the font name is
    // the core's business.
    ReaderContext context;
    context.programDir = programDir;
    try {
        const IniFile file(settingsPath);
        SaverSettings settings;
        readSaverSettings(file, context, settings);
        m_folder = settings.pictureFolder;
        m_minimumSizeKb = settings.minimumSizeKb;
        m_walk(m_folder, m_minimumSizeKb, m_list);
        m_walked = true;
    } catch (const std::exception&) {
        // Whatever failed here fails again in the core's own set-up, which
        // reports it; nothing is handed over.
        m_list.clear();
    }
}

void EarlyCatalogue::picRead(const std::string& folder, int minimumSizeKb,
                             std::vector<std::string>& list) {
    if (m_thread.joinable()) m_thread.join();
    const bool handOver =
        m_walked && list.empty() && folder == m_folder && minimumSizeKb == m_minimumSizeKb;
    m_walked = false;
    std::vector<std::string> early = std::move(m_list);
    m_list.clear();
    if (handOver) {
        list.swap(early);
        return;
    }
    m_walk(folder, minimumSizeKb, list);
}

} // namespace slidora
