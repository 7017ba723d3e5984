// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The Qt dialogs, answered through their own widgets.
#include "platform/qt_dialog_service.h"
#include "platform/work_progress.h"
#include "support/modal.h"

using namespace Qt::StringLiterals;

class TestQtDialogService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(home_.isValid());
        qputenv("HOME", home_.path().toLocal8Bit());
    }

    void cleanup() { VERIFY_EXPECTED_DIALOGS_CAME(); }

    void showsMessageAndInputBoxes()
    {
        // style, title, the button pressed -> "title|icon|buttons", the result
        const QList<std::tuple<int, std::optional<QString>, QMessageBox::StandardButton, QString, int>> cases{
            {36, u"TOVRAK Updater"_s, QMessageBox::Yes, u"TOVRAK Updater|4|81920"_s, 6},
            {36, u"TOVRAK Updater"_s, QMessageBox::No, u"TOVRAK Updater|4|81920"_s, 7},
            {0, std::nullopt, QMessageBox::Ok, u"Brindlewick|0|1024"_s, 1},
            {16, u"Send Scene"_s, QMessageBox::Ok, u"Send Scene|3|1024"_s, 1},
            {48, u"Save Scene"_s, QMessageBox::Ok, u"Save Scene|2|1024"_s, 1},
            {64, u"Brindlewick"_s, QMessageBox::Ok, u"Brindlewick|1|1024"_s, 1}};
        for (const auto& [style, title, press, shown, result] : cases) {
            QString seen;
            WhenModal<QMessageBox>([&, press = press](QMessageBox* box) {
                seen =
                    u"%1|%2|%3|%4"_s.arg(box->windowTitle(), box->text()).arg(box->icon()).arg(box->standardButtons());
                box->button(press)->click();
            });
            QCOMPARE(QtDialogService().MsgBox(u"<b>plain</b>"_s, style, title), result);
            QCOMPARE(seen, shown.section(u'|', 0, 0) + u"|<b>plain</b>|"_s + shown.section(u'|', 1));
        }
        // A check box comes back as the user left it; a details area holds the whole list.
        MsgBoxExtras extras{u"Scene 1: no reply\nScene 2: no reply"_s, u"Read each scene back to check it"_s, true};
        QString seen;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            seen =
                u"%1|%2|%3"_s.arg(box->checkBox()->text()).arg(box->checkBox()->isChecked()).arg(box->detailedText());
            box->checkBox()->click();
            box->button(QMessageBox::No)->click();
        });
        QCOMPARE(QtDialogService().MsgBoxWith(u"Send?"_s, 36, u"Restore Device"_s, extras), 7);
        QCOMPARE(seen, u"Read each scene back to check it|1|Scene 1: no reply\nScene 2: no reply"_s);
        QVERIFY(!extras.Checked);
        // An input box starts empty unless given a default (selected, so
        // typing replaces it); Cancel gives nothing.
        for (const auto& [given, accept] : {std::pair{QString(), true}, {u"1-255"_s, true}, {QString(), false}}) {
            QString shown = u"unset"_s;
            WhenModal<QInputDialog>([&, accept = accept](QInputDialog* dialog) {
                shown = dialog->labelText() + u'|' + dialog->textValue();
                QTest::keyClicks(dialog->findChild<QLineEdit*>(), u" 5"_s);
                accept ? dialog->accept() : dialog->reject();
            });
            QCOMPARE(QtDialogService().InputBox(u"Scene number ?"_s, u"Send Scene"_s, given),
                     accept ? u" 5"_s : QString());
            QCOMPARE(shown, u"Scene number ?|"_s + given);
        }
    }

    void fileDialogsCancelChooseAndRemember()
    {
        const QString filter = u"TOVRAK bin Files (*.bin)|*.bin"_s;
        QtDialogService dialogs;
        QTemporaryDir folder;
        const QString existing = folder.filePath(u"scene.bin"_s);
        QFile(existing).open(QIODevice::WriteOnly);

        QStringList seen;
        const auto note = [&](QFileDialog* dialog) {
            seen << dialog->directory().absolutePath() + u'|' + dialog->nameFilters().join(u';');
            dialog->reject();
        };
        WhenModal<QFileDialog>(note);
        QVERIFY_THROWS_EXCEPTION(Failure, dialogs.ShowOpen(filter, true));  // CancelError
        QCOMPARE(QtNameFilters(u"Text|*.txt;*.log|All|*.*"_s), (QStringList{u"Text (*.txt *.log)"_s, u"All (*.*)"_s}));
        // Saving onto an existing file asks nothing (a question would be a
        // stray dialog): the dialog just gives it.
        WhenModal<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, existing); });
        NO_FAILURE(QCOMPARE(QDir::fromNativeSeparators(dialogs.ShowSave(filter, true)), existing));
        // The save dialog reopens where it was used; the open dialog keeps its own folder.
        WhenModal<QFileDialog>(note);
        NO_FAILURE(QCOMPARE(dialogs.ShowSave(filter, false), QString()));
        WhenModal<QFileDialog>(note);
        NO_FAILURE(dialogs.ShowOpen(filter, false));
        // Windows takes the profile folder from the system, not from HOME.
        const QString home = QDir::homePath(), bin = u"|TOVRAK bin Files (*.bin)"_s;
        QCOMPARE(seen, (QStringList{home + bin, QDir(folder.path()).absolutePath() + bin, home + bin}));

        // The folder dialog gives a folder and opens there the next time.
        WhenModal<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, folder.path()); });
        QCOMPARE(QDir(dialogs.ShowFolder(u"Back up into folder"_s)), QDir(folder.path()));
        WhenModal<QFileDialog>(
            [&](QFileDialog* dialog) { seen = {dialog->directory().absolutePath()}, dialog->reject(); });
        QCOMPARE(dialogs.ShowFolder(u"Back up into folder"_s), QString());
        QCOMPARE(seen, QStringList{QDir(folder.path()).absolutePath()});
        QVERIFY(dialogs.FileExists(existing) && !dialogs.FileExists(folder.filePath(u"no.bin"_s)));
    }

    void followsWorkUntilItSaysItIsOver()
    {
        QtDialogService dialogs;
        WorkProgress work;
        const auto shown = [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() == u"WorkProgressDialog" && w->isVisible())
                    return qobject_cast<QDialog*>(w);
            }
            return static_cast<QDialog*>(nullptr);
        };
        dialogs.ShowProgress(u"Back Up Device"_s, work);  // nothing going on: no dialog
        QVERIFY(!shown());

        // It returns at once and blocks no window. Cancel, Escape and the
        // close button only ask the work to stop; the dialog stays up,
        // showing what the work says, until it is over.
        const QList<std::function<void(QDialog*)>> cancels{[](QDialog* d) { d->findChild<QPushButton*>()->click(); },
                                                           [](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); },
                                                           [](QDialog* d) { d->close(); }};
        for (const auto& cancel : cancels) {
            work.Begin(3, u"Fetching scene 1 (1 of 3)"_s);
            dialogs.ShowProgress(u"Back Up Device"_s, work);
            QDialog* dialog = shown();
            QVERIFY(dialog && !dialog->isModal() && !QApplication::activeModalWidget());
            cancel(dialog);
            work.Show(1, u"Stopping once scene 1 is over…"_s);
            QTest::qWait(20);
            QCOMPARE(u"%1 %2 %3"_s.arg(dialog->isVisible())
                         .arg(dialog->findChild<QPushButton*>()->isEnabled())
                         .arg(dialog->findChild<QLabel*>()->text()),
                     u"1 0 Stopping once scene 1 is over…"_s);
            QVERIFY(work.StopAsked);
            work.End();
            QTRY_VERIFY(!shown());
        }
    }

private:
    QTemporaryDir home_;
};

QTEST_MAIN(TestQtDialogService)
#include "tst_qt_dialog_service.moc"
