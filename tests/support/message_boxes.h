#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers every message box that comes up while it lives, as a person would close it,
// and keeps what each one said.
class MessageBoxCloser
{
public:
    MessageBoxCloser()
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        m_timer.start(10);
    }

    QString last() const { return texts.isEmpty() ? QString() : texts.last(); }

    QStringList texts;

private:
    QTimer m_timer;
};
