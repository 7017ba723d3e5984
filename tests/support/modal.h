// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#pragma once

#include "platform/failure.h"

#include <QtTest>
#include <QtWidgets>

// Answers the real modal dialogs as a user would, in the order the test
// expects them. A dialog nobody expects (progress dialogs aside) is closed at
// once and fails the test with its text, instead of hanging it.
class ModalScript final {
public:
    static ModalScript& Get()
    {
        static auto* script = new ModalScript;  // lives as long as the application
        return *script;
    }

    // The dialogs still to come: the class of each and what the user does.
    QList<std::pair<const char*, std::function<void(QWidget*)>>> Answers;

private:
    ModalScript()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(10);
    }

    void Poll()
    {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return timer_.stop();  // no widgets in this suite
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == answered_)
            return;
        if (!Answers.isEmpty() && modal->inherits(Answers.first().first)) {
            // Answered outside this timer, which Qt does not fire again while
            // it runs: a dialog the answer opens (a question over a file
            // dialog) is seen too.
            answered_ = modal;
            QTimer::singleShot(0, modal, [this, modal, act = Answers.takeFirst().second] {
                act(modal);
                answered_ = nullptr;  // still up after its answer: no longer expected
            });
            return;
        }
        if (modal->objectName() != u"WorkProgressDialog") {
            const auto* box = qobject_cast<QMessageBox*>(modal);
            const QString text =
                QStringLiteral("unexpected \"%1\" %2").arg(modal->windowTitle(), box ? box->text() : QString());
            modal->close();
            QTest::qFail(qPrintable(text), __FILE__, __LINE__);
        }
    }

    QTimer timer_;
    QPointer<QWidget> answered_;
};

// On from the start, so that a dialog in a suite's first test cannot hang it.
inline void StartModalScript()
{
    ModalScript::Get();
}
Q_COREAPP_STARTUP_FUNCTION(StartModalScript)

// The next dialog is a T, answered by answer.
template <typename T> void WhenModal(std::function<void(T*)> answer)
{
    ModalScript::Get().Answers.append(
        {T::staticMetaObject.className(), [answer](QWidget* w) { answer(static_cast<T*>(w)); }});
}

// Ends each test function of a suite that answers real dialogs.
#define VERIFY_EXPECTED_DIALOGS_CAME() QCOMPARE(std::exchange(ModalScript::Get().Answers, {}).size(), 0)

// Runs a statement; a Failure escaping it fails this test function alone,
// with its text, instead of aborting the whole executable.
#define NO_FAILURE(statement)                                                                                          \
    try {                                                                                                              \
        statement;                                                                                                     \
    } catch (const Failure& failure_) {                                                                                \
        QFAIL(qPrintable(QStringLiteral("uncaught: ") + failure_.Description));                                        \
    }

// Types path into a Qt file dialog's name box and presses Open or Save.
inline void ChooseFile(QFileDialog* dialog, const QString& path)
{
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    const bool save = dialog->acceptMode() == QFileDialog::AcceptSave;
    dialog->findChild<QDialogButtonBox*>()->button(save ? QDialogButtonBox::Save : QDialogButtonBox::Open)->click();
}
