#include "Signale.h"

#include <QCoreApplication>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kabel {

#ifdef Q_OS_UNIX
namespace {

int weckpaar[2] = {-1, -1};

// A signal handler may do next to nothing: it only wakes the event loop through a socket, and
// leaves errno as the interrupted code had it.
void melden(int) {
    const int fehler = errno;
    const char byte = 1;
    [[maybe_unused]] const auto geschrieben = ::write(weckpaar[0], &byte, 1);
    errno = fehler;
}

} // namespace
#endif

void beiEndesignalBeenden() {
#ifdef Q_OS_UNIX
    // Close-on-exec: the tools, started from this process, must not inherit the pair. Non-blocking:
    // a handler must never wait, even if many signals arrive before the loop reads.
#ifdef SOCK_CLOEXEC
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, weckpaar) != 0)
        return;
#else // the Mac knows no flags here; no tool runs yet, so setting them afterwards is as good
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, weckpaar) != 0)
        return;
    for (const int ende : weckpaar) {
        ::fcntl(ende, F_SETFD, FD_CLOEXEC);
        ::fcntl(ende, F_SETFL, ::fcntl(ende, F_GETFL) | O_NONBLOCK);
    }
#endif
    auto* wecker = new QSocketNotifier(weckpaar[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(wecker, &QSocketNotifier::activated, QCoreApplication::instance(), [] {
        char byte;
        [[maybe_unused]] const auto gelesen = ::read(weckpaar[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction aktion {};
    aktion.sa_handler = melden;
    sigemptyset(&aktion.sa_mask);
    aktion.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &aktion, nullptr);
#endif
}

} // namespace kabel
