#pragma once

#include "platform/mediacontrols.h"

#include <QDBusConnection>

class MprisRoot;
class MprisPlayer;

// The media controls of Linux desktops: the program as a media player on the
// session bus (the MPRIS interface), under org.mpris.MediaPlayer2.quillmar, or
// with ".instance<pid>" added when another copy holds that name.
class MprisService : public MediaControls
{
    Q_OBJECT
public:
    explicit MprisService(const QDBusConnection &connection, QObject *parent = nullptr);
    ~MprisService() override;

    // False when there is no session bus or the object could not be placed.
    bool isRegistered() const { return m_registered; }
    QString serviceName() const { return m_serviceName; }

    void setState(const State &state) override;
    const State &state() const { return m_state; }

private:
    friend class MprisRoot;
    friend class MprisPlayer;
    void emitChanged(const QVariantMap &changed);

    QDBusConnection m_connection;
    QObject *m_object;
    MprisPlayer *m_player = nullptr;
    State m_state;
    QString m_serviceName;
    bool m_registered = false;
};
