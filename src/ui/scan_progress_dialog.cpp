#include "ui/scan_progress_dialog.h"

#include "platform/folder_path.h"
#include "populater/background_job.h"
#include "populater/size_text.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include <exception>
#include <thread>

namespace {

ScanProgressDialog *running = nullptr;

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

ScanProgressDialog::ScanProgressDialog(QWidget *parent, BackgroundJob &job)
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
    setWindowModality(Qt::ApplicationModal);
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

bool ScanProgressDialog::run(QWidget *parent, BackgroundJob &job)
{
    ScanProgressDialog dialog(parent, job);
    return dialog.execute();
}

void ScanProgressDialog::cancelRunning()
{
    if (running)
        running->m_job.control().requestCancel();
}

bool ScanProgressDialog::execute()
{
    running = this;
    m_clock.start();
    QEventLoop loop;
    // What the scan throws is thrown again here, on the window's thread.
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            m_job.run();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
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
    worker.join();
    qApp->removeEventFilter(this);
    running = nullptr;
    if (failure)
        std::rethrow_exception(failure);
    return m_job.completed();
}

void ScanProgressDialog::reject()
{
    m_job.control().requestCancel();
    hide();
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
    const ScanControl::Progress progress = m_job.control().progress();
    const QLocale locale;
    m_counts->setText(QStringLiteral("フォルダ: %1　ファイル: %2").arg(locale.toString(progress.folders), locale.toString(progress.files)));
    m_bytes->setText(QStringLiteral("容量: ") + FormatSize(double(progress.bytes)));
    const QString folder = displayText(progress.currentFolder.isEmpty() ? m_job.subject() : progress.currentFolder);
    m_folder->setText(m_folder->fontMetrics().elidedText(folder, Qt::ElideMiddle, width() - 40));
    const qint64 seconds = m_clock.elapsed() / 1000;
    m_elapsed->setText(QStringLiteral("経過時間: %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0')));
}
