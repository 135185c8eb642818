#include "platform/DirWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <utility>

namespace slidora {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

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
        bool keepGoing = true;
        while (keepGoing) {
            const dirent* entry = ::readdir(dir);
            if (entry == nullptr) break;
            const std::string entryName = entry->d_name;
            if (entryName == "." || entryName == "..") continue;
            // stat (not lstat): links count as what they lead to. A FIFO is
            // only stat-ed, never opened, so it cannot block the walk.
            struct stat es {};
            if (::fstatat(::dirfd(dir), entry->d_name, &es, 0) != 0) {
                report(folder, entryName, WalkSkip::Unreachable, std::strerror(errno));
                continue;
            }
            if (S_ISDIR(es.st_mode)) {
                keepGoing = walk(folder + entryName + '/', folder, entryName);
            } else if (S_ISREG(es.st_mode)) {
                keepGoing =
                    m_visitor(WalkFile{folder, entryName, static_cast<std::int64_t>(es.st_size)});
            } else {
                report(folder, entryName, WalkSkip::SpecialFile, {});
            }
        }
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
