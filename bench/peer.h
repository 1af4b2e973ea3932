#pragma once
// Peers are other programs doing the same work as ours, timed as whole processes. A peer
// that is missing, or that fails for lack of something it needs, would only leave gaps in
// a table; so each is tried once before it is timed, and a failure is told on standard
// error with the program's own words, and makes the benchmark exit non-zero.

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

// One command line of a peer, ready to be started many times in a timing loop.
class PeerCommand {
public:
    PeerCommand(std::string program, std::string name, std::vector<std::string> args)
        : program_(std::move(program)), args_(std::move(args))
    {
        args_.insert(args_.begin(), std::move(name));
        for (std::string& arg : args_)
            argv_.push_back(arg.data());
        argv_.push_back(nullptr);
    }

    // argv_ points into args_: a move keeps the strings where they are, a copy would not.
    PeerCommand(PeerCommand&&) = default;
    PeerCommand(const PeerCommand&) = delete;
    PeerCommand& operator=(const PeerCommand&) = delete;

    // Its exit status, or -1 when it did not start or did not exit. Its outputs go nowhere,
    // so that no terminal slows it down.
    int run() const
    {
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        pid_t child = 0;
        const int started = posix_spawn(&child, program_.c_str(), &quiet, nullptr, argv_.data(), environ);
        posix_spawn_file_actions_destroy(&quiet);
        if (started != 0)
            return -1;
        int status = 0;
        if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

    // Runs it once, keeping what it says on standard error: empty when it exits 0,
    // otherwise why it failed.
    std::string whyFails() const
    {
        QStringList args;
        for (std::size_t i = 1; i < args_.size(); ++i)
            args << QString::fromStdString(args_[i]);
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QString::fromStdString(program_), args);
        if (!process.waitForFinished(60000))
            return "did not run: " + process.errorString().toStdString();
        if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
            return {};
        const QString said = QString::fromLocal8Bit(process.readAllStandardError()).simplified();
        std::string why = process.exitStatus() == QProcess::NormalExit
            ? "exit status " + std::to_string(process.exitCode())
            : std::string("crashed");
        return said.isEmpty() ? why : why + ": " + said.left(400).toStdString();
    }

private:
    std::string program_;
    std::vector<std::string> args_;
    std::vector<char*> argv_;
};

class Peer {
public:
    // packages: the Debian packages it needs to run, all of which scripts/setup.sh installs.
    Peer(std::string name, std::string packages)
        : name_(std::move(name)), packages_(std::move(packages)),
          program_(QStandardPaths::findExecutable(QString::fromStdString(name_)).toStdString())
    {
        if (program_.empty())
            fail("is not found on the PATH");
    }

    bool found() const { return !program_.empty(); }
    bool failed() const { return failed_; }

    PeerCommand command(std::vector<std::string> args) const { return {program_, name_, std::move(args)}; }

    // Tries the command once before it is timed; on what it works, for the message.
    bool works(const PeerCommand& command, const std::string& on)
    {
        if (!found())
            return false;
        const std::string why = command.whyFails();
        if (!why.empty())
            fail("fails on " + on, why);
        return why.empty();
    }

    // Said once per reason: a peer short of something fails alike on every file.
    void fail(const std::string& what, const std::string& why = {})
    {
        const bool again = failed_ && why == lastWhy_;
        std::fprintf(stderr, "PEER FAILED: %s %s%s%s\n", name_.c_str(), what.c_str(), why.empty() ? "" : ": ",
            again ? "the same" : why.c_str());
        if (!failed_)
            std::fprintf(stderr, "  %s needs the Debian packages %s, which bash scripts/setup.sh installs.\n",
                name_.c_str(), packages_.c_str());
        std::fflush(stderr);
        failed_ = true;
        lastWhy_ = why;
    }

private:
    std::string name_;
    std::string packages_;
    std::string program_;
    bool failed_ = false;
    std::string lastWhy_;
};
