#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// Turns SIGTERM and SIGHUP (logout, shutdown, `kill`) into a signal on the
// thread that created the object, so the program can write its recovery copy
// and quit in order. The raw handler only writes the signal number to a
// socket. One instance at a time per process; the previous handlers come back
// when it goes.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // False when the handlers could not be installed (or another instance
    // has them).
    bool isActive() const { return m_active; }

signals:
    void terminationRequested(int signal);

private:
    void readSignals();

    // The handlers in place before, given back at the end.
    struct PreviousHandlers;

    bool m_active = false;
    int m_fds[2] = {-1, -1};
    std::unique_ptr<PreviousHandlers> m_previous;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
