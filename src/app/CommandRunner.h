#pragma once

#include "export/BuildExportFile.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class StatusLine;

// Runs the window's commands after a reading (a save, a register, a preview's preparation) off
// its thread, one at a time, with the status line's progress bar and stop button: the window
// repaints and answers keys meanwhile.
class CommandRunner : public QObject {
    Q_OBJECT
public:
    CommandRunner(StatusLine& status, QObject* parent = nullptr);

    bool IsRunning() const { return m_running; }
    // Runs work on another thread under the text on the status line and returns once it has
    // ended (so nothing outlives the call), the window's events going on meanwhile; false when
    // it was stopped (work is told by its progress answering false). Refused (false) while
    // another command runs.
    bool Run(const QString& text, const std::function<void(const ExportProgress&)>& work);
    // The command stops soon.
    void Stop() { m_stop = true; }

signals:
    void RunningChanged(bool running);

private:
    StatusLine& m_status;
    bool m_running = false;
    std::atomic_bool m_stop{false};
    std::shared_ptr<std::atomic_bool> m_posted = std::make_shared<std::atomic_bool>(false);
};
