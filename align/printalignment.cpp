#include "align/printalignment.h"

#include "align/alignrecording.h"
#include "sentences/audiodecoder.h"

#include <QCoreApplication>

int printAlignedSentences(const QString &recording, const QString &text, const QString &language,
                          QTextStream &out, QTextStream &err)
{
    quietDecoderMessages();
    const AlignOutcome outcome =
        alignRecording(recording, text, voiceFor(language, text), QString());
    if (!outcome.ok) {
        err << outcome.error << Qt::endl;
        return 2;
    }
    if (outcome.alignment.refused)
        err << QCoreApplication::translate("Aligner", "文本与录音的语音不符，句子按停顿划分")
            << Qt::endl;
    for (const AlignedSentence &s : outcome.alignment.sentences) {
        QString line = s.text;
        line.replace(QLatin1Char('\t'), QLatin1Char(' '));
        out << QString::number(s.start, 'f', 3) << '\t' << QString::number(s.end, 'f', 3) << '\t'
            << line << '\n';
    }
    out.flush();
    return 0;
}
