#pragma once

#include "core/platform/runtime_error.h"
#include "support/printers.h"

#include <cstdint>
#include <fstream>

#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessaron {

// No error at all, where a table of cases wants one.
inline constexpr ErrorNumber kNoError{};

// The run-time error number an action raises, kNoError when it raises none: most
// failures a player meets are told apart only by that number.
inline ErrorNumber errorNumberOf(auto&& action)
{
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return kNoError;
}



// The superuser may read and overwrite anything, so what a player may not do is tried
// as a plain user: the test's own one, or nobody when the tests run as root.
inline const uid_t playerUid = ::geteuid() == 0 ? 65534 : ::geteuid();
inline const gid_t playerGid = ::geteuid() == 0 ? 65534 : ::getegid();

// errorNumberOf(action) in a child process that `prepare` (returning false when it
// cannot) has set up first; -1 when it could not be prepared or died, a std::bad_alloc
// that got out of the action included.
inline ErrorNumber errorNumberInChild(auto&& prepare, auto&& action)
{
    constexpr int invalidPicture = static_cast<int>(err::InvalidPicture);
    const pid_t child = ::fork();
    if (child == 0) {
        if (!prepare())
            ::_exit(255);
        ::_exit(static_cast<int>(errorNumberOf(action)) & 0xFF);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return ErrorNumber{-1};
    const int number = WEXITSTATUS(status);
    return ErrorNumber{number == (invalidPicture & 0xFF) ? invalidPicture : number};  // past a byte
}

// errorNumberOf(action) in a child process run as the player and, with `headroom`, able
// to take only that many bytes more than it holds.
inline ErrorNumber errorNumberAsPlayer(auto&& action, std::int64_t headroom = 0)
{
    const auto asPlayer = [headroom] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(playerGid) != 0 || ::setuid(playerUid) != 0))
            return false;
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlimit limit{rlim_t(pages * ::sysconf(_SC_PAGESIZE) + headroom), RLIM_INFINITY};
        return headroom <= 0 || ::setrlimit(RLIMIT_AS, &limit) == 0;
    };
    return errorNumberInChild(asPlayer, action);
}

}  // namespace tessaron
