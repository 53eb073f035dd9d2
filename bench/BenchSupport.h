#pragma once

// What the benchmarks share: giving up when the set-up fails, the peak
// memory of the process, set-up work in a child process, and a new office.
#include "AppDir.h"
#include "Storage.h"

#include <QString>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace BenchSupport {

// A benchmark whose set-up fails has nothing to measure.
[[noreturn]] inline void fail(const QString& error)
{
    std::fprintf(stderr, "%s\n", qPrintable(error));
    std::exit(1);
}

// The peak resident set of the process so far.
inline double peakMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// Runs work in a child process, so that what it takes does not count in
// this process's peak; what says what failed when the child does.
template <typename Work>
void inChild(Work work, const QString& what)
{
    const pid_t child = fork();
    if (child == 0) {
        work();
        std::fflush(nullptr);
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail(what + QStringLiteral(" failed"));
}

// A new office in dir, the program's application directory, with every
// database made.
inline std::unique_ptr<Storage> newOffice(const QString& dir)
{
    AppDir::set(dir);
    StorageConfig cfg;
    cfg.appDir = dir;
    auto storage = std::make_unique<Storage>(cfg);
    QString error;
    if (!storage->initialize(&error))
        fail(error);
    return storage;
}

}  // namespace BenchSupport
