#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QSqlDatabase;
class QThread;

// Reads the learner database on a thread of its own, with a connection of
// its own, so a year of attempts never holds up the window. A job runs
// there and returns what is to be done with its result back on the
// window's thread; results come back in the order the jobs were given.
class ProgressReader : public QObject
{
    Q_OBJECT
public:
    explicit ProgressReader(QString path, QObject *parent = nullptr);
    ~ProgressReader() override;

    using Delivery = std::function<void()>;
    using Job = std::function<Delivery(QSqlDatabase &)>;
    // The job gets an invalid database when the file cannot be opened.
    void run(Job job);

private:
    QThread *m_thread;
    QObject *m_worker;
    QString m_path;
    QString m_name;
};
