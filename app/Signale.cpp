#include "Signale.h"

#include <QCoreApplication>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kabel {

#ifdef Q_OS_UNIX
namespace {

int weckpaar[2] = {-1, -1};

// A signal handler may do next to nothing: it only wakes the event loop through a socket.
void melden(int) {
    const char byte = 1;
    [[maybe_unused]] const auto geschrieben = ::write(weckpaar[0], &byte, 1);
}

} // namespace
#endif

void beiEndesignalBeenden() {
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, weckpaar) != 0)
        return;
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
