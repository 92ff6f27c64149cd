// The desktop's media controls: the program as a media player on a session
// bus of the test's own, driven over D-Bus as media keys and foot pedals do.
#include "support/testutil.h"
#include "support/tonewav.h"

#include "lesson/lesson.h"
#include "platform/mprisservice.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

const QString Path = QStringLiteral("/org/mpris/MediaPlayer2");
const QString Player = QStringLiteral("org.mpris.MediaPlayer2.Player");

// A private session bus for one test, and two connections to it: one for
// the program, one for the desktop that sends the keys.
struct SessionBus {
    QProcess daemon;
    QString address;

    SessionBus()
    {
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address")});
        if (!daemon.waitForStarted(10000))
            return;
        while (!daemon.canReadLine() && daemon.waitForReadyRead(10000)) {
        }
        address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~SessionBus()
    {
        for (const QString &name : {QStringLiteral("program"), QStringLiteral("desktop")})
            QDBusConnection::disconnectFromBus(name);
        daemon.kill();
        daemon.waitForFinished(10000);
    }
    QDBusConnection connect(const QString &name) const
    {
        return QDBusConnection::connectToBus(address, name);
    }
};

// Calls a method of the player without blocking, so the program, on this
// same thread, can answer; true once the reply came back without error.
bool callPlayer(const QDBusConnection &desktop, const QString &service, const QString &method,
                const QList<QVariant> &arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, Path, Player, method);
    call.setArguments(arguments);
    QDBusPendingCallWatcher watcher(desktop.asyncCall(call));
    QSignalSpy done(&watcher, &QDBusPendingCallWatcher::finished);
    if (!watcher.isFinished() && !done.wait(10000))
        return false;
    return !watcher.isError();
}

QVariant playerProperty(const QDBusConnection &desktop, const QString &service, const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, Path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << Player << name;
    QDBusPendingCallWatcher watcher(desktop.asyncCall(get));
    QSignalSpy done(&watcher, &QDBusPendingCallWatcher::finished);
    if (!watcher.isFinished() && !done.wait(10000))
        return {};
    QDBusPendingReply<QDBusVariant> reply = watcher;
    return reply.isValid() ? reply.value().variant() : QVariant();
}

} // namespace

TEST(MediaControls, KeysDriveTheWindowOverDBus)
{
    SessionBus bus;
    ASSERT_FALSE(bus.address.isEmpty()) << "dbus-daemon did not start";
    QTemporaryDir shared;
    const QString wav =
        writeCuedLesson(shared.path(), {"One small step.", "The cat sat down.", "We went home."});
    WindowHarness h;
    MprisService service(bus.connect(QStringLiteral("program")));
    ASSERT_TRUE(service.isRegistered());
    EXPECT_EQ(service.serviceName(), QStringLiteral("org.mpris.MediaPlayer2.quillmar"));
    h.w().attachMediaControls(&service);
    const QDBusConnection desktop = bus.connect(QStringLiteral("desktop"));
    ASSERT_TRUE(desktop.isConnected());
    const QString name = service.serviceName();

    // Nothing open: stopped, nothing to go to.
    EXPECT_EQ(playerProperty(desktop, name, QStringLiteral("PlaybackStatus")).toString(),
              QStringLiteral("Stopped"));
    EXPECT_EQ(playerProperty(desktop, name, QStringLiteral("CanGoNext")).toBool(), false);

    h.w().OpenSourceFile(wav);
    h.player.length = 8.0;
    h.player.setStateAndNotify(MediaPlayer::Playing);
    FakePlayer::flushEvents();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.feature<Lesson>().count() == 3; }, 30000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.loop().start() > 0; }, 5000));
    EXPECT_EQ(playerProperty(desktop, name, QStringLiteral("PlaybackStatus")).toString(),
              QStringLiteral("Playing"));
    const QVariantMap metadata = qdbus_cast<QVariantMap>(
        playerProperty(desktop, name, QStringLiteral("Metadata")).value<QDBusArgument>());
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(),
              QFileInfo(wav).completeBaseName());

    struct Step {
        const char *method;
        int state;        // the player's afterwards
        double loopStart; // afterwards; < 0: unchanged
    };
    const double first = h.loop().start();
    const Step steps[] = {
        {"PlayPause", MediaPlayer::Paused, -1},
        {"PlayPause", MediaPlayer::Playing, -1},
        {"Pause", MediaPlayer::Paused, -1},
        {"Pause", MediaPlayer::Paused, -1},
        {"Play", MediaPlayer::Playing, -1},
        {"Next", MediaPlayer::Playing, first + 2.0},
        {"Next", MediaPlayer::Playing, first + 4.0},
        {"Previous", MediaPlayer::Playing, first + 2.0},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.method);
        const double before = h.loop().start();
        ASSERT_TRUE(callPlayer(desktop, name, QLatin1String(s.method)));
        FakePlayer::flushEvents();
        EXPECT_EQ(h.player.state, s.state);
        EXPECT_NEAR(h.loop().start(), s.loopStart < 0 ? before : s.loopStart, 0.01);
    }
    EXPECT_EQ(playerProperty(desktop, name, QStringLiteral("PlaybackStatus")).toString(),
              QStringLiteral("Playing"));

    // Seek by an offset in microseconds; Stop.
    h.player.position = 3.9; // in the loop of the second sentence, 2.5-4.0
    ASSERT_TRUE(callPlayer(desktop, name, QStringLiteral("Seek"), {qlonglong(-1000000)}));
    EXPECT_NEAR(h.player.position, 2.9, 0.01);
    ASSERT_TRUE(callPlayer(desktop, name, QStringLiteral("Stop")));
    FakePlayer::flushEvents();
    EXPECT_EQ(h.player.state, MediaPlayer::Stopped);
}

TEST(MediaControls, ASecondCopyTakesAnInstanceName)
{
    SessionBus bus;
    ASSERT_FALSE(bus.address.isEmpty()) << "dbus-daemon did not start";
    const QDBusConnection connection = bus.connect(QStringLiteral("program"));
    MprisService first(connection);
    MprisService second(bus.connect(QStringLiteral("desktop")));
    ASSERT_TRUE(first.isRegistered());
    ASSERT_TRUE(second.isRegistered());
    EXPECT_EQ(first.serviceName(), QStringLiteral("org.mpris.MediaPlayer2.quillmar"));
    EXPECT_TRUE(second.serviceName().startsWith(
        QStringLiteral("org.mpris.MediaPlayer2.quillmar.instance")));
}
