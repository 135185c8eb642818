#include "bench/CatalogueBench.h"

#include "bench/BenchSupport.h"
#include "saver/Catalogue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace slidora::bench {

namespace {

constexpr int kMinimumSizeKb = 10;
constexpr double kCatalogueTargetRatio = 2.0;
// Folders directly below the tree's root; the rest are spread below them.
constexpr int kTopFolders = 40;

struct Tree {
    std::string root;
    int pictures = 0;   // picture files above the size limit: the catalogue
    int largeFiles = 0; // any file above the size limit: what find lists
};

// The i-th file's name: camera names in both letter cases, some ".jpeg",
// and every fifth file a text file the catalogue must leave out.
std::string fileName(int i, bool& picture) {
    static const char* const kPatterns[] = {"IMG_%06d.jpg", "img_%06d.JPEG", "Photo %06d.png",
                                            "photo %06d.PNG", "notes %06d.txt"};
    const int kind = i % 5;
    picture = kind != 4;
    char name[64];
    std::snprintf(name, sizeof name, kPatterns[kind], i);
    return name;
}

// Sparse files: the sizes are real to stat() and find, the disk stays empty.
// Every seventh file, of every kind, is at or below the limit (alternately
// exactly on it).
off_t fileSize(int i) {
    if (i % 7 == 3) return (i / 7) % 2 == 0 ? kMinimumSizeKb * 1024 : 4096;
    return kMinimumSizeKb * 1024 + 1 +
           static_cast<off_t>((static_cast<unsigned>(i) * 7919u) % 4000000u);
}

bool makeTree(const std::string& root, int folderCount, int fileCount, Tree& tree) {
    tree.root = root;
    if (mkdir(root.c_str(), 0755) != 0) return false;
    const int top = folderCount < kTopFolders ? folderCount : kTopFolders;
    std::vector<std::string> folders;
    folders.reserve(static_cast<std::size_t>(folderCount));
    char name[64];
    for (int f = 0; f < folderCount; ++f) {
        std::string path;
        if (f < top) {
            std::snprintf(name, sizeof name, "/Album %02d", f);
            path = root + name;
        } else {
            std::snprintf(name, sizeof name, "/day %04d", f);
            path = folders[static_cast<std::size_t>(f % top)] + name;
        }
        if (mkdir(path.c_str(), 0755) != 0) return false;
        folders.push_back(path);
    }
    for (int i = 0; i < fileCount; ++i) {
        bool picture = false;
        const std::string path =
            folders[static_cast<std::size_t>(i % folderCount)] + "/" + fileName(i, picture);
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        const off_t size = fileSize(i);
        const bool sized = ftruncate(fd, size) == 0;
        close(fd);
        if (!sized) return false;
        if (size > kMinimumSizeKb * 1024) {
            ++tree.largeFiles;
            if (picture) ++tree.pictures;
        }
    }
    return true;
}

} // namespace

bool runCatalogueBench(const CatalogueBenchOptions& options) {
    if (options.folders < 1 || options.files < 1) return false;
    std::printf("\nCatalogue: %d files in %d folders (sparse files, %d%% pictures), PicRead with "
                "MiniSize %d\n",
                options.files, options.folders, 80, kMinimumSizeKb);
    std::fflush(stdout);
    Tree tree;
    const BenchClock::time_point made = BenchClock::now();
    const std::string root = options.folder + "/tree";
    if (!makeTree(root, options.folders, options.files, tree)) {
        std::fprintf(stderr, "slidora-bench: cannot make the tree below %s\n", root.c_str());
        return false;
    }
    std::printf("tree made in %s ms: %d pictures and %d files above %d KiB\n",
                fixed(millisecondsSince(made), 0).c_str(), tree.pictures, tree.largeFiles,
                kMinimumSizeKb);

    const std::vector<std::string> findArgs = {
        "find", root, "-type", "f", "-size", "+" + std::to_string(kMinimumSizeKb) + "k"};
    const ChildRun counted = runProgram(findArgs, true);
    std::size_t findLines = 0;
    for (char c : counted.output)
        findLines += c == '\n' ? 1 : 0;
    bool ok = counted.exitCode == 0;
    if (findLines != static_cast<std::size_t>(tree.largeFiles)) {
        std::fprintf(stderr, "slidora-bench: find listed %zu files, %d expected\n", findLines,
                     tree.largeFiles);
        ok = false;
    }

    std::vector<double> findMs, picReadMs;
    std::size_t listed = 0;
    for (int i = 0; i <= options.runs && ok; ++i) {
        const ChildRun run = runProgram(findArgs, false);
        if (run.exitCode != 0) {
            std::fprintf(stderr, "slidora-bench: find failed\n");
            ok = false;
            break;
        }
        std::vector<std::string> list;
        const BenchClock::time_point start = BenchClock::now();
        PicRead(root, kMinimumSizeKb, list);
        const double ms = millisecondsSince(start);
        listed = list.size();
        // The first round warms both up.
        if (i > 0) {
            findMs.push_back(run.wallMs);
            picReadMs.push_back(ms);
        }
    }
    if (ok && listed != static_cast<std::size_t>(tree.pictures)) {
        std::fprintf(stderr, "slidora-bench: the catalogue holds %zu pictures, %d expected\n",
                     listed, tree.pictures);
        ok = false;
    }

    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    if (!ok) return false;

    const Timing ours = summarise(picReadMs);
    const Timing find = summarise(findMs);
    const double ratio = find.medianMs > 0 ? ours.medianMs / find.medianMs : 0;
    std::printf("PicRead: %s ms (min %s), %zu entries\n", fixed(ours.medianMs, 1).c_str(),
                fixed(ours.minMs, 1).c_str(), listed);
    std::printf("find -type f -size +%dk: %s ms (min %s)\n", kMinimumSizeKb,
                fixed(find.medianMs, 1).c_str(), fixed(find.minMs, 1).c_str());
    std::printf("target: catalogue <= %.1f x find: %s x  %s\n", kCatalogueTargetRatio,
                fixed(ratio, 2).c_str(), ratio <= kCatalogueTargetRatio ? "met" : "MISSED");
    std::printf("(median of %d runs after one warm-up, the tree in the page cache; removed)\n",
                options.runs);
    return true;
}

} // namespace slidora::bench
