#include "support/joinedspeech.h"

#include <QDir>
#include <QProcess>

namespace {

bool sox(const QStringList &arguments, QString &error)
{
    QProcess p;
    p.start(QStringLiteral("sox"), arguments);
    if (p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    error = QStringLiteral("sox %1: %2")
                .arg(arguments.join(QLatin1Char(' ')),
                     QString::fromLocal8Bit(p.readAllStandardError()));
    return false;
}

} // namespace

double soundSeconds(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("soxi"), {QStringLiteral("-D"), file});
    p.waitForFinished();
    return p.readAllStandardOutput().trimmed().toDouble();
}

QList<Spoken> joinSpeech(const QString &folder, const QString &prefix, const QStringList &pieces,
                         const QStringList &sentences, const QString &out, double noise,
                         QString &error)
{
    const QDir dir(folder);
    QList<Spoken> truth;
    QStringList parts;
    double at = 0.0;
    const QString gap = dir.filePath(prefix + QStringLiteral("gap.wav"));
    if (!sox({"-n", "-r", "16000", "-c", "1", "-b", "16", gap, "trim", "0", "0.7"}, error))
        return {};
    for (int k = 0; k < pieces.size(); ++k) {
        const QString trimmed = dir.filePath(prefix + QStringLiteral("trim%1.wav").arg(k));
        if (!sox({pieces[k], "-r", "16000", "-c", "1", "-b", "16", trimmed, "silence", "1", "0.02",
                  "1%", "reverse", "silence", "1", "0.02", "1%", "reverse"},
                 error))
            return {};
        const double length = soundSeconds(trimmed);
        truth.append({sentences[k], at, at + length});
        at += length + 0.7;
        if (k > 0)
            parts.append(gap);
        parts.append(trimmed);
    }
    const QString clean = dir.filePath(prefix + QStringLiteral("clean.wav"));
    const QString hiss = dir.filePath(prefix + QStringLiteral("noise.wav"));
    if (!sox(parts + QStringList{clean}, error)
        || !sox({"-R", "-n", "-r", "16000", "-c", "1", "-b", "16", hiss, "synth",
                 QString::number(at), "whitenoise", "vol", QString::number(noise)},
                error)
        || !sox({"-m", clean, hiss, out}, error))
        return {};
    return truth;
}

QStringList readerSentences(int times)
{
    const QStringList five = {
        QStringLiteral("And Mister John Dashwood had then leisure to consider how much there "
                       "might be prudently in his power to do for them."),
        QStringLiteral("He was not an ill disposed young man."),
        QStringLiteral(
            "Unless to be rather cold hearted and rather selfish is to be ill disposed."),
        QStringLiteral("Had he married a more amiable woman, he might have been made still more "
                       "respectable than he was."),
        QStringLiteral("He might even have been made amiable himself."),
    };
    QStringList all;
    for (int k = 0; k < times; ++k)
        all += five;
    return all;
}

QList<Spoken> readerSpeech(const QString &folder, const QString &out, QString &error, int times)
{
    const QString librivox = QStringLiteral("/usr/share/pocketsphinx/test/data/librivox/"
                                            "sense_and_sensibility_01_austen_64kb-0%1.wav");
    QStringList files;
    for (int k = 0; k < times; ++k) {
        for (const char *id : {"870", "880", "890", "920", "930"})
            files.append(librivox.arg(QLatin1String(id)));
    }
    return joinSpeech(folder, QStringLiteral("reader"), files, readerSentences(times), out, 0.003,
                      error);
}
