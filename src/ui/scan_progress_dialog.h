#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <memory>

class BackgroundJob;
class QEventLoop;
class QLabel;

// Runs a folder scan on a worker thread while the window keeps repainting. Input to the
// window is held back from the start; after a moment a dialog shows what has been
// counted so far, the folder being read and the time spent, with a button "中止" that
// stops the scan. A stop gives the window back at once: a job still inside a listing
// that does not return (a dead network mount) is left to end on its own, and what it
// finds is thrown away.
class ScanProgressDialog final : public QDialog
{
    Q_OBJECT

public:
    // Runs the job to its end; false when it was stopped, by the button, by closing the
    // dialog, or through cancelRunning(). The job is shared with its thread, which may
    // outlive this call when the job is stopped.
    static bool run(QWidget *parent, const std::shared_ptr<BackgroundJob> &job);

    // Stops the scan that run() is waiting for; false when none runs.
    static bool cancelRunning();

    // Jobs stopped but still inside a call that has not returned.
    static int abandonedJobs();

    static inline const QString cancelText = QStringLiteral("中止");
    static constexpr int showAfterMilliseconds = 400;

protected:
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ScanProgressDialog(QWidget *parent, const std::shared_ptr<BackgroundJob> &job);
    bool execute();
    void stop();
    bool isPartOfDialog(const QObject *target) const;
    void refresh();

    std::shared_ptr<BackgroundJob> m_job;
    QEventLoop *m_loop = nullptr;
    QLabel *m_counts;
    QLabel *m_bytes;
    QLabel *m_folder;
    QLabel *m_elapsed;
    QTimer m_refreshTimer;
    QElapsedTimer m_clock;
};
