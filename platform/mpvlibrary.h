#pragma once

#include <QByteArray>
#include <QString>

#include <mpv/client.h>

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

// Loads the shared library `library`, then creates and initialises a handle
// set up for the player: no window of its own, the audio outputs to try in
// order (`audioOutput`, with "null" always last), `clientName` for the sound
// server. The slow part of starting up, so it runs on a thread of its own.
void startMpv(MpvStartup &startup, const QString &library, const QString &audioOutput,
              const QByteArray &clientName);

// libmpv 0.35's time stretcher runs its clock ahead of the sound at speeds
// other than 1.0.
bool stretcherClockLeads(const MpvApi &api, mpv_handle *handle);

// libmpv's text for one of its error codes.
QString mpvErrorText(const MpvApi &api, int error);

// Sets a property from text; throws a PlayerError that says which and why.
void setMpvString(const MpvApi &api, mpv_handle *handle, const char *name, const QByteArray &value);
