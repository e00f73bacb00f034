#include "../ChildRun.h"

#include <chrono>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void Redirect(const std::string& file, int fd, int flags)
{
    const int opened = ::open(file.empty() ? "/dev/null" : file.c_str(), flags, 0644);
    if (opened < 0)
        ::_exit(127);
    ::dup2(opened, fd);
    ::close(opened);
}

}  // namespace

TChildRun RunChild(const std::vector<std::string>& argv, const std::string& inFile,
                   const std::string& outFile, const std::string& errFile)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    TChildRun run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0)
        return run;
    if (pid == 0) {
        Redirect(inFile, 0, O_RDONLY);
        Redirect(outFile, 1, O_WRONLY | O_CREAT | O_TRUNC);
        Redirect(errFile, 2, O_WRONLY | O_CREAT | O_TRUNC);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.Started = !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.PeakMiB = double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    return run;
}

TChildRun RunShell(const std::string& command)
{
    return RunChild({"/bin/sh", "-c", command}, "", "", "");
}
