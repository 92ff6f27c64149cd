#include "platform/mpvlibrary.h"

#include "platform/dynamiclibrary.h"
#include "platform/errors.h"

#include <QCoreApplication>
#include <QStringList>

#include <clocale>
#include <cstring>
#include <utility>
#include <vector>

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

} // namespace

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
    auto mpvText = [&api](int error) { return mpvErrorText(api, error); };

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

QString mpvErrorText(const MpvApi &api, int error)
{
    return QString::fromUtf8(api.error_string(error));
}

void setMpvString(const MpvApi &api, mpv_handle *handle, const char *name, const QByteArray &value)
{
    const int rc = api.set_property_string(handle, name, value.constData());
    if (rc < 0)
        throw PlayerError(
            QCoreApplication::translate("MpvPlayer", "播放器无法设置 %1=%2：%3")
                .arg(QLatin1String(name), QString::fromUtf8(value), mpvErrorText(api, rc)));
}
