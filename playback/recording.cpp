#include "playback/recording.h"

#include "platform/filelabel.h"

#include <QLabel>

Recording::Recording(QLabel *label, QObject *parent) : QObject(parent), m_label(label)
{
    setObjectName(QStringLiteral("Recording"));
}

void Recording::setPath(const QString &path)
{
    if (path == m_path)
        return;
    m_path = path;
    m_label->setText(fileLabelText(tr("语音文件"), path));
}
