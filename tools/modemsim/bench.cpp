// Command-to-reply latency of the simulator: sends identification commands
// through its pty one at a time and reads, from the simulator's own
// transcript, the time between a command's arrival (dte-in) and its reply
// (dte-out). The round trip the terminal sees is printed beside it.
//
//   modemsim_bench [COMMANDS [MODEMSIM]]     (default 2000 commands)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

void report(const char* what, const std::vector<double>& us) {
    std::printf("%-34s n=%zu median=%.1f us p90=%.1f us p99=%.1f us max=%.1f us\n", what, us.size(),
                percentile(us, 0.5), percentile(us, 0.9), percentile(us, 0.99), percentile(us, 1.0));
}

bool readReply(int fd, int timeoutMs) {
    std::string got;
    while (got.find("OK\r\n") == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return false;
        char buf[256];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) return false;
        got.append(buf, n);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    const char* sim = argc > 2 ? argv[2] : QV_MODEMSIM;
    std::string transcript = "/tmp/modemsim_bench." + std::to_string(getpid()) + ".log";

    int out[2];
    if (pipe(out) != 0) return 1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        execl(sim, sim, "--transcript", transcript.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string path;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') path += c;
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::fprintf(stderr, "cannot open the simulator's pty \"%s\"\n", path.c_str());
        return 1;
    }
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);

    std::vector<double> roundTrips;
    write(fd, "ATE0\r", 5);
    readReply(fd, 2000);
    for (int i = 0; i < count; ++i) {
        auto start = std::chrono::steady_clock::now();
        if (write(fd, "ATI3\r", 5) != 5 || !readReply(fd, 2000)) break;
        roundTrips.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    close(fd);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);

    // Pairs of lines "<t> dte-in ..." and the next "<t> dte-out ...".
    std::vector<double> inside;
    std::ifstream log(transcript);
    std::string line;
    double in = -1;
    while (std::getline(log, line)) {
        double at = std::atof(line.c_str());
        if (line.find(" dte-in \"ATI3") != std::string::npos) in = at;
        if (line.find(" dte-out ") != std::string::npos && in >= 0) {
            inside.push_back((at - in) * 1e6);
            in = -1;
        }
    }
    std::remove(transcript.c_str());
    report("inside the simulator (ATI3 -> reply)", inside);
    report("terminal round trip through the pty", roundTrips);
    return inside.size() == static_cast<size_t>(count) ? 0 : 1;
}
