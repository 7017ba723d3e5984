// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the next modal dialog of type T, once it is up, by calling answer
// with it. Call before the code that opens the dialog; the answer runs from
// the dialog's own event loop.
template <typename T> void WhenModal(std::function<void(T*)> answer, int timeoutMs = 10000)
{
    auto* timer = new QTimer(qApp);
    auto* waited = new int(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, waited, answer, timeoutMs] {
        *waited += timer->interval();
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget()); dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            answer(dialog);
        } else if (*waited > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            // Nothing came: close whatever is modal so the test fails rather than hangs.
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
        }
    });
    timer->start(10);
}

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

// Types path into a Qt file dialog's name box and presses its Open or Save
// button, as a user would.
inline void ChooseFile(QFileDialog* dialog, const QString& path)
{
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(path);
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    QPushButton* accept = buttons
        ? buttons->button(dialog->acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                                          : QDialogButtonBox::Open)
        : nullptr;
    if (accept)
        accept->click();
}
