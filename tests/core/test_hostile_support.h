#pragma once

// Running the real tobrin binary on hostile inputs and measuring it: exit
// status, standard error, wall and processor time and the peak resident memory of the
// child and everything it waited for (ru_maxrss from wait4, which also
// covers the metafile renderer the child starts).

#include "core/sanitizer.h"
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Present only when AddressSanitizer's runtime is linked in.
extern "C" __attribute__((weak)) void __asan_init();

namespace tobrin::hostile {

// Sanitizer builds are several times slower and their shadow memory makes
// the resident size meaningless; unoptimised builds are slower too. The
// sanitizer is recognised by the compiler's flag or, where only the linking
// carries it, by its runtime being present.
inline bool Sanitized()
{
#if TOBRIN_ADDRESS_SANITIZER
    return true;
#else
    return &__asan_init != nullptr;
#endif
}

#ifdef NDEBUG
constexpr bool kOptimised = true;
#else
constexpr bool kOptimised = false;
#endif

// "Within a second" on an optimised build. Sanitizer builds are there for
// memory errors, not speed: they only have to finish; unoptimised builds get
// a multiple of the second.
inline qint64 TimeBoundMs() { return Sanitized() ? 30000 : kOptimised ? 1000 : 4000; }
// Peak resident memory; only checked where it means something.
constexpr long kMemoryBoundKb = 100 * 1024;
inline bool CheckMemory() { return !Sanitized(); }

struct Measured {
    bool started = false;
    bool killed = false;  // by the runner's own time limit
    int exitCode = -1;    // -1 unless it exited normally
    int signal = 0;       // the signal that ended it
    QByteArray err;
    qint64 ms = 0;      // wall time
    qint64 workMs = 0;  // processor time, the child's and its children's
    long maxRssKb = 0;
};

// Runs program with args (no shell), standard input and output on
// /dev/null, QT_QPA_PLATFORM=offscreen and the extra environment entries
// ("NAME=value"). Kills it after killAfterMs.
inline Measured RunMeasured(const QString& program, const QList<QByteArray>& args,
                            const QList<QByteArray>& extraEnv = {}, qint64 killAfterMs = 60000,
                            const QString& workDir = QString())
{
    Measured m;
    std::vector<std::string> argStore;
    argStore.push_back(QFile::encodeName(program).toStdString());
    for (const QByteArray& a : args)
        argStore.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& s : argStore)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        if (entry.rfind("QT_QPA_PLATFORM=", 0) == 0)
            continue;
        bool replaced = false;
        for (const QByteArray& x : extraEnv)
            replaced = replaced || entry.rfind(x.left(x.indexOf('=') + 1).toStdString(), 0) == 0;
        if (!replaced)
            envStore.push_back(entry);
    }
    envStore.push_back("QT_QPA_PLATFORM=offscreen");
    for (const QByteArray& x : extraEnv)
        envStore.push_back(x.toStdString());
    std::vector<char*> envp;
    for (std::string& s : envStore)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    const std::string dir = QFile::encodeName(workDir).toStdString();

    int errPipe[2];
    if (pipe2(errPipe, O_CLOEXEC) != 0)
        return m;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        close(errPipe[0]);
        close(errPipe[1]);
        return m;
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(errPipe[1], 2);
        if (!dir.empty() && chdir(dir.c_str()) != 0)
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    m.started = true;
    close(errPipe[1]);
    fcntl(errPipe[0], F_SETFL, O_NONBLOCK);
    int status = 0;
    rusage usage{};
    for (;;) {
        pollfd p{errPipe[0], POLLIN, 0};
        poll(&p, 1, 5);
        char buffer[4096];
        for (ssize_t n; (n = read(errPipe[0], buffer, sizeof buffer)) > 0;)
            m.err.append(buffer, qsizetype(n));
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
            break;
        const qint64 elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - start)
                                   .count();
        if (!m.killed && elapsed > killAfterMs) {
            kill(pid, SIGKILL);
            m.killed = true;
        }
    }
    m.ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    char buffer[4096];
    for (ssize_t n; (n = read(errPipe[0], buffer, sizeof buffer)) > 0;)
        m.err.append(buffer, qsizetype(n));
    close(errPipe[0]);
    m.maxRssKb = usage.ru_maxrss;
    for (const timeval& t : {usage.ru_utime, usage.ru_stime})
        m.workMs += qint64(t.tv_sec) * 1000 + t.tv_usec / 1000;
    if (WIFEXITED(status))
        m.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        m.signal = WTERMSIG(status);
    return m;
}

// Within boundMs of work and, to rule out waiting, within ten times that in
// all: a loaded machine stretches the wall clock, not the work. (gtest's
// EXPECT macros come from the including test.)
#define TOBRIN_EXPECT_QUICK(m, boundMs, what)                                            \
    do {                                                                                 \
        EXPECT_LE((m).workMs, (boundMs)) << (what) << ": work";                          \
        EXPECT_LE((m).ms, 10 * (boundMs)) << (what) << ": waited beyond a loaded machine"; \
    } while (false)

inline Measured Tobrin(const QList<QByteArray>& args, const QList<QByteArray>& extraEnv = {},
                       qint64 killAfterMs = 60000, const QString& workDir = QString())
{
    return RunMeasured(QStringLiteral(TOBRIN_BINARY), args, extraEnv, killAfterMs, workDir);
}

inline QByteArray Path(const QString& path) { return QFile::encodeName(path); }

// One line per measured case, collected for the summary the suite prints.
inline void Report(const char* what, const Measured& m)
{
    std::printf("[hostile] %-44s exit %d%s  %5lld ms (%lld of work)  %7ld KB\n", what, m.exitCode,
                m.signal ? " (signal)" : "", static_cast<long long>(m.ms), static_cast<long long>(m.workMs),
                m.maxRssKb);
    std::fflush(stdout);
}

}  // namespace tobrin::hostile
