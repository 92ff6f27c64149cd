#pragma once

#include <QObject>
#include <QString>

class QLabel;

// The recording that is open: its path and the label that shows it.
class Recording : public QObject
{
    Q_OBJECT
public:
    Recording(QLabel *label, QObject *parent);

    QString path() const { return m_path; }
    void setPath(const QString &path);

private:
    QLabel *m_label;
    QString m_path;
};
