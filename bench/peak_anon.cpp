// Build-machine helper: runs a command and samples the anonymous resident memory (RssAnon) of it
// and of every process it starts, every half millisecond, until it ends; prints the peak of
// the largest process in KiB, then the command's exit status.
//   peak_anon COMMAND ARGS...
#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>

namespace {

long RssAnonKiB(int pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/status", pid);
    FILE* f = std::fopen(path, "r");
    if (!f)
        return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "RssAnon: %ld", &kib) == 1)
            break;
    std::fclose(f);
    return kib;
}

int ParentOf(int pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    FILE* f = std::fopen(path, "r");
    if (!f)
        return 0;
    char buffer[512] = {};
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    buffer[n] = 0;
    const char* close = std::strrchr(buffer, ')');
    int parent = 0;
    if (close)
        std::sscanf(close + 2, "%*c %d", &parent);
    return parent;
}

// The command and its descendants; rescanned now and then, since Wine may start helpers.
std::set<int> Family(int root) {
    std::map<int, int> parents;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* e = readdir(proc)) {
            const int pid = std::atoi(e->d_name);
            if (pid > 0)
                parents[pid] = ParentOf(pid);
        }
        closedir(proc);
    }
    std::set<int> family{root};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, parent] : parents)
            if (family.count(parent) && family.insert(pid).second)
                grew = true;
    }
    return family;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const pid_t child = fork();
    if (child == 0) {
        // Only the figures go to the output; the command's own words would mix with them.
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    long peak = 0;
    int status = 0;
    std::set<int> family{child};
    for (int tick = 0;; ++tick) {
        if (waitpid(child, &status, WNOHANG) == child)
            break;
        if (tick % 20 == 0)
            family = Family(child);
        for (int pid : family) {
            const long kib = RssAnonKiB(pid);
            if (kib > peak)
                peak = kib;
        }
        usleep(500);
    }
    std::printf("%ld %d\n", peak, WIFEXITED(status) ? WEXITSTATUS(status) : 255);
    return 0;
}
