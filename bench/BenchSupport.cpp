#include "bench/BenchSupport.h"

#include "platform/ProgramPaths.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace slidora::bench {

double millisecondsSince(BenchClock::time_point start) {
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

Timing summarise(std::vector<double> samplesMs) {
    if (samplesMs.empty()) return {};
    std::sort(samplesMs.begin(), samplesMs.end());
    const std::size_t n = samplesMs.size();
    const double median =
        n % 2 == 1 ? samplesMs[n / 2] : (samplesMs[n / 2 - 1] + samplesMs[n / 2]) / 2.0;
    return {median, samplesMs.front()};
}

namespace {

long statusFieldKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::strtol(line.c_str() + length + 1, nullptr, 10);
    }
    return -1;
}

} // namespace

long residentKb() {
    return statusFieldKb("VmRSS");
}
long peakResidentKb() {
    return statusFieldKb("VmHWM");
}

bool resetPeakResident() {
    std::ofstream clear("/proc/self/clear_refs");
    if (!clear) return false;
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

ScratchFolder::ScratchFolder(const std::string& prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) m_path = buffer.data();
}

ScratchFolder::~ScratchFolder() {
    if (m_path.empty() || m_keep) return;
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

ChildRun runProgram(const std::vector<std::string>& argv, bool captureOutput) {
    ChildRun run;
    if (argv.empty()) return run;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    int pipeEnds[2] = {-1, -1};
    if (captureOutput && pipe2(pipeEnds, O_CLOEXEC) != 0) return run;

    const BenchClock::time_point start = BenchClock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        if (captureOutput) {
            close(pipeEnds[0]);
            close(pipeEnds[1]);
        }
        return run;
    }
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            if (!captureOutput) dup2(devNull, STDOUT_FILENO);
        }
        if (captureOutput) dup2(pipeEnds[1], STDOUT_FILENO);
        execvp(args[0], args.data());
        _exit(127);
    }
    run.started = true;
    if (captureOutput) {
        close(pipeEnds[1]);
        char chunk[4096];
        for (;;) {
            const ssize_t got = read(pipeEnds[0], chunk, sizeof chunk);
            if (got > 0) {
                run.output.append(chunk, static_cast<std::size_t>(got));
                continue;
            }
            if (got < 0 && errno == EINTR) continue;
            break;
        }
        close(pipeEnds[0]);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) return run;
    }
    run.wallMs = millisecondsSince(start);
    run.maxResidentKb = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

double firstTouchMicrosecondsPerPage() {
    constexpr std::size_t kBytes = std::size_t{64} << 20;
    const long pageBytes = sysconf(_SC_PAGESIZE);
    if (pageBytes <= 0) return -1;
    void* block = mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return -1;
    auto* bytes = static_cast<volatile unsigned char*>(block);
    const BenchClock::time_point start = BenchClock::now();
    for (std::size_t at = 0; at < kBytes; at += static_cast<std::size_t>(pageBytes))
        bytes[at] = 1;
    const double ms = millisecondsSince(start);
    munmap(block, kBytes);
    return ms * 1000.0 / static_cast<double>(kBytes / static_cast<std::size_t>(pageBytes));
}

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return false;
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) folder = ".";
        const std::string candidate = folder + "/" + program;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string BenchResizeHost::modulePath() const {
    return resizeModulePath(programDir());
}

void BenchResizeHost::showMessage(const std::string& text) {
    std::fprintf(stderr, "slidora-bench: resampler module %s: %s\n", modulePath().c_str(),
                 text.c_str());
    std::exit(2);
}

} // namespace slidora::bench
