#include "ui/scan_progress_dialog.h"

#include "platform/folder_path.h"
#include "scan/background_job.h"
#include "populater/size_text.h"
#include "ui/elided_text.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace {

ScanProgressDialog *running = nullptr;
std::atomic<int> abandoned{0};

// What the job's thread shares with the window's thread; it lives as long as either.
struct JobThreadState {
    std::mutex mutex;
    QEventLoop *wait = nullptr; // the window's wait for the job, while it waits
    bool finished = false;
    std::exception_ptr failure;
};

bool isUserInput(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

ScanProgressDialog::ScanProgressDialog(QWidget *parent, const std::shared_ptr<BackgroundJob> &job)
    : QDialog(parent)
    , m_job(job)
    , m_counts(new QLabel(this))
    , m_bytes(new QLabel(this))
    , m_folder(new QLabel(this))
    , m_elapsed(new QLabel(this))
{
    setWindowTitle(QStringLiteral("フォルダを集計しています"));
    if (parent)
        setFont(parent->font());
    // Not modal to Qt: the event filter holds the window's input back, and a close of
    // the window by the window manager must still reach it to stop the job.
    setWindowModality(Qt::NonModal);
    setFixedWidth(420);
    auto *cancel = new QPushButton(cancelText, this);
    connect(cancel, &QPushButton::clicked, this, &ScanProgressDialog::reject);
    auto *layout = new QVBoxLayout(this);
    for (QLabel *label : {m_counts, m_bytes, m_folder, m_elapsed})
        layout->addWidget(label);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    m_refreshTimer.setInterval(250);
    connect(&m_refreshTimer, &QTimer::timeout, this, &ScanProgressDialog::refresh);
}

bool ScanProgressDialog::run(QWidget *parent, const std::shared_ptr<BackgroundJob> &job)
{
    ScanProgressDialog dialog(parent, job);
    return dialog.execute();
}

bool ScanProgressDialog::cancelRunning()
{
    if (!running)
        return false;
    running->stop();
    return true;
}

int ScanProgressDialog::abandonedJobs()
{
    return abandoned.load();
}

bool ScanProgressDialog::execute()
{
    running = this;
    m_clock.start();
    QEventLoop loop;
    m_loop = &loop;
    const auto state = std::make_shared<JobThreadState>();
    state->wait = &loop;
    std::thread worker([state, job = m_job] {
        std::exception_ptr failure;
        try {
            job->run();
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(state->mutex);
        state->finished = true;
        state->failure = failure;
        if (state->wait)
            QMetaObject::invokeMethod(state->wait, &QEventLoop::quit, Qt::QueuedConnection);
        else
            abandoned.fetch_sub(1);
    });
    // Until the dialog shows, the window gets no input: nothing may start a second
    // scan or act on the tree while this one runs.
    qApp->installEventFilter(this);
    QTimer::singleShot(showAfterMilliseconds, this, [this] {
        refresh();
        show();
        m_refreshTimer.start();
    });
    loop.exec();
    qApp->removeEventFilter(this);
    running = nullptr;
    m_loop = nullptr;
    m_refreshTimer.stop();

    bool finished = false;
    {
        std::lock_guard lock(state->mutex);
        state->wait = nullptr;
        finished = state->finished;
        if (!finished)
            abandoned.fetch_add(1);
    }
    if (!finished) {
        // Stopped, or the program is ending, while the job is inside a call that has not
        // returned: its thread ends on its own and what it found is thrown away.
        m_job->control().requestCancel();
        worker.detach();
        return false;
    }
    worker.join();
    // What the job threw is thrown again here, on the window's thread.
    if (state->failure)
        std::rethrow_exception(state->failure);
    return m_job->completed() && !m_job->control().cancelRequested();
}

void ScanProgressDialog::stop()
{
    m_job->control().requestCancel();
    hide();
    if (m_loop)
        m_loop->quit();
}

void ScanProgressDialog::reject()
{
    stop();
}

bool ScanProgressDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (isUserInput(event) && !isPartOfDialog(watched))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool ScanProgressDialog::isPartOfDialog(const QObject *target) const
{
    // A person's input reaches the dialog's QWindow before Qt hands it to a widget.
    if (const auto *window = qobject_cast<const QWindow *>(target))
        return window == windowHandle();
    const auto *widget = qobject_cast<const QWidget *>(target);
    return widget && widget->window() == this;
}

void ScanProgressDialog::refresh()
{
    const ScanControl::Progress progress = m_job->control().progress();
    const QLocale locale;
    m_counts->setText(QStringLiteral("フォルダ: %1　ファイル: %2").arg(locale.toString(progress.folders), locale.toString(progress.files)));
    m_bytes->setText(QStringLiteral("容量: ") + FormatSize(double(progress.bytes)));
    const QString folder = displayText(progress.currentFolder.isEmpty() ? m_job->subject() : progress.currentFolder);
    m_folder->setText(elidedInMiddle(m_folder->fontMetrics(), folder, width() - 40));
    const qint64 seconds = m_clock.elapsed() / 1000;
    m_elapsed->setText(QStringLiteral("経過時間: %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0')));
}
