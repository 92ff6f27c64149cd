#include "support/fakeplayer.h"

#include "platform/errors.h"

#include <QCoreApplication>
#include <QMetaObject>

void FakePlayer::record(const QString &call) const
{
    m_calls->append(call);
    const QString name = call.section(QLatin1Char(':'), 0, 0);
    if (failing.contains(name))
        throw PlayerError(QStringLiteral("播放器调用失败: %1").arg(name));
}

void FakePlayer::setUrl(const QString &path)
{
    if (starting)
        finishStarting();
    record(QStringLiteral("url:") + path);
    url = path;
    position = 0.0;
    if (followCommands)
        setStateAndNotify(Transitioning);
}

int FakePlayer::playState() const
{
    return state;
}

QString FakePlayer::status() const
{
    return statusText;
}

void FakePlayer::play()
{
    record(QStringLiteral("play"));
    if (followCommands)
        setStateAndNotify(Playing);
}

void FakePlayer::pause()
{
    record(QStringLiteral("pause"));
    if (followCommands && state != Paused)
        setStateAndNotify(Paused);
}

void FakePlayer::stop()
{
    record(QStringLiteral("stop"));
    if (followCommands) {
        position = 0.0;
        if (state != Stopped && !url.isEmpty())
            setStateAndNotify(Stopped);
    }
}

double FakePlayer::currentPosition() const
{
    record(QStringLiteral("pos"));
    return position;
}

void FakePlayer::setCurrentPosition(double seconds)
{
    record(QStringLiteral("seek:") + QString::number(seconds));
    position = seconds;
}

double FakePlayer::duration() const
{
    return length;
}

void FakePlayer::close()
{
    record(QStringLiteral("close"));
    if (followCommands) {
        url.clear();
        position = 0.0;
        if (state != Undefined)
            setStateAndNotify(Undefined);
    }
}

void FakePlayer::setSpeed(double factor)
{
    speedFactor = factor;
}

double FakePlayer::speed() const
{
    return speedFactor;
}

void FakePlayer::setVolume(int percent)
{
    volumePercent = percent;
}

int FakePlayer::volume() const
{
    return volumePercent;
}

void FakePlayer::setLoopRange(double a, double b)
{
    loopA = a;
    loopB = b;
}

bool FakePlayer::isStarting() const
{
    return starting;
}

void FakePlayer::finishStarting()
{
    starting = false;
    QMetaObject::invokeMethod(this, &MediaPlayer::started, Qt::QueuedConnection);
}

void FakePlayer::setStateAndNotify(int newState)
{
    state = newState;
    QMetaObject::invokeMethod(
        this, [this, newState] { Q_EMIT playStateChanged(newState); }, Qt::QueuedConnection);
}

void FakePlayer::flushEvents()
{
    // Queued notices only: a timer that fell due while a slow window was being
    // built must not tick behind the test's back.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    QCoreApplication::sendPostedEvents();
}
