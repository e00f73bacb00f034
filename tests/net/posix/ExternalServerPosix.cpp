#include "ExternalServer.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The server prints "Serving HTTP on 127.0.0.1 port N (...)" once it listens.
std::uint16_t ReadPort(int fd, int timeoutMs)
{
    std::string seen;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 100) <= 0)
            continue;
        char buffer[256];
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return 0;
        seen.append(buffer, static_cast<std::size_t>(got));
        std::size_t at = seen.find(" port ");
        if (at != std::string::npos && seen.find(' ', at + 6) != std::string::npos)
            return static_cast<std::uint16_t>(std::stoi(seen.substr(at + 6)));
    }
    return 0;
}

}  // namespace

TExternalServer::~TExternalServer()
{
    if (FProcess > 0) {
        pid_t pid = static_cast<pid_t>(FProcess);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (FOutput >= 0)
        close(static_cast<int>(FOutput));
}

bool TExternalServer::Start(const std::string& folder, const std::string& protocol,
                            std::string& why)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        why = "no pipe";
        return false;
    }
    pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a crashed test
        dup2(out[1], STDOUT_FILENO);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execlp("python3", "python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
               "--directory", folder.c_str(), "--protocol", protocol.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        close(out[0]);
        why = "fork failed";
        return false;
    }
    FProcess = pid;
    // The read end stays open while the server runs: a closed one would fail
    // the server's next write to its output and end it.
    FOutput = out[0];
    FPort = ReadPort(out[0], 15000);
    if (FPort == 0)
        why = "python3 -m http.server did not start";
    return FPort != 0;
}
