// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The Qt dialogs, answered through their own widgets.
#include "platform/failure.h"
#include "platform/qt_dialog_service.h"
#include "support/modal.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestQtDialogService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(home_.isValid());
        qputenv("HOME", home_.path().toLocal8Bit());
    }

    void showsMessageBoxStyles()
    {
        QtDialogService dialogs;
        struct Case {
            int style;
            std::optional<QString> title;
            QMessageBox::Icon icon;
            QMessageBox::StandardButtons buttons;
            QMessageBox::StandardButton press;
            int result;
        };
        const QList<Case> cases{
            {36, u"TOVRAK Updater"_s, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, 6},
            {36, u"TOVRAK Updater"_s, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, 7},
            {0, std::nullopt, QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok, 1},
            {16, u"Send Scene"_s, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, 1},
            {48, u"Save Scene"_s, QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok, 1},
            {64, u"Brindlewick"_s, QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok, 1},
        };
        for (const Case& c : cases) {
            QMessageBox seen;
            WhenModal<QMessageBox>([&](QMessageBox* box) {
                seen.setWindowTitle(box->windowTitle());
                seen.setText(box->text());
                seen.setIcon(box->icon());
                seen.setStandardButtons(box->standardButtons());
                box->button(c.press)->click();
            });
            QCOMPARE(dialogs.MsgBox(u"<b>plain</b>"_s, c.style, c.title), c.result);
            QCOMPARE(seen.windowTitle(), c.title.value_or(u"Brindlewick"_s));
            QCOMPARE(seen.text(), u"<b>plain</b>"_s);
            QCOMPARE(seen.icon(), c.icon);
            QCOMPARE(seen.standardButtons(), c.buttons);
        }
    }

    void asksForOneLineOfText()
    {
        QtDialogService dialogs;
        for (bool accept : {true, false}) {
            QString label;
            QString initial = u"unset"_s;
            WhenModal<QInputDialog>([&](QInputDialog* dialog) {
                label = dialog->labelText();
                initial = dialog->textValue();
                QTest::keyClicks(dialog->findChild<QLineEdit*>(), u" 5"_s);
                accept ? dialog->accept() : dialog->reject();
            });
            QCOMPARE(dialogs.InputBox(u"Scene number ?"_s, u"Send Scene"_s), accept ? u" 5"_s : QString());
            QCOMPARE(label, u"Scene number ?"_s);
            QCOMPARE(initial, QString());  // no default answer, ever
        }
    }

    void fileDialogsCancelChooseAndRemember()
    {
        const QString filter = u"TOVRAK bin Files (*.bin)|*.bin"_s;
        QtDialogService dialogs;
        QTemporaryDir folder;
        const QString existing = folder.filePath(u"scene.bin"_s);
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        QString startedIn;
        QStringList filters;
        WhenModal<QFileDialog>([&](QFileDialog* dialog) {
            startedIn = dialog->directory().absolutePath();
            filters = dialog->nameFilters();
            dialog->reject();
        });
        try {
            dialogs.ShowOpen(filter, true);
            QFAIL("a cancelled dialog gave a file");
        } catch (const Failure& failure) {
            QCOMPARE(failure.Number, FailureNumber::CancelSelected);
        }
        QCOMPARE(startedIn, QDir(home_.path()).absolutePath());
        QCOMPARE(filters, QStringList{u"TOVRAK bin Files (*.bin)"_s});
        WhenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        QCOMPARE(dialogs.ShowSave(filter, false), QString());

        // Saving onto an existing file asks nothing: the dialog just gives it.
        int questions = 0;
        WhenModal<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, existing); });
        WhenModal<QMessageBox>([&](QMessageBox* box) { ++questions, box->close(); }, 500);
        QCOMPARE(QDir::fromNativeSeparators(dialogs.ShowSave(filter, true)), existing);
        QTest::qWait(600);
        QCOMPARE(questions, 0);

        // The save dialog reopens where it was used; the open dialog keeps its own folder.
        for (bool save : {true, false}) {
            WhenModal<QFileDialog>([&](QFileDialog* dialog) {
                startedIn = dialog->directory().absolutePath();
                dialog->reject();
            });
            save ? dialogs.ShowSave(filter, false) : dialogs.ShowOpen(filter, false);
            QCOMPARE(startedIn, QDir(save ? folder.path() : home_.path()).absolutePath());
        }
        QVERIFY(dialogs.FileExists(existing));
        QVERIFY(!dialogs.FileExists(folder.filePath(u"missing.bin"_s)) && !dialogs.FileExists(QString()));
    }

    void showsProgressUntilDoneCancelledOrTimedOut()
    {
        QtDialogService dialogs;
        qint64 done = 0;
        QTimer work;
        QObject::connect(&work, &QTimer::timeout, [&] { done += 100; });
        work.start(10);
        QCOMPARE(dialogs.ShowProgress(
                     u"Sending"_s, u"Send Scene"_s, 1000, [&] { return done; }, 10000),
                 ProgressOutcome::Finished);
        QVERIFY(done >= 1000);
        work.stop();
        WhenModal<QProgressDialog>([](QProgressDialog* dialog) { dialog->findChild<QPushButton*>()->click(); });
        QCOMPARE(dialogs.ShowProgress(
                     u"Sending"_s, u"Send Scene"_s, 1000, [] { return 10; }, 10000),
                 ProgressOutcome::Cancelled);
        QCOMPARE(dialogs.ShowProgress(
                     u"Sending"_s, u"Send Scene"_s, 1000, [] { return 10; }, 200),
                 ProgressOutcome::TimedOut);
    }

private:
    QTemporaryDir home_;
};

QTEST_MAIN(TestQtDialogService)
#include "tst_qt_dialog_service.moc"
