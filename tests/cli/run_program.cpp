#include "run_program.h"

#include "cli/app.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace nvx::test {

std::string TempFile(const std::string& content) {
    char name[] = "/tmp/norvadex_cli_test_XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) return {};
    if (!content.empty() && write(fd, content.data(), content.size()) < 0) {
        close(fd);
        return {};
    }
    close(fd);
    return name;
}

ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& input,
                      std::optional<std::chrono::milliseconds> interruptAfter, StdoutTo stdoutTo) {
    ProgramRun run;
    const std::string in = TempFile(input), out = TempFile(""), err = TempFile("");
    if (in.empty() || out.empty() || err.empty()) {
        ADD_FAILURE() << "cannot create temporary files";
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    int pipeEnds[2] = {-1, -1};
    switch (stdoutTo) {
    case StdoutTo::File:
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_TRUNC, 0);
        break;
    case StdoutTo::Closed:
        posix_spawn_file_actions_addclose(&actions, 1);
        break;
    case StdoutTo::PipeWithoutReader:
        if (pipe(pipeEnds) != 0) {
            ADD_FAILURE() << "cannot create a pipe";
            return run;
        }
        close(pipeEnds[0]);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
        break;
    }
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_TRUNC, 0);
    std::vector<char*> argv;
    std::string program = NORVADEX_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (pipeEnds[1] >= 0) close(pipeEnds[1]);
    if (rc != 0) {
        ADD_FAILURE() << "cannot start " << program;
        return run;
    }
    if (interruptAfter) {
        std::this_thread::sleep_for(*interruptAfter);
        kill(pid, SIGINT);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    if (WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    else if (WIFSIGNALED(wstatus))
        run.status = 128 + WTERMSIG(wstatus);
    run.out = ReadAndClose(std::fopen(out.c_str(), "rb"));
    run.err = ReadAndClose(std::fopen(err.c_str(), "rb"));
    std::remove(in.c_str());
    std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}

ProgramRun RunInProcess(const std::vector<std::string>& args, const std::string& input,
                        std::FILE* out, std::FILE* inFile) {
    std::istringstream in(input);
    std::FILE* err = std::tmpfile();
    std::FILE* captured = out ? nullptr : std::tmpfile();
    ProgramRun r;
    r.status = cli::RunCli(args, {in, out ? out : captured, err, false, inFile});
    if (captured) r.out = ReadAndClose(captured);
    r.err = ReadAndClose(err);
    return r;
}

std::string ReadAndClose(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        text.append(buf, n);
    std::fclose(f);
    return text;
}

std::vector<nlohmann::json> JsonLines(const std::string& out) {
    std::vector<nlohmann::json> objects;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        objects.push_back(nlohmann::json::parse(line, nullptr, false));
        EXPECT_FALSE(objects.back().is_discarded()) << line;
    }
    return objects;
}

} // namespace nvx::test
