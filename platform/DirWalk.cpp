#include "platform/DirWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <utility>

namespace slidora {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

class Walker {
public:
    explicit Walker(const WalkVisitor& visitor) : m_visitor(visitor) {}

    // Returns false when the visitor asked to stop.
    bool walk(const std::string& folder) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return true;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !m_visited.insert({st.st_dev, st.st_ino}).second) {
            ::close(fd);
            return true;
        }
        DIR* dir = ::fdopendir(fd);
        if (dir == nullptr) {
            ::close(fd);
            return true;
        }
        bool keepGoing = true;
        while (keepGoing) {
            const dirent* entry = ::readdir(dir);
            if (entry == nullptr) break;
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            // stat (not lstat): links count as what they lead to. A FIFO is
            // only stat-ed, never opened, so it cannot block the walk.
            struct stat es {};
            if (::fstatat(::dirfd(dir), entry->d_name, &es, 0) != 0) continue;
            if (S_ISDIR(es.st_mode)) {
                keepGoing = walk(folder + name + '/');
            } else if (S_ISREG(es.st_mode)) {
                keepGoing = m_visitor(WalkFile{folder, name, static_cast<std::int64_t>(es.st_size)});
            }
        }
        ::closedir(dir);
        return keepGoing;
    }

private:
    const WalkVisitor& m_visitor;
    std::set<FolderId> m_visited;
};

} // namespace

bool walkFolder(const std::string& folder, const WalkVisitor& visitor) {
    if (folder.empty()) return true;
    const std::string start = folder.back() == '/' ? folder : folder + '/';
    Walker walker(visitor);
    return walker.walk(start);
}

bool folderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace slidora
