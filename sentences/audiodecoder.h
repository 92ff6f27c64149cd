#pragma once

#include "sentences/envelope.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <optional>

// What the decoder may ask of its caller while it runs on a worker thread.
struct DecodeControl {
    std::function<bool()> isCancelled;         // polled once per packet
    std::function<void(int percent)> progress; // called when the percentage changes
    // The envelope decoded so far, a few times a second, the first time early
    // on; expectedSeconds is the length the file claims (0 when unknown).
    std::function<void(const Envelope &soFar, double expectedSeconds)> partial;
};

struct DecodeResult {
    std::optional<Envelope> envelope; // empty on failure or cancel
    bool cancelled = false;
    QString error; // one line, for the status bar or the command line
    // Stretches whose sound was lost to damage (silence on the envelope), in
    // the order met; texts empty.
    QList<Sentence> lost;
};

// Decodes the first audio stream of a file with FFmpeg, mixed to mono at a
// low rate, and measures its envelope in one pass. Every FFmpeg object is made
// and freed inside this call, so it belongs to the calling (worker) thread.
//
// FFmpeg lives in the decoder module, loaded by the first call (see
// DecoderModule::programModule()); the program links no FFmpeg library, so
// none of them holds up its start. Safe to call from several threads at once.
DecodeResult decodeEnvelope(const QString &path, const DecodeControl &control = {},
                            double frameSeconds = 0.01);
// Decodes the first audio stream mixed to mono at rate samples a second and
// hands the samples to sink in order, a packet's worth at a time, as they are
// decoded; nothing is kept, so an hour costs no more memory than a minute.
// The result holds no envelope. Same threading as decodeEnvelope().
using SampleSink = std::function<void(const float *samples, int count)>;
DecodeResult decodeSamples(const QString &path, int rate, const SampleSink &sink,
                           const DecodeControl &control = {});
// Keeps FFmpeg's notes about damaged frames off standard error (for the
// command line). Loads the module if needed; does nothing if it cannot.
void quietDecoderMessages();

// The decoder module (libquillmar_decoder.so), loaded from the first of a
// list of files that loads and has the decoder in it.
class DecoderModule
{
public:
    explicit DecoderModule(const QStringList &candidates);

    // The files the program tries, in order: the installed module, in
    // QUILLMAR_DECODER_INSTALL_DIR relative to the program's own folder
    // (../lib/quillmar under /usr/bin), then the module as built, at the
    // path it was built to. The second lets the program, its tests and its
    // benchmarks run from the build folder.
    static QStringList defaultCandidates();
    // Loaded from defaultCandidates() by the first call, once, on whichever
    // thread makes it.
    static const DecoderModule &programModule();

    bool isLoaded() const { return m_decode != nullptr; }
    // Why it is not loaded, one line: "无法加载解码组件：...".
    const QString &error() const { return m_error; }

    // As decodeEnvelope(); without the module, a result with error() in it.
    DecodeResult decode(const QString &path, const DecodeControl &control,
                        double frameSeconds) const;
    void quietMessages() const;
    // Another entry point of the loaded module by name; null when there is
    // none (or no module).
    QFunctionPointer entry(const char *name) const;

private:
    void (*m_decode)(const QString &, const DecodeControl &, double, DecodeResult &) = nullptr;
    void (*m_quiet)() = nullptr;
    QString m_error;
    QString m_file; // the module loaded
};
