#include "platform/terminationsignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler has no object to reach; this is the one place it writes to.
std::atomic<int> writeEnd{-1};

extern "C" void onTerminationSignal(int signal)
{
    const int saved = errno;
    const int fd = writeEnd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

struct TerminationSignals::PreviousHandlers {
    struct sigaction term {
    };
    struct sigaction hup {
    };
};

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    static_assert(std::atomic<int>::is_always_lock_free);
    if (writeEnd.load() >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_fds) != 0)
        return;
    writeEnd.store(m_fds[0]);

    m_previous = std::make_unique<PreviousHandlers>();
    struct sigaction action {
    };
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGTERM, &action, &m_previous->term) != 0) {
        writeEnd.store(-1);
        ::close(m_fds[0]);
        ::close(m_fds[1]);
        m_fds[0] = m_fds[1] = -1;
        return;
    }
    ::sigaction(SIGHUP, &action, &m_previous->hup);

    m_notifier = std::make_unique<QSocketNotifier>(m_fds[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignals);
    m_active = true;
}

TerminationSignals::~TerminationSignals()
{
    if (!m_active)
        return;
    ::sigaction(SIGTERM, &m_previous->term, nullptr);
    ::sigaction(SIGHUP, &m_previous->hup, nullptr);
    writeEnd.store(-1);
    m_notifier.reset();
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

void TerminationSignals::readSignals()
{
    unsigned char bytes[16];
    ssize_t n;
    while ((n = ::read(m_fds[1], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i)
            emit terminationRequested(bytes[i]);
    }
}
