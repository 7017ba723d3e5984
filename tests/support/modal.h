// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/failure.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

// Answers the real modal dialogs as a user would, in the order the test
// expects them. A dialog nobody expects is closed after a second and noted,
// so that the test fails with its text instead of hanging.
class ModalScript final {
public:
    static ModalScript& Get()
    {
        static auto* script = new ModalScript;  // lives as long as the application
        return *script;
    }

    template <typename T> void When(std::function<void(T*)> answer)
    {
        answers_.append([answer](QWidget* w) { return qobject_cast<T*>(w) && (answer(qobject_cast<T*>(w)), true); });
        timer_.start(10);
    }

    // Whether no dialog came unexpected and none expected failed to come;
    // Problems says what went wrong. Starts afresh either way.
    bool NoProblems()
    {
        Problems = unexpected_.join(u"; ");
        if (!answers_.isEmpty())
            Problems += QStringLiteral("; %1 expected dialog(s) never opened").arg(answers_.size());
        unexpected_.clear(), answers_.clear();
        return Problems.isEmpty();
    }
    QString Problems;

private:
    ModalScript()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    }

    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return void(up_ = nullptr);
        if (!answers_.isEmpty()) {
            const auto answer = answers_.takeFirst();
            if (answer(modal))
                return;
            answers_.prepend(answer);
        }
        if (modal != up_) {
            up_ = modal, upFor_.start();
        } else if (upFor_.elapsed() > 1000 && !qobject_cast<QProgressDialog*>(modal)) {
            const auto* box = qobject_cast<QMessageBox*>(modal);
            unexpected_
                << QStringLiteral("unexpected \"%1\" %2").arg(modal->windowTitle(), box ? box->text() : QString());
            modal->close();
        }
    }

    QList<std::function<bool(QWidget*)>> answers_;
    QStringList unexpected_;
    QTimer timer_;
    QPointer<QWidget> up_;
    QElapsedTimer upFor_;
};

template <typename T> void WhenModal(std::function<void(T*)> answer)
{
    ModalScript::Get().When<T>(std::move(answer));
}

// Ends each test function of a suite that opens real dialogs.
#define VERIFY_NO_STRAY_DIALOGS()                                                                                      \
    if (!ModalScript::Get().NoProblems())                                                                              \
    QFAIL(qPrintable(ModalScript::Get().Problems))

// Runs a statement; a Failure escaping it fails this test function alone,
// with its text, instead of aborting the whole executable.
#define NO_FAILURE(statement)                                                                                          \
    try {                                                                                                              \
        statement;                                                                                                     \
    } catch (const Failure& f_) {                                                                                      \
        QFAIL(qPrintable(QStringLiteral("uncaught: ") + f_.Description));                                              \
    }

// Types path into a Qt file dialog's name box and presses Open or Save.
inline void ChooseFile(QFileDialog* dialog, const QString& path)
{
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    const bool save = dialog->acceptMode() == QFileDialog::AcceptSave;
    dialog->findChild<QDialogButtonBox*>()->button(save ? QDialogButtonBox::Save : QDialogButtonBox::Open)->click();
}
