#include "platform/DirWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <stop_token>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace slidora {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

// What the walk needs of an entry's stat.
struct EntryFacts {
    mode_t mode = 0;
    std::int64_t sizeBytes = 0;
    int error = 0; // errno of a failed stat, else 0
};

EntryFacts factsAt(int folderFd, const std::string& name) {
    struct stat st {};
    if (::fstatat(folderFd, name.c_str(), &st, 0) != 0) return {0, 0, errno};
    return {st.st_mode, static_cast<std::int64_t>(st.st_size), 0};
}

// The stat of every entry costs a name lookup in the kernel, the bulk of a
// walk of a large folder. For a large folder a second thread looks up the
// second half while the walk goes through the first; the walk waits for it
// only on reaching that half. A walk that stops early stops the thread at
// its next entry. One thread per walk at most: a large folder inside a large
// folder is looked up by the walk alone while the outer thread runs.
class LookAhead {
  public:
    LookAhead(int folderFd, const std::vector<std::string>& names, bool& helperBusy)
        : m_fd(folderFd), m_names(names), m_half(names.size()), m_helperBusy(helperBusy) {
        if (names.size() < kSplitFrom || helperBusy) return;
        m_half = names.size() / 2;
        m_facts.resize(names.size() - m_half);
        try {
            m_thread = std::jthread([this](std::stop_token stop) {
                for (std::size_t i = m_half; i < m_names.size() && !stop.stop_requested(); ++i)
                    m_facts[i - m_half] = factsAt(m_fd, m_names[i]);
            });
            m_helperBusy = true;
        } catch (const std::system_error&) {
            m_half = names.size(); // no thread to be had: the walk looks up alone
        }
    }
    ~LookAhead() { finish(); }
    LookAhead(const LookAhead&) = delete;
    LookAhead& operator=(const LookAhead&) = delete;

    EntryFacts factsOf(std::size_t i) {
        if (i < m_half) return factsAt(m_fd, m_names[i]);
        if (m_thread.joinable()) {
            m_thread.join();
            m_helperBusy = false;
        }
        return m_facts[i - m_half];
    }

    // Stops and joins the thread; before the folder is closed.
    void finish() {
        if (!m_thread.joinable()) return;
        m_thread.request_stop();
        m_thread.join();
        m_helperBusy = false;
    }

  private:
    static constexpr std::size_t kSplitFrom = 2048;

    int m_fd;
    const std::vector<std::string>& m_names;
    std::size_t m_half; // entries from here on are the thread's
    bool& m_helperBusy;
    std::vector<EntryFacts> m_facts; // the thread's entries, from m_half
    std::jthread m_thread;
};

class Walker {
  public:
    Walker(const WalkVisitor& visitor, const WalkObserver& skipped)
        : m_visitor(visitor), m_skipped(skipped) {}

    // Returns false when the visitor asked to stop. `parent` and `name` name
    // the folder for the observer; the start folder has an empty name.
    bool walk(const std::string& folder, const std::string& parent, const std::string& name) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            if (!(name.empty() && errno == ENOENT))
                report(parent, name, WalkSkip::UnreadableFolder, std::strerror(errno));
            return true;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            report(parent, name, WalkSkip::UnreadableFolder, std::strerror(errno));
            ::close(fd);
            return true;
        }
        const FolderId id{st.st_dev, st.st_ino};
        const auto [seen, isNew] = m_visited.insert({id, Visit{folder, true}});
        if (!isNew) {
            report(parent, name, seen->second.open ? WalkSkip::Loop : WalkSkip::AlreadyWalked,
                   seen->second.path);
            ::close(fd);
            return true;
        }
        DIR* dir = ::fdopendir(fd);
        if (dir == nullptr) {
            report(parent, name, WalkSkip::UnreadableFolder, std::strerror(errno));
            ::close(fd);
            return true;
        }
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
        }
        // stat (not lstat): links count as what they lead to. A FIFO is
        // only stat-ed, never opened, so it cannot block the walk.
        LookAhead ahead(::dirfd(dir), names, m_helperBusy);
        bool keepGoing = true;
        for (std::size_t i = 0; keepGoing && i < names.size(); ++i) {
            const std::string& entryName = names[i];
            const EntryFacts es = ahead.factsOf(i);
            if (es.error != 0) {
                report(folder, entryName, WalkSkip::Unreachable, std::strerror(es.error));
                continue;
            }
            if (S_ISDIR(es.mode)) {
                keepGoing = walk(folder + entryName + '/', folder, entryName);
            } else if (S_ISREG(es.mode)) {
                keepGoing = m_visitor(WalkFile{folder, entryName, es.sizeBytes});
            } else {
                report(folder, entryName, WalkSkip::SpecialFile, {});
            }
        }
        ahead.finish();
        ::closedir(dir);
        seen->second.open = false;
        return keepGoing;
    }

  private:
    struct Visit {
        std::string path; // as first walked
        bool open;        // the walk is still inside it
    };

    void report(const std::string& folder, const std::string& name, WalkSkip why,
                const std::string& detail) {
        if (m_skipped) m_skipped(WalkSkipped{folder, name, why, detail});
    }

    const WalkVisitor& m_visitor;
    const WalkObserver& m_skipped;
    std::map<FolderId, Visit> m_visited;
    bool m_helperBusy = false; // a LookAhead of this walk has a thread
};

} // namespace

bool walkFolder(const std::string& folder, const WalkVisitor& visitor) {
    return walkFolder(folder, visitor, {});
}

bool walkFolder(const std::string& folder, const WalkVisitor& visitor,
                const WalkObserver& skipped) {
    if (folder.empty()) return true;
    const std::string start = folder.back() == '/' ? folder : folder + '/';
    Walker walker(visitor, skipped);
    return walker.walk(start, start, {});
}

bool folderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace slidora
