#include "platform/mprisservice.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>
#include <cmath>

namespace {

const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString TrackPath = QStringLiteral("/org/quillmar/track/current");
constexpr double MicrosecondsPerSecond = 1e6;

QString statusName(MediaControls::Status status)
{
    switch (status) {
    case MediaControls::Status::Playing:
        return QStringLiteral("Playing");
    case MediaControls::Status::Paused:
        return QStringLiteral("Paused");
    case MediaControls::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap metadataOf(const MediaControls::State &state)
{
    QVariantMap metadata;
    if (state.title.isEmpty())
        return metadata;
    metadata.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(QDBusObjectPath(TrackPath)));
    metadata.insert(QStringLiteral("xesam:title"), state.title);
    if (state.length > 0)
        metadata.insert(QStringLiteral("mpris:length"),
                        qlonglong(state.length * MicrosecondsPerSecond));
    return metadata;
}

} // namespace

// org.mpris.MediaPlayer2: who the player is.
class MprisRoot : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    MprisRoot(QObject *object, MprisService *service)
        : QDBusAbstractAdaptor(object), m_service(service)
    {}
    bool canQuit() const { return false; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Quillmar"); }
    QString desktopEntry() const { return QStringLiteral("quillmar"); }
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

public Q_SLOTS:
    void Raise() { Q_EMIT m_service->raiseRequested(); }
    void Quit() {}

private:
    MprisService *m_service;
};

// org.mpris.MediaPlayer2.Player: the transport. Next and Previous move by a
// sentence.
class MprisPlayer : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canControlOpen)
    Q_PROPERTY(bool CanGoPrevious READ canControlOpen)
    Q_PROPERTY(bool CanPlay READ canControlOpen)
    Q_PROPERTY(bool CanPause READ canControlOpen)
    Q_PROPERTY(bool CanSeek READ canControlOpen)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    MprisPlayer(QObject *object, MprisService *service)
        : QDBusAbstractAdaptor(object), m_service(service)
    {}
    QString playbackStatus() const { return statusName(m_service->state().status); }
    double rate() const { return 1.0; }
    QVariantMap metadata() const { return metadataOf(m_service->state()); }
    double volume() const { return 1.0; }
    qlonglong position() const
    {
        return qlonglong(m_service->state().position * MicrosecondsPerSecond);
    }
    bool canControlOpen() const { return !m_service->state().title.isEmpty(); }
    bool canControl() const { return true; }

public Q_SLOTS:
    void Next() { Q_EMIT m_service->nextRequested(); }
    void Previous() { Q_EMIT m_service->previousRequested(); }
    void Pause() { Q_EMIT m_service->pauseRequested(); }
    void PlayPause() { Q_EMIT m_service->playPauseRequested(); }
    void Stop() { Q_EMIT m_service->stopRequested(); }
    void Play() { Q_EMIT m_service->playRequested(); }
    void Seek(qlonglong offset) { Q_EMIT m_service->seekRequested(offset / MicrosecondsPerSecond); }
    void SetPosition(const QDBusObjectPath &track, qlonglong position)
    {
        // A request for another track than the one playing is stale.
        if (track.path() == TrackPath && position >= 0)
            Q_EMIT m_service->positionRequested(position / MicrosecondsPerSecond);
    }
    void OpenUri(const QString &) {}

Q_SIGNALS:
    void Seeked(qlonglong position);

private:
    MprisService *m_service;
};

MprisService::MprisService(const QDBusConnection &connection, QObject *parent)
    : MediaControls(parent), m_connection(connection), m_object(new QObject(this))
{
    new MprisRoot(m_object, this);
    m_player = new MprisPlayer(m_object, this);
    if (!m_connection.isConnected())
        return;
    const QString base = QStringLiteral("org.mpris.MediaPlayer2.quillmar");
    m_serviceName = base;
    if (!m_connection.registerService(m_serviceName)) {
        m_serviceName =
            base + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!m_connection.registerService(m_serviceName)) {
            m_serviceName.clear();
            return;
        }
    }
    m_registered = m_connection.registerObject(ObjectPath, m_object);
}

MprisService::~MprisService()
{
    if (m_registered)
        m_connection.unregisterObject(ObjectPath);
    if (!m_serviceName.isEmpty())
        m_connection.unregisterService(m_serviceName);
}

void MprisService::setState(const State &state)
{
    QVariantMap changed;
    if (state.status != m_state.status)
        changed.insert(QStringLiteral("PlaybackStatus"), statusName(state.status));
    const bool trackChanged = state.title != m_state.title || state.length != m_state.length;
    // A jump (a new sentence, a seek) is told; the steady advance is not.
    const double expected = m_state.position;
    const bool jumped = std::abs(state.position - expected) > 1.0 && !trackChanged;
    m_state = state;
    if (trackChanged) {
        changed.insert(QStringLiteral("Metadata"), metadataOf(state));
        const bool open = !state.title.isEmpty();
        for (const char *name : {"CanGoNext", "CanGoPrevious", "CanPlay", "CanPause", "CanSeek"})
            changed.insert(QLatin1String(name), open);
    }
    if (!changed.isEmpty())
        emitChanged(changed);
    if (jumped && m_registered)
        Q_EMIT m_player->Seeked(qlonglong(state.position * MicrosecondsPerSecond));
}

void MprisService::emitChanged(const QVariantMap &changed)
{
    if (!m_registered)
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << PlayerInterface << changed << QStringList();
    m_connection.send(signal);
}

#include "mprisservice.moc"
