// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The Qt dialogs, answered through their own widgets.
#include "platform/qt_dialog_service.h"
#include "support/modal.h"

#include <QInputDialog>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class TestQtDialogService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(home_.isValid());
        qputenv("HOME", home_.path().toLocal8Bit());
    }

    void cleanup() { VERIFY_NO_STRAY_DIALOGS(); }

    void showsMessageAndInputBoxes()
    {
        // style, title -> icon, buttons; the button pressed -> the result
        const QList<std::tuple<int, std::optional<QString>, QMessageBox::Icon, QMessageBox::StandardButton, int>> cases{
            {36, u"TOVRAK Updater"_s, QMessageBox::Question, QMessageBox::Yes, 6},
            {36, u"TOVRAK Updater"_s, QMessageBox::Question, QMessageBox::No, 7},
            {0, std::nullopt, QMessageBox::NoIcon, QMessageBox::Ok, 1},
            {16, u"Send Scene"_s, QMessageBox::Critical, QMessageBox::Ok, 1},
            {48, u"Save Scene"_s, QMessageBox::Warning, QMessageBox::Ok, 1},
            {64, u"Brindlewick"_s, QMessageBox::Information, QMessageBox::Ok, 1}};
        for (const auto& [style, title, icon, press, result] : cases) {
            QString seen;
            WhenModal<QMessageBox>([&, press = press](QMessageBox* box) {
                seen =
                    u"%1|%2|%3|%4"_s.arg(box->windowTitle(), box->text()).arg(box->icon()).arg(box->standardButtons());
                box->button(press)->click();
            });
            const QMessageBox::StandardButtons buttons =
                style == 36 ? QMessageBox::Yes | QMessageBox::No : QMessageBox::StandardButtons(QMessageBox::Ok);
            QCOMPARE(QtDialogService().MsgBox(u"<b>plain</b>"_s, style, title), result);
            QCOMPARE(seen, u"%1|<b>plain</b>|%2|%3"_s.arg(title.value_or(u"Brindlewick"_s)).arg(icon).arg(buttons));
        }

        for (bool accept : {true, false}) {
            QString shown = u"unset"_s;
            WhenModal<QInputDialog>([&](QInputDialog* dialog) {
                shown = dialog->labelText() + u'|' + dialog->textValue();  // no default answer, ever
                QTest::keyClicks(dialog->findChild<QLineEdit*>(), u" 5"_s);
                accept ? dialog->accept() : dialog->reject();
            });
            QCOMPARE(QtDialogService().InputBox(u"Scene number ?"_s, u"Send Scene"_s), accept ? u" 5"_s : QString());
            QCOMPARE(shown, u"Scene number ?|"_s);
        }
    }

    void fileDialogsCancelChooseAndRemember()
    {
        const QString filter = u"TOVRAK bin Files (*.bin)|*.bin"_s;
        QtDialogService dialogs;
        QTemporaryDir folder;
        const QString existing = folder.filePath(u"scene.bin"_s);
        QFile(existing).open(QIODevice::WriteOnly);

        QString startedIn;
        QStringList filters;
        WhenModal<QFileDialog>([&](QFileDialog* dialog) {
            startedIn = dialog->directory().absolutePath(), filters = dialog->nameFilters();
            dialog->reject();
        });
        QVERIFY_THROWS_EXCEPTION(Failure, dialogs.ShowOpen(filter, true));  // CancelError
        QCOMPARE(startedIn, QDir(home_.path()).absolutePath());
        QCOMPARE(filters, QStringList{u"TOVRAK bin Files (*.bin)"_s});
        QCOMPARE(QtNameFilters(u"Text|*.txt;*.log|All|*.*"_s), (QStringList{u"Text (*.txt *.log)"_s, u"All (*.*)"_s}));
        WhenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        NO_FAILURE(QCOMPARE(dialogs.ShowSave(filter, false), QString()));

        // Saving onto an existing file asks nothing (a question would be a
        // stray dialog): the dialog just gives it.
        WhenModal<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, existing); });
        NO_FAILURE(QCOMPARE(QDir::fromNativeSeparators(dialogs.ShowSave(filter, true)), existing));

        // The save dialog reopens where it was used; the open dialog keeps its own folder.
        for (bool save : {true, false}) {
            WhenModal<QFileDialog>([&](QFileDialog* dialog) {
                startedIn = dialog->directory().absolutePath();
                dialog->reject();
            });
            NO_FAILURE(save ? dialogs.ShowSave(filter, false) : dialogs.ShowOpen(filter, false));
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
        const auto progress = [&](int timeoutMs) {
            return dialogs.ShowProgress(
                u"Sending"_s, u"Send Scene"_s, 1000, [&] { return done; }, timeoutMs);
        };
        QCOMPARE(progress(10000), ProgressOutcome::Finished);
        QVERIFY(done >= 1000);
        done = 10, work.stop();
        WhenModal<QProgressDialog>([](QProgressDialog* dialog) { dialog->findChild<QPushButton*>()->click(); });
        QCOMPARE(progress(10000), ProgressOutcome::Cancelled);
        QCOMPARE(progress(200), ProgressOutcome::TimedOut);
    }

private:
    QTemporaryDir home_;
};

QTEST_MAIN(TestQtDialogService)
#include "tst_qt_dialog_service.moc"
