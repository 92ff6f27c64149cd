#include "progress/progressreader.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

ProgressReader::ProgressReader(QString path, QObject *parent)
    : QObject(parent), m_thread(new QThread), m_worker(new QObject), m_path(std::move(path)),
      m_name(QStringLiteral("progress-reader-%1").arg(quintptr(this), 0, 16))
{
    m_thread->setObjectName(QStringLiteral("ProgressReader"));
    m_worker->moveToThread(m_thread);
    m_thread->start();
}

ProgressReader::~ProgressReader()
{
    // Jobs still queued run to the end; their deliveries are dropped with us.
    QMetaObject::invokeMethod(
        m_worker,
        [name = m_name] {
            if (QSqlDatabase::contains(name)) {
                QSqlDatabase::database(name, false).close();
                QSqlDatabase::removeDatabase(name);
            }
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
    delete m_thread;
}

void ProgressReader::run(Job job)
{
    QMetaObject::invokeMethod(
        m_worker,
        [this, job = std::move(job), path = m_path, name = m_name] {
            QSqlDatabase database;
            if (QSqlDatabase::contains(name)) {
                database = QSqlDatabase::database(name, false);
            } else {
                database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
                database.setDatabaseName(path);
                database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
            }
            if (!database.isOpen() && database.open())
                QSqlQuery(database).exec(QStringLiteral("PRAGMA query_only = 1"));
            QSqlDatabase none;
            Delivery delivery = job(database.isOpen() ? database : none);
            if (delivery)
                QMetaObject::invokeMethod(this, std::move(delivery), Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}
