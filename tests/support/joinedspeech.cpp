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
