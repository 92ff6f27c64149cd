#include "sentences/printsentences.h"

#include "sentences/audiodecoder.h"
#include "sentences/sentenceanalysis.h"

int printSentences(const QString &file, QTextStream &out, QTextStream &err)
{
    // The command line says what went wrong in one line of its own; the
    // decoder's notes about damaged frames would only bury it.
    quietDecoderMessages();
    const AnalysisOutcome outcome = analyseRecording(file);
    if (!outcome.ok) {
        err << outcome.error << Qt::endl;
        return 2;
    }
    // What became of the subtitles goes beside the sentences, not among them.
    const QStringList notes = analysisNotes(outcome.result);
    for (const QString &note : notes)
        err << note << '\n';
    err.flush();
    for (const Sentence &s : outcome.result.sentences) {
        out << QString::number(s.start, 'f', 3) << '\t' << QString::number(s.end, 'f', 3);
        if (outcome.result.fromSubtitles)
            out << '\t' << s.text;
        out << '\n';
    }
    out.flush();
    return 0;
}
