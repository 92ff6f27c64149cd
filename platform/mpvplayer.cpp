#include "platform/mpvplayer.h"

#include "platform/dynamiclibrary.h"

#include "platform/errors.h"
#include "platform/mpvvideo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QStringList>

#include <QThread>

#include <mpv/client.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <iterator>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

Q_LOGGING_CATEGORY(lcMpv, "quillmar.mpv")

constexpr double MinSpeed = 0.5;
constexpr double MaxSpeed = 1.5;
// Longer than libmpv's output holds at the slowest speed.
constexpr qint64 MaxHoldUntilHeardMs = 600;

} // namespace

// The libmpv functions the player uses, resolved from the library at run
// time, so that loading libmpv and its FFmpeg libraries does not hold up the
// window's start.
struct MpvApi {
    decltype(&::mpv_error_string) error_string = nullptr;
    decltype(&::mpv_create) create = nullptr;
    decltype(&::mpv_initialize) initialize = nullptr;
    decltype(&::mpv_terminate_destroy) terminate_destroy = nullptr;
    decltype(&::mpv_set_option_string) set_option_string = nullptr;
    decltype(&::mpv_set_property) set_property = nullptr;
    decltype(&::mpv_set_property_string) set_property_string = nullptr;
    decltype(&::mpv_get_property) get_property = nullptr;
    decltype(&::mpv_command) command = nullptr;
    decltype(&::mpv_command_ret) command_ret = nullptr;
    decltype(&::mpv_free_node_contents) free_node_contents = nullptr;
    decltype(&::mpv_free) free = nullptr;
    decltype(&::mpv_observe_property) observe_property = nullptr;
    decltype(&::mpv_request_log_messages) request_log_messages = nullptr;
    decltype(&::mpv_wait_event) wait_event = nullptr;
    decltype(&::mpv_set_wakeup_callback) set_wakeup_callback = nullptr;
};

// What the loading thread leaves for the player: the functions and a
// created, initialised handle, or why there are none.
struct MpvStartup {
    MpvApi api;
    mpv_handle *handle = nullptr;
    QString error;
};

namespace {

// Fills the table; the library stays loaded for the life of the process.
QString resolveApi(const QString &library, MpvApi &api)
{
    DynamicLibrary lib(library);
    lib.resolve(api.error_string, "mpv_error_string");
    lib.resolve(api.create, "mpv_create");
    lib.resolve(api.initialize, "mpv_initialize");
    lib.resolve(api.terminate_destroy, "mpv_terminate_destroy");
    lib.resolve(api.set_option_string, "mpv_set_option_string");
    lib.resolve(api.set_property, "mpv_set_property");
    lib.resolve(api.set_property_string, "mpv_set_property_string");
    lib.resolve(api.get_property, "mpv_get_property");
    lib.resolve(api.command, "mpv_command");
    lib.resolve(api.command_ret, "mpv_command_ret");
    lib.resolve(api.free_node_contents, "mpv_free_node_contents");
    lib.resolve(api.free, "mpv_free");
    lib.resolve(api.observe_property, "mpv_observe_property");
    lib.resolve(api.request_log_messages, "mpv_request_log_messages");
    lib.resolve(api.wait_event, "mpv_wait_event");
    lib.resolve(api.set_wakeup_callback, "mpv_set_wakeup_callback");
    return lib.error();
}

// Runs on the loading thread: loads libmpv, then creates and initialises
// the handle, the slow part of starting up.
void startMpv(MpvStartup &startup, const QString &library, const QString &audioOutput,
              const QByteArray &clientName)
{
    MpvApi &api = startup.api;
    const QString unloadable = resolveApi(library, api);
    if (!unloadable.isEmpty()) {
        startup.error =
            QCoreApplication::translate("MpvPlayer", "无法加载播放组件 libmpv：%1").arg(unloadable);
        return;
    }
    auto mpvText = [&api](int error) { return QString::fromUtf8(api.error_string(error)); };

    mpv_handle *handle = api.create();
    if (!handle) {
        const char *numeric = std::setlocale(LC_NUMERIC, nullptr);
        if (numeric && std::strcmp(numeric, "C") != 0)
            startup.error =
                QCoreApplication::translate(
                    "MpvPlayer", "无法创建播放器：数字格式的区域设置必须是“C”，当前是“%1”。")
                    .arg(QString::fromLocal8Bit(numeric));
        else
            startup.error = QCoreApplication::translate("MpvPlayer", "无法创建播放器（libmpv）。");
        return;
    }
    auto fail = [&](const QString &text) {
        api.terminate_destroy(handle);
        startup.error = text;
    };

    QStringList outputs = audioOutput.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (outputs.isEmpty() || outputs.last().trimmed() != QLatin1String("null"))
        outputs << QStringLiteral("null");

    std::vector<std::pair<const char *, QByteArray>> options = {
        {"vid", "no"},
        // No window of libmpv's own, ever; the picture comes through the
        // render API (vo=libmpv) while it is attached.
        {"vo", "null"},
        // A cover image is no picture to show.
        {"audio-display", "no"},
        // Subtitles are the window's to show or hide (they give the answer
        // away), never burnt into the picture.
        {"sid", "no"},
        {"sub-auto", "no"},
        {"config", "no"},
        {"terminal", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"idle", "yes"},
        // A recording that plays out stays loaded, so it can be played again
        // from the start; the end shows as eof-reached.
        {"keep-open", "yes"},
        // mp3, wma and wav all come through libavformat; forcing it keeps
        // libmpv from reading a file as a playlist and playing what it lists.
        {"demuxer", "lavf"},
        {"hr-seek", "yes"},
        // The output keeps running across seeks: restarting it after the
        // tick's seek back to the loop start lost the first 20 ms of the loop.
        // What sounds after a seek then comes behind what the output holds.
        {"audio-stream-silence", "yes"},
        // What a sound server holds is heard after every seek made while
        // playing; 40 ms keeps that short without gaps (the default is 100).
        {"pulse-buffer", "40"},
        // Without it, exact seeks in wma files land up to 80 ms off.
        {"hr-seek-demuxer-offset", "0.5"},
        // Slower or faster practice keeps the speaker's pitch.
        {"audio-pitch-correction", "yes"},
        {"ao", outputs.join(QLatin1Char(',')).toUtf8()},
    };
    if (!clientName.isEmpty())
        options.push_back({"audio-client-name", clientName});
    for (const auto &[name, value] : options) {
        const int rc = api.set_option_string(handle, name, value.constData());
        // A libmpv built without a sound server's output knows not its options.
        if (rc == MPV_ERROR_OPTION_NOT_FOUND && std::strncmp(name, "pulse-", 6) == 0)
            continue;
        if (rc < 0)
            return fail(QCoreApplication::translate("MpvPlayer", "无法设置播放器选项 %1=%2：%3")
                            .arg(QLatin1String(name), QString::fromUtf8(value), mpvText(rc)));
    }
    const int rc = api.initialize(handle);
    if (rc < 0)
        return fail(QCoreApplication::translate("MpvPlayer", "无法启动播放器（libmpv）：%1")
                        .arg(mpvText(rc)));
    startup.handle = handle;
}

// libmpv 0.35 stamps the sound its time stretcher (scaletempo2) gives out
// with the time of the input it has taken in, less what it has given out,
// leaving out the stretch it still holds to search and overlap: at speeds
// other than 1.0 its clock runs ahead of what sounds, by some 40 ms above
// 1.0x. The A-B loop and exact seeks work on that clock, so unless the player
// makes up for it a faster loop is cut short at its end and starts before its
// start. Later versions account for the held stretch themselves.
bool stretcherClockLeads(const MpvApi &api, mpv_handle *handle)
{
    mpv_node version;
    if (api.get_property(handle, "mpv-version", MPV_FORMAT_NODE, &version) < 0)
        return false;
    const bool leads =
        version.format == MPV_FORMAT_STRING && std::strncmp(version.u.string, "mpv 0.35", 8) == 0;
    api.free_node_contents(&version);
    return leads;
}

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
        m_clockLeads = stretcherClockLeads(*m_api, m_handle);
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
    return QString::fromUtf8(m_api->error_string(error));
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
        if (!m_heldPosition)
            m_heldPosition = currentPosition();
        m_holdUntilHeard = false;
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
    m_heldPosition = 0.0;
    m_holdUntilHeard = false;
    if (m_state == Transitioning)
        m_stopWhenOpened = true;
    else
        setState(Stopped);
}

double MpvPlayer::currentPosition() const
{
    if (m_heldPosition && !m_holdUntilHeard)
        return *m_heldPosition;
    if (!m_loaded)
        return 0.0;
    // Read directly: the observed property lags by up to 50 ms.
    double position = 0.0;
    if (m_api->get_property(m_handle, "time-pos", MPV_FORMAT_DOUBLE, &position) < 0)
        return m_heldPosition.value_or(0.0);
    position -= clockLead();
    if (m_heldPosition) {
        // The sound sought sits behind what the output still holds: until it
        // is heard, where the seek went is where playback is.
        if (position < *m_heldPosition && m_holdingSince.elapsed() < MaxHoldUntilHeardMs)
            return *m_heldPosition;
        m_heldPosition.reset();
        m_holdUntilHeard = false;
    }
    const double a = std::min(m_loopA, m_loopB);
    const double b = std::max(m_loopA, m_loopB);
    if (a >= 0 && b > a && position < a) {
        // A drop below a without a seek of ours is a loop wrap; until the
        // buffered end of the lap has sounded, that end is what is heard.
        if (!m_inLoopTail && m_lastRawPosition >= a && !m_ownSeekSinceRead)
            m_inLoopTail = true;
    } else {
        m_inLoopTail = false;
    }
    m_lastRawPosition = position;
    m_ownSeekSinceRead = false;
    if (m_inLoopTail)
        return std::min(b, position + (b - a));
    return std::max(0.0, position);
}

void MpvPlayer::setCurrentPosition(double seconds)
{
    if (!m_loaded)
        return;
    seconds = std::max(0.0, seconds);
    seekTo(seconds + clockLead());
    m_heldPosition = seconds;
    m_holdUntilHeard = false;
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

double MpvPlayer::clockLead() const
{
    if (!m_clockLeads)
        return 0.0;
    // Measured through a sound server with libmpv 0.35 (bench_loop_heard):
    // how far its clock runs ahead of the sound at 0.5x, 0.6x ... 1.5x, in ms.
    static constexpr double LeadMs[] = {-4.2, -2.3, -2.9, 1.7,  2.9, 0.0,
                                        35.4, 36.2, 41.2, 42.2, 45.6};
    const double at = (std::clamp(m_speed, MinSpeed, MaxSpeed) - MinSpeed) * 10.0;
    const auto below = std::min(std::size_t(at), std::size(LeadMs) - 2);
    const double fraction = at - double(below);
    return (LeadMs[below] * (1.0 - fraction) + LeadMs[below + 1] * fraction) / 1000.0;
}

void MpvPlayer::setSpeed(double factor)
{
    if (std::isnan(factor))
        return;
    factor = std::clamp(factor, MinSpeed, MaxSpeed);
    const double oldLead = clockLead();
    const bool ready = isReady();
    if (ready)
        setDoubleProperty("speed", factor);
    m_speed = factor;
    // The loop points given to libmpv follow its clock.
    if (ready && clockLead() != oldLead)
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
    m_inLoopTail = false;
    if (isReady())
        applyLoopRange();
}

void MpvPlayer::applyLoopRange()
{
    const double lead = clockLead();
    auto text = [lead](double seconds) {
        return seconds < 0 ? QByteArray("no") : QByteArray::number(seconds + lead, 'f', 6);
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
                    m_hasVideo = readHasVideo();
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
    // A damaged picture gives one of these for every piece it fails on,
    // many a second: they are counted, and only the first few logged.
    const bool videoDecoding =
        std::strcmp(message.prefix, "vd") == 0 || std::strncmp(message.prefix, "ffmpeg", 6) == 0;
    if (videoDecoding && isVideoAttached()) {
        if (std::strcmp(message.prefix, "vd") == 0
            && std::strncmp(message.text, "Error while decoding frame", 26) == 0)
            ++m_videoErrors;
        if (m_videoErrors > 3)
            return;
    }
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
            m_heldPosition = currentPosition();
            m_holdUntilHeard = false;
            setState(Paused);
        } else if (!value && m_state == Playing && m_heldPosition) {
            // Played on, the paused moment sounds once the output has played
            // what it holds.
            holdUntilHeard();
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
            m_heldPosition = 0.0;
            m_holdUntilHeard = false;
            setState(Stopped);
        } else {
            setState(readFlag("pause") ? Paused : Playing);
        }
    }
    // A seek made while playing has now run.
    if (m_state == Playing && m_heldPosition)
        holdUntilHeard();
}

void MpvPlayer::holdUntilHeard()
{
    m_holdUntilHeard = true;
    m_holdingSince.start();
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
    m_heldPosition = 0.0;
    m_holdUntilHeard = false;
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
    m_ownSeekSinceRead = true;
    m_inLoopTail = false;
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
    const int rc = m_api->set_property_string(m_handle, name, value.constData());
    if (rc < 0)
        throw PlayerError(QCoreApplication::translate("MpvPlayer", "播放器无法设置 %1=%2：%3")
                              .arg(QLatin1String(name), QString::fromUtf8(value), mpvText(rc)));
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

bool MpvPlayer::readHasVideo() const
{
    mpv_node tracks;
    if (m_api->get_property(m_handle, "track-list", MPV_FORMAT_NODE, &tracks) < 0)
        return false;
    bool found = false;
    if (tracks.format == MPV_FORMAT_NODE_ARRAY) {
        for (int i = 0; i < tracks.u.list->num && !found; ++i) {
            const mpv_node &track = tracks.u.list->values[i];
            if (track.format != MPV_FORMAT_NODE_MAP)
                continue;
            bool video = false;
            bool still = false;
            const mpv_node_list *fields = track.u.list;
            for (int f = 0; f < fields->num; ++f) {
                const char *key = fields->keys[f];
                const mpv_node &value = fields->values[f];
                if (std::strcmp(key, "type") == 0 && value.format == MPV_FORMAT_STRING)
                    video = std::strcmp(value.u.string, "video") == 0;
                else if ((std::strcmp(key, "albumart") == 0 || std::strcmp(key, "image") == 0)
                         && value.format == MPV_FORMAT_FLAG && value.u.flag)
                    still = true;
            }
            found = video && !still;
        }
    }
    m_api->free_node_contents(&tracks);
    return found;
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
        m_video = std::make_unique<MpvVideo>(m_handle, m_library);
    if (m_video->isAttached())
        return;
    m_video->attach(getProcAddress, context, std::move(frameReady));
    m_videoErrors = 0;
    // Plain scaling and no dithering: on a machine without a graphics card
    // (Mesa's software renderer) the picture keeps up, and a learner sees no
    // difference. A libmpv without one of them draws as it would anyway.
    for (const char *option : {"scale", "cscale", "dscale"})
        m_api->set_property_string(m_handle, option, "bilinear");
    for (const char *option : {"dither-depth", "correct-downscaling", "linear-downscaling",
                               "sigmoid-upscaling", "hdr-compute-peak"})
        m_api->set_property_string(m_handle, option, "no");
    // The render context exists before libmpv's video output looks for it.
    try {
        // A video without sound decodes its picture all along, for no output.
        if (m_soundless)
            setStringProperty("vid", "no");
        setStringProperty("vo", "libmpv");
        setStringProperty("vid", "auto");
    } catch (...) {
        detachVideo();
        throw;
    }
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
    if (!isVideoAttached())
        return;
    // Errors are of no use here: the context is freed whatever they say.
    m_api->set_property_string(m_handle, "vid", "no");
    m_video->detach();
    m_api->set_property_string(m_handle, "vo", "null");
    // Without sound, the picture keeps the time.
    if (m_soundless)
        m_api->set_property_string(m_handle, "vid", "auto");
}

bool MpvPlayer::isSoundless() const
{
    return m_loaded && m_soundless;
}

PictureCounts MpvPlayer::pictureCounts() const
{
    PictureCounts counts;
    if (!isVideoAttached())
        return counts;
    counts.framesDrawn = m_video->framesDrawn();
    counts.decodeErrors = m_videoErrors;
    // libmpv gives the track up at once when no decoder for it starts, too
    // soon for an observed property to tell.
    if (hasVideo()) {
        char *track = nullptr;
        if (m_api->get_property(m_handle, "vid", MPV_FORMAT_STRING, &track) >= 0 && track) {
            counts.undecodable = std::strcmp(track, "no") == 0;
            m_api->free(track);
        }
    }
    for (const char *name : {"frame-drop-count", "decoder-frame-drop-count"}) {
        std::int64_t dropped = 0;
        if (m_api->get_property(m_handle, name, MPV_FORMAT_INT64, &dropped) >= 0)
            counts.framesDropped += dropped;
    }
    counts.playing = m_state == Playing;
    counts.speed = m_speed;
    // libmpv's own: the loop's adjustments of currentPosition() are no use here.
    m_api->get_property(m_handle, "time-pos", MPV_FORMAT_DOUBLE, &counts.position);
    double rate = 0.0;
    if (m_api->get_property(m_handle, "container-fps", MPV_FORMAT_DOUBLE, &rate) >= 0)
        counts.frameRate = rate;
    return counts;
}

void MpvPlayer::forgetRecording()
{
    m_hasVideo = false;
    m_soundless = false;
    m_entryId = 0;
    m_loaded = false;
    m_duration = 0.0;
    m_inLoopTail = false;
    m_ownSeekSinceRead = true;
    m_stopWhenOpened = false;
    m_heldPosition.reset();
    m_holdUntilHeard = false;
}
