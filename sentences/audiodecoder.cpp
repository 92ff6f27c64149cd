#include "sentences/audiodecoder.h"

#include "sentences/decodermodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <type_traits>

DecoderModule::DecoderModule(const QStringList &candidates)
{
    QStringList reasons;
    for (const QString &file : candidates) {
        if (!QFileInfo::exists(file)) {
            reasons.append(QCoreApplication::translate("AudioDecoder", "%1 不存在")
                               .arg(QDir::toNativeSeparators(file)));
            continue;
        }
        // Never unloaded: a QLibrary leaves the library loaded when it goes.
        QLibrary library(file);
        if (!library.load()) {
            reasons.append(library.errorString());
            continue;
        }
        auto decode =
            reinterpret_cast<DecodeEnvelopeEntry>(library.resolve(DecodeEnvelopeEntryName));
        auto quiet = reinterpret_cast<DecoderQuietEntry>(library.resolve(DecoderQuietEntryName));
        if (!decode || !quiet) {
            reasons.append(QCoreApplication::translate("AudioDecoder", "%1 不是本程序的解码组件")
                               .arg(QDir::toNativeSeparators(file)));
            continue;
        }
        static_assert(std::is_same_v<decltype(m_decode), DecodeEnvelopeEntry>);
        m_decode = decode;
        m_quiet = quiet;
        m_file = file;
        return;
    }
    if (reasons.isEmpty())
        reasons.append(QCoreApplication::translate("AudioDecoder", "没有可用的文件"));
    m_error = QCoreApplication::translate("AudioDecoder", "无法加载解码组件：%1")
                  .arg(reasons.join(QCoreApplication::translate("AudioDecoder", "；")));
}

QStringList DecoderModule::defaultCandidates()
{
    // The program's own file without needing a QCoreApplication (the
    // benchmarks decode without one).
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QString name = QStringLiteral(QUILLMAR_DECODER_FILE_NAME);
    QStringList candidates;
    if (!program.isEmpty())
        candidates.append(QDir::cleanPath(QFileInfo(program).path() + QLatin1Char('/')
                                          + QStringLiteral(QUILLMAR_DECODER_INSTALL_DIR)
                                          + QLatin1Char('/') + name));
    candidates.append(QStringLiteral(QUILLMAR_DECODER_BUILD_PATH));
    candidates.removeDuplicates();
    return candidates;
}

const DecoderModule &DecoderModule::programModule()
{
    // Loaded by whichever analysis thread gets here first; the others wait
    // for it (a static local is initialised exactly once).
    static const DecoderModule module(defaultCandidates());
    return module;
}

DecodeResult DecoderModule::decode(const QString &path, const DecodeControl &control,
                                   double frameSeconds) const
{
    DecodeResult result;
    if (!m_decode) {
        result.error = m_error;
        return result;
    }
    m_decode(path, control, frameSeconds, result);
    return result;
}

QFunctionPointer DecoderModule::entry(const char *name) const
{
    return m_file.isEmpty() ? nullptr : QLibrary(m_file).resolve(name);
}

void DecoderModule::quietMessages() const
{
    if (m_quiet)
        m_quiet();
}

DecodeResult decodeEnvelope(const QString &path, const DecodeControl &control, double frameSeconds)
{
    return DecoderModule::programModule().decode(path, control, frameSeconds);
}

DecodeResult decodeSamples(const QString &path, int rate, const SampleSink &sink,
                           const DecodeControl &control)
{
    const DecoderModule &module = DecoderModule::programModule();
    DecodeResult result;
    const auto entry = reinterpret_cast<DecodeSamplesEntry>(module.entry(DecodeSamplesEntryName));
    if (!entry) {
        result.error = module.isLoaded() ? QCoreApplication::translate("AudioDecoder",
                                                                       "解码组件过旧，无法读取声音")
                                         : module.error();
        return result;
    }
    entry(path, control, rate, sink, result);
    return result;
}

void quietDecoderMessages()
{
    DecoderModule::programModule().quietMessages();
}
