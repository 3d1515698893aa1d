#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class BackgroundJob;
class QLabel;

// Runs a folder scan on a worker thread while the window keeps repainting. Input to the
// window is held back from the start; after a moment a modal dialog shows what has been
// counted so far, the folder being read and the time spent, with a button "中止" that
// stops the scan.
class ScanProgressDialog final : public QDialog
{
    Q_OBJECT

public:
    // Runs the job to its end; false when it was stopped, by the button, by closing the
    // dialog, or through cancelRunning().
    static bool run(QWidget *parent, BackgroundJob &job);

    // Stops the scan that run() is waiting for, if any.
    static void cancelRunning();

    static inline const QString cancelText = QStringLiteral("中止");
    static constexpr int showAfterMilliseconds = 400;

protected:
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ScanProgressDialog(QWidget *parent, BackgroundJob &job);
    bool execute();
    bool isPartOfDialog(const QObject *target) const;
    void refresh();

    BackgroundJob &m_job;
    QLabel *m_counts;
    QLabel *m_bytes;
    QLabel *m_folder;
    QLabel *m_elapsed;
    QTimer m_refreshTimer;
    QElapsedTimer m_clock;
};
