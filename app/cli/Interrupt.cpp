#include "app/cli/Interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "app/io/AtomicFile.h"

namespace lq {

namespace {

extern "C" void OnInterrupt(int signal)
{
    // Only async-signal-safe calls here; on a terminal the line replaces a progress line.
    constexpr char kErase[] = "\r\033[K";
    constexpr char kLine[] = "lqhost: interrupted\n";
    constexpr char kNothing[] = "lqhost: interrupted; no output was written\n";
    if (::isatty(STDERR_FILENO) == 1)
        (void)!::write(STDERR_FILENO, kErase, sizeof kErase - 1);
    if (OutputsCommitted())
        (void)!::write(STDERR_FILENO, kLine, sizeof kLine - 1);
    else
        (void)!::write(STDERR_FILENO, kNothing, sizeof kNothing - 1);
    // Die of the signal, so that a calling shell or make stops as well.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

}  // namespace

void InstallInterruptHandlers()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before;
        // A signal ignored by whoever started lqhost (nohup) stays ignored.
        if (::sigaction(s, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(s, &action, nullptr);
    }
}

}  // namespace lq
