#include "sentences/printsentences.h"

#include "sentences/sentenceanalysis.h"

int printSentences(const QString &file, QTextStream &out, QTextStream &err)
{
    const AnalysisOutcome outcome = analyseRecording(file);
    if (!outcome.ok) {
        err << outcome.error << Qt::endl;
        return 2;
    }
    for (const Sentence &s : outcome.result.sentences) {
        out << QString::number(s.start, 'f', 3) << '\t' << QString::number(s.end, 'f', 3);
        if (outcome.result.fromSubtitles)
            out << '\t' << s.text;
        out << '\n';
    }
    out.flush();
    return 0;
}
