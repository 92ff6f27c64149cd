#include "platform/mpvplayer.h"

#include "platform/errors.h"
#include "platform/mpvlibrary.h"
#include "platform/mpvvideo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QThread>

#include <mpv/client.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

Q_LOGGING_CATEGORY(lcMpv, "quillmar.mpv")

constexpr double MinSpeed = 0.5;
constexpr double MaxSpeed = 1.5;
// How often libmpv's position is read while playing: what a caller reads is
// never older than that.
constexpr int SampleMs = 10;

// Why libmpv could not open a file, in the user's words.
QString openFailureReason(int error, const QString &mpvText)
{
    switch (error) {
    case MPV_ERROR_LOADING_FAILED:
        return QCoreApplication::translate("MpvPlayer", "无法读取该文件");
    case MPV_ERROR_UNKNOWN_FORMAT:
        return QCoreApplication::translate("MpvPlayer", "不是可识别的音频格式");
    case MPV_ERROR_NOTHING_TO_PLAY:
        return QCoreApplication::translate("MpvPlayer", "文件中没有可播放的音频");
    case MPV_ERROR_AO_INIT_FAILED:
        return QCoreApplication::translate("MpvPlayer", "无法打开音频输出设备");
    default:
        return QCoreApplication::translate("MpvPlayer", "播放器错误（%1）").arg(mpvText);
    }
}

// Problems found before handing the path to libmpv. A folder in particular
// must not get there: libmpv would play the files inside it.
QString precheckReason(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QCoreApplication::translate("MpvPlayer", "文件不存在");
    if (info.isDir())
        return QCoreApplication::translate("MpvPlayer", "这是一个文件夹，不是音频文件");
    if (!info.isReadable())
        return QCoreApplication::translate("MpvPlayer", "没有读取该文件的权限");
    return {};
}

} // namespace

MpvPlayer::MpvPlayer(const QString &audioOutput, QObject *parent, const QString &library)
    : MediaPlayer(parent), m_startup(std::make_unique<MpvStartup>()), m_library(library)
{
    MpvStartup *startup = m_startup.get();
    const QByteArray clientName = QCoreApplication::applicationName().toUtf8();
    m_loader.reset(QThread::create([startup, library, audioOutput, clientName] {
        startMpv(*startup, library, audioOutput, clientName);
    }));
    connect(m_loader.get(), &QThread::finished, this, [this] { finishStartup(); });
    m_clock.start();
    m_sampler.setInterval(SampleMs);
    connect(&m_sampler, &QTimer::timeout, this, [this] { sample(); });
}

void MpvPlayer::startLoading()
{
    if (m_loading)
        return;
    m_loading = true;
    m_loader->start();
}

MpvPlayer::~MpvPlayer()
{
    m_loader->wait();
    if (!m_startup->handle)
        return;
    // The window detaches the picture first; this is the last resort.
    m_video.reset();
    m_startup->api.set_wakeup_callback(m_startup->handle, nullptr, nullptr);
    m_startup->api.terminate_destroy(m_startup->handle);
}

// Takes over what the loading thread made, once, on the player's thread.
void MpvPlayer::finishStartup()
{
    if (m_started)
        return;
    startLoading();
    m_loader->wait();
    m_started = true;
    m_api = &m_startup->api;
    // Also when a call that needed the player got here first, never from
    // inside that call.
    QMetaObject::invokeMethod(this, &MediaPlayer::started, Qt::QueuedConnection);
    if (!m_startup->error.isEmpty()) {
        qCCritical(lcMpv).noquote() << m_startup->error;
        return;
    }
    m_handle = m_startup->handle;
    try {
        const int logRc = m_api->request_log_messages(m_handle, "warn");
        if (logRc < 0)
            throw PlayerError(QCoreApplication::translate("MpvPlayer", "无法接收播放器的日志：%1")
                                  .arg(mpvText(logRc)));
        observe(EofReachedProperty, "eof-reached", MPV_FORMAT_FLAG);
        observe(PauseProperty, "pause", MPV_FORMAT_FLAG);
        observe(DurationProperty, "duration", MPV_FORMAT_DOUBLE);
        m_heard.setClockLeads(stretcherClockLeads(*m_api, m_handle));
        // Set before libmpv was there.
        setDoubleProperty("speed", m_speed);
        setDoubleProperty("volume", m_volume);
        applyLoopRange();
    } catch (const AppError &error) {
        m_startup->error = error.text();
        m_handle = nullptr;
        m_api->terminate_destroy(std::exchange(m_startup->handle, nullptr));
        qCCritical(lcMpv).noquote() << m_startup->error;
        return;
    }
    // Called on a libmpv thread: only hand the work over to the event loop.
    m_api->set_wakeup_callback(
        m_handle,
        [](void *player) {
            QMetaObject::invokeMethod(static_cast<MpvPlayer *>(player), &MpvPlayer::drainEvents,
                                      Qt::QueuedConnection);
        },
        this);
}

bool MpvPlayer::isStarting() const
{
    return m_loading && !m_started && !m_loader->isFinished();
}

bool MpvPlayer::isReady()
{
    // Does not start the loading: the window sets speed, volume and loop
    // while it is being built, and a load started then competes with
    // building and showing it.
    if (!m_started && m_loading && m_loader->isFinished())
        finishStartup();
    return m_handle != nullptr;
}

void MpvPlayer::waitUntilReady()
{
    finishStartup();
    if (!m_handle)
        throw PlayerError(m_startup->error);
}

QString MpvPlayer::mpvText(int error) const
{
    return mpvErrorText(*m_api, error);
}

void MpvPlayer::setUrl(const QString &path)
{
    waitUntilReady();
    ++m_openSerial;
    forgetRecording();
    m_path = path;

    const QString problem = precheckReason(path);
    if (!problem.isEmpty()) {
        // Whatever was playing is replaced, as it would be by a good file.
        const char *stopArgs[] = {"stop", nullptr};
        runCommand(stopArgs, QStringLiteral("stop"));
        setState(Transitioning);
        const int serial = m_openSerial;
        QMetaObject::invokeMethod(
            this,
            [this, serial, path, problem] {
                if (serial == m_openSerial)
                    failOpening(path, problem);
            },
            Qt::QueuedConnection);
        return;
    }

    m_openedForPicture = false;
    const int rc = loadFile(path, false);
    if (rc < 0) {
        // Left as after close(): nothing loaded, nothing playing.
        m_path.clear();
        const char *stopArgs[] = {"stop", nullptr};
        m_api->command(m_handle, stopArgs);
        setState(Undefined);
        throw PlayerError(QCoreApplication::translate("MpvPlayer", "无法播放文件“%1”：%2")
                              .arg(path, mpvText(rc)));
    }
    // Auto-start; set after loadfile so that a paused earlier recording does
    // not sound again before it is replaced.
    setPaused(false);
    setState(Transitioning);
}

int MpvPlayer::loadFile(const QString &path, bool forPicture)
{
    const QByteArray file = path.toUtf8();
    // A video without sound plays on its picture's clock instead, decoded
    // for no output until the picture is attached.
    const char *args[] = {"loadfile", file.constData(), "replace",
                          forPicture ? "vid=auto" : nullptr, nullptr};
    mpv_node result;
    const int rc = m_api->command_ret(m_handle, args, &result);
    if (rc < 0)
        return rc;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        const mpv_node_list *map = result.u.list;
        for (int i = 0; i < map->num; ++i) {
            if (std::strcmp(map->keys[i], "playlist_entry_id") == 0
                && map->values[i].format == MPV_FORMAT_INT64)
                m_entryId = map->values[i].u.int64;
        }
    }
    m_api->free_node_contents(&result);
    return rc;
}

int MpvPlayer::playState() const
{
    return m_state;
}

QString MpvPlayer::status() const
{
    switch (m_state) {
    case Undefined:
        return QCoreApplication::translate("MpvPlayer", "就绪");
    case Stopped:
        return QCoreApplication::translate("MpvPlayer", "已停止");
    case Paused:
        return QCoreApplication::translate("MpvPlayer", "已暂停");
    case Playing:
        return QCoreApplication::translate("MpvPlayer", "正在播放");
    case MediaEnded:
        return QCoreApplication::translate("MpvPlayer", "播放结束");
    case Transitioning:
        return QCoreApplication::translate("MpvPlayer", "正在打开");
    default:
        return {};
    }
}

void MpvPlayer::play()
{
    if (m_state == Undefined)
        return;
    m_stopWhenOpened = false;
    setPaused(false);
    if (m_state != Transitioning)
        setState(Playing);
}

void MpvPlayer::pause()
{
    if (m_state == Undefined)
        return;
    setPaused(true);
    if (m_state == Playing) {
        // libmpv moves the position on by a few milliseconds while the pause
        // takes effect; the paused position must not change under the caller.
        sample();
        m_heard.paused();
        setState(Paused);
    }
}

void MpvPlayer::stop()
{
    if (m_state == Undefined)
        return;
    setPaused(true);
    if (m_loaded)
        seekTo(0.0);
    m_heard.sought(0.0);
    if (m_state == Transitioning)
        m_stopWhenOpened = true;
    else
        setState(Stopped);
}

double MpvPlayer::currentPosition() const
{
    return m_heard.position();
}

// Read directly: the observed property lags by up to 50 ms.
void MpvPlayer::sample()
{
    if (!m_loaded)
        return;
    double position = 0.0;
    if (m_api->get_property(m_handle, "time-pos", MPV_FORMAT_DOUBLE, &position) >= 0)
        m_heard.observe(position, m_clock.elapsed());
}

void MpvPlayer::setCurrentPosition(double seconds)
{
    if (!m_loaded)
        return;
    seconds = std::max(0.0, seconds);
    seekTo(m_heard.clockTime(seconds));
    m_heard.sought(seconds);
}

double MpvPlayer::duration() const
{
    return m_loaded ? m_duration : 0.0;
}

void MpvPlayer::close()
{
    if (!isReady())
        return; // nothing can be open yet
    ++m_openSerial;
    forgetRecording();
    const char *args[] = {"stop", nullptr};
    runCommand(args, QStringLiteral("stop"));
    setState(Undefined);
}

void MpvPlayer::setSpeed(double factor)
{
    if (std::isnan(factor))
        return;
    factor = std::clamp(factor, MinSpeed, MaxSpeed);
    const double oldLead = m_heard.clockLead();
    const bool ready = isReady();
    if (ready)
        setDoubleProperty("speed", factor);
    m_speed = factor;
    m_heard.setSpeed(factor);
    // The loop points given to libmpv follow its clock.
    if (ready && m_heard.clockLead() != oldLead)
        applyLoopRange();
}

double MpvPlayer::speed() const
{
    return m_speed;
}

void MpvPlayer::setVolume(int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (isReady())
        setDoubleProperty("volume", percent);
    m_volume = percent;
}

int MpvPlayer::volume() const
{
    return m_volume;
}

void MpvPlayer::setLoopRange(double a, double b)
{
    m_loopA = std::isnan(a) ? -1.0 : a;
    m_loopB = std::isnan(b) ? -1.0 : b;
    m_heard.setLoopRange(m_loopA, m_loopB);
    if (isReady())
        applyLoopRange();
}

void MpvPlayer::applyLoopRange()
{
    auto text = [this](double seconds) {
        return seconds < 0 ? QByteArray("no")
                           : QByteArray::number(m_heard.clockTime(seconds), 'f', 6);
    };
    setStringProperty("ab-loop-a", text(m_loopA));
    setStringProperty("ab-loop-b", text(m_loopB));
}

void MpvPlayer::drainEvents()
{
    try {
        for (;;) {
            const mpv_event *event = m_api->wait_event(m_handle, 0);
            switch (event->event_id) {
            case MPV_EVENT_NONE:
            case MPV_EVENT_SHUTDOWN:
                // Where the events left playback.
                sample();
                return;
            case MPV_EVENT_START_FILE:
                m_startedEntryId =
                    static_cast<const mpv_event_start_file *>(event->data)->playlist_entry_id;
                break;
            case MPV_EVENT_FILE_LOADED:
                // Events come in order, so this belongs to the last started entry.
                if (m_entryId != 0 && m_startedEntryId == m_entryId) {
                    m_loaded = true;
                    // Read once: the observed value may only come with a later drain.
                    m_duration = readDuration();
                    m_hasVideo = hasMovingPicture(*m_api, m_handle);
                    m_soundless = m_openedForPicture;
                    if (m_soundless && !m_hasVideo) {
                        // Opened again for a picture that is only a still image.
                        const QString path = m_path;
                        forgetRecording();
                        const char *args[] = {"stop", nullptr};
                        runCommand(args, QStringLiteral("stop"));
                        failOpening(path, openFailureReason(MPV_ERROR_NOTHING_TO_PLAY, {}));
                    }
                }
                break;
            case MPV_EVENT_PLAYBACK_RESTART:
                onPlaybackRestart();
                break;
            case MPV_EVENT_END_FILE: {
                const auto *end = static_cast<const mpv_event_end_file *>(event->data);
                onFileEnded(end->playlist_entry_id, end->reason, end->error);
                break;
            }
            case MPV_EVENT_PROPERTY_CHANGE:
                onPropertyChange(*static_cast<const mpv_event_property *>(event->data),
                                 event->reply_userdata);
                break;
            case MPV_EVENT_LOG_MESSAGE:
                onLogMessage(*static_cast<const mpv_event_log_message *>(event->data));
                break;
            default:
                break;
            }
        }
    } catch (...) {
        // Nothing up the event loop could handle it; report it like an opening
        // failure. The next wakeup drains what is left.
        QString text;
        try {
            throw;
        } catch (const AppError &error) {
            text = error.text();
        } catch (const std::exception &error) {
            text = QCoreApplication::translate("MpvPlayer", "播放器内部错误：%1")
                       .arg(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            text = QCoreApplication::translate("MpvPlayer", "播放器内部错误。");
        }
        QMetaObject::invokeMethod(
            this, [this, text] { Q_EMIT errorOccurred(text); }, Qt::QueuedConnection);
    }
}

void MpvPlayer::onPropertyChange(const mpv_event_property &property, std::uint64_t id)
{
    switch (id) {
    case DurationProperty:
        // MPV_FORMAT_NONE: no recording, or a length libmpv cannot tell.
        if (m_loaded)
            m_duration = property.format == MPV_FORMAT_DOUBLE
                             ? *static_cast<const double *>(property.data)
                             : 0.0;
        break;
    case EofReachedProperty:
    case PauseProperty:
        if (property.format == MPV_FORMAT_FLAG)
            onFlagChange(id, *static_cast<const int *>(property.data) != 0);
        break;
    default:
        break;
    }
}

void MpvPlayer::onLogMessage(const mpv_event_log_message &message)
{
    if (m_video && !m_video->isWorthLogging(message))
        return;
    const QString text = QStringLiteral("%1: %2").arg(QString::fromUtf8(message.prefix),
                                                      QString::fromUtf8(message.text).trimmed());
    if (message.log_level <= MPV_LOG_LEVEL_ERROR)
        qCCritical(lcMpv).noquote() << text;
    else
        qCWarning(lcMpv).noquote() << text;
}

void MpvPlayer::onFlagChange(std::uint64_t id, bool value)
{
    switch (id) {
    case EofReachedProperty:
        // Property events can be stale; ask again before acting.
        if (value && (m_state == Playing || m_state == Paused) && readFlag("eof-reached"))
            finishAtEnd();
        break;
    case PauseProperty:
        if (value && m_state == Playing && readFlag("pause")) {
            // Paused by libmpv itself, not through pause().
            sample();
            m_heard.paused();
            setState(Paused);
        } else if (!value && m_state == Playing) {
            // Played on, the paused moment sounds once the output has played
            // what it holds.
            m_heard.playing(m_clock.elapsed());
        }
        break;
    default:
        break;
    }
}

void MpvPlayer::onPlaybackRestart()
{
    if (!m_loaded)
        return;
    if (m_state == Transitioning) {
        if (m_stopWhenOpened) {
            m_stopWhenOpened = false;
            seekTo(0.0);
            m_heard.sought(0.0);
            setState(Stopped);
        } else {
            setState(readFlag("pause") ? Paused : Playing);
        }
    }
    // A seek made while playing has now run.
    if (m_state == Playing)
        m_heard.playing(m_clock.elapsed());
}

void MpvPlayer::onFileEnded(std::int64_t entryId, int reason, int error)
{
    if (m_entryId == 0 || entryId != m_entryId)
        return; // a recording replaced or closed since
    const QString path = m_path;
    const bool opening = !m_loaded;
    forgetRecording();
    if (reason == MPV_END_FILE_REASON_ERROR && error == MPV_ERROR_NOTHING_TO_PLAY
        && !m_openedForPicture) {
        // No sound to play: a video without a sound track still has its
        // picture to show.
        m_openedForPicture = true;
        if (loadFile(path, true) >= 0)
            return;
    }
    // No sound, and no picture that plays either.
    if (reason == MPV_END_FILE_REASON_ERROR && opening && m_openedForPicture)
        error = MPV_ERROR_NOTHING_TO_PLAY;
    if (reason == MPV_END_FILE_REASON_ERROR) {
        failOpening(path, openFailureReason(error, mpvText(error)));
    } else if (reason == MPV_END_FILE_REASON_REDIRECT) {
        // libmpv read the file as a playlist and queued its entries.
        const char *args[] = {"stop", nullptr};
        runCommand(args, QStringLiteral("stop"));
        failOpening(path,
                    QCoreApplication::translate("MpvPlayer", "这是一个播放列表，不是音频文件"));
    } else {
        setState(Undefined);
    }
}

// The recording played out: report it ended, then stand stopped at its start,
// still loaded, the way stop() leaves it.
void MpvPlayer::finishAtEnd()
{
    setState(MediaEnded);
    setPaused(true);
    seekTo(0.0);
    m_heard.sought(0.0);
    setState(Stopped);
}

void MpvPlayer::failOpening(const QString &path, const QString &reason)
{
    const QString text =
        QCoreApplication::translate("MpvPlayer", "无法播放文件“%1”：%2").arg(path, reason);
    QMetaObject::invokeMethod(
        this, [this, text] { Q_EMIT errorOccurred(text); }, Qt::QueuedConnection);
    setState(Undefined);
}

// The signal always goes through the event loop, so no caller sees it from
// inside one of its own calls.
void MpvPlayer::setState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    // Only a playing recording moves on by itself.
    if (state == Playing || state == Transitioning)
        m_sampler.start();
    else
        m_sampler.stop();
    QMetaObject::invokeMethod(
        this, [this, state] { Q_EMIT playStateChanged(state); }, Qt::QueuedConnection);
}

void MpvPlayer::setPaused(bool paused)
{
    int flag = paused ? 1 : 0;
    const int rc = m_api->set_property(m_handle, "pause", MPV_FORMAT_FLAG, &flag);
    if (rc < 0)
        throw PlayerError((paused ? QCoreApplication::translate("MpvPlayer", "播放器无法暂停：%1")
                                  : QCoreApplication::translate("MpvPlayer", "播放器无法播放：%1"))
                              .arg(mpvText(rc)));
}

void MpvPlayer::seekTo(double seconds)
{
    const QByteArray target = QByteArray::number(seconds, 'f', 6);
    const char *args[] = {"seek", target.constData(), "absolute+exact", nullptr};
    runCommand(args, QStringLiteral("seek %1").arg(QString::fromLatin1(target)));
}

void MpvPlayer::runCommand(const char **args, const QString &what)
{
    const int rc = m_api->command(m_handle, args);
    if (rc < 0)
        throw PlayerError(QCoreApplication::translate("MpvPlayer", "播放器命令失败（%1）：%2")
                              .arg(what, mpvText(rc)));
}

void MpvPlayer::setDoubleProperty(const char *name, double value)
{
    const int rc = m_api->set_property(m_handle, name, MPV_FORMAT_DOUBLE, &value);
    if (rc < 0)
        throw PlayerError(QCoreApplication::translate("MpvPlayer", "播放器无法设置 %1=%2：%3")
                              .arg(QLatin1String(name))
                              .arg(value)
                              .arg(mpvText(rc)));
}

void MpvPlayer::setStringProperty(const char *name, const QByteArray &value)
{
    setMpvString(*m_api, m_handle, name, value);
}

void MpvPlayer::observe(std::uint64_t id, const char *name, int format)
{
    const int rc = m_api->observe_property(m_handle, id, name, static_cast<mpv_format>(format));
    if (rc < 0)
        throw PlayerError(QCoreApplication::translate("MpvPlayer", "无法跟踪播放器属性 %1：%2")
                              .arg(QLatin1String(name), mpvText(rc)));
}

double MpvPlayer::readDuration() const
{
    double length = 0.0;
    if (m_api->get_property(m_handle, "duration", MPV_FORMAT_DOUBLE, &length) < 0)
        return 0.0;
    return length;
}

bool MpvPlayer::readFlag(const char *name) const
{
    int flag = 0;
    if (m_api->get_property(m_handle, name, MPV_FORMAT_FLAG, &flag) < 0)
        return false;
    return flag != 0;
}

bool MpvPlayer::hasVideo() const
{
    return m_loaded && m_hasVideo;
}

void MpvPlayer::attachVideo(ProcAddress getProcAddress, void *context,
                            std::function<void()> frameReady)
{
    waitUntilReady();
    if (!m_video)
        m_video = std::make_unique<MpvVideo>(*m_api, m_handle, m_library);
    m_video->attach(getProcAddress, context, std::move(frameReady), m_soundless);
}

bool MpvPlayer::isVideoAttached() const
{
    return m_video && m_video->isAttached();
}

void MpvPlayer::renderVideo(int framebuffer, int width, int height)
{
    if (m_video)
        m_video->render(framebuffer, width, height);
}

void MpvPlayer::detachVideo()
{
    if (m_video)
        m_video->detach(m_soundless);
}

bool MpvPlayer::isSoundless() const
{
    return m_loaded && m_soundless;
}

PictureCounts MpvPlayer::pictureCounts() const
{
    if (!m_video)
        return {};
    PictureCounts counts = m_video->counts(hasVideo());
    if (!m_video->isAttached())
        return counts;
    counts.playing = m_state == Playing;
    counts.speed = m_speed;
    return counts;
}

void MpvPlayer::forgetRecording()
{
    m_hasVideo = false;
    m_soundless = false;
    m_entryId = 0;
    m_loaded = false;
    m_duration = 0.0;
    m_stopWhenOpened = false;
    m_heard.forget();
}
