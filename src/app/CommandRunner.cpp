#include "app/CommandRunner.h"

#include "app/StatusLine.h"
#include "presentation/ReadingStatus.h"

#include <QEventLoop>
#include <QThread>

#include <memory>

CommandRunner::CommandRunner(StatusLine& status, QObject* parent)
    : QObject(parent), m_status(status) {}

bool CommandRunner::Run(const QString& text,
                        const std::function<void(const ExportProgress&)>& work) {
    if (m_running) return false;
    m_running = true;
    m_stop = false;
    *m_posted = false;
    emit RunningChanged(true);
    // A new command is no longer what the last message said ("успешно сохранены").
    m_status.ShowText(text, StatusColorNeutral);
    m_status.ShowBusy(true);

    auto posted = m_posted;
    const ExportProgress progress = [this, posted](qint64 done, qint64 total) {
        // One progress event in flight at a time, however fast the work goes.
        if (!posted->exchange(true))
            QMetaObject::invokeMethod(
                this,
                [this, posted, done, total] {
                    *posted = false;
                    if (m_running) m_status.ShowProgress(done, total);
                },
                Qt::QueuedConnection);
        return !m_stop.load();
    };
    const std::unique_ptr<QThread> worker(QThread::create([&work, &progress] { work(progress); }));
    worker->setObjectName(QStringLiteral("CommandThread"));
    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    // The application quitting ends this loop too: the work is stopped and waited for.
    if (!worker->isFinished()) m_stop = true;
    worker->wait();

    const bool stopped = m_stop.load();
    m_status.ShowBusy(false);
    m_running = false;
    emit RunningChanged(false);
    return !stopped;
}
