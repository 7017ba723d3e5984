#include "platform/failure.h"
#include "platform/qt_dialog_service.h"
#include "support/modal.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestQtDialogService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void showsMessageBoxStyles();
    void asksForOneLineOfText();
    void filesDialogsCancelAndChoose();
    void showsProgressUntilDoneCancelledOrTimedOut();

private:
    QTemporaryDir home_;
};

void TestQtDialogService::initTestCase()
{
    QVERIFY(home_.isValid());
    qputenv("HOME", home_.path().toLocal8Bit());
}

void TestQtDialogService::showsMessageBoxStyles()
{
    QtDialogService dialogs;

    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
    } seen;
    auto answerWith = [&seen](QMessageBox::StandardButton press) {
        WhenModal<QMessageBox>([&seen, press](QMessageBox* box) {
            seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
            box->button(press)->click();
        });
    };

    answerWith(QMessageBox::Yes);
    QCOMPARE(dialogs.MsgBox(u"File already exists. Overwrite?"_s, 36, u"TOVRAK Updater"_s), MsgBoxResult::Yes);
    QCOMPARE(seen.title, u"TOVRAK Updater"_s);
    QCOMPARE(seen.text, u"File already exists. Overwrite?"_s);
    QCOMPARE(seen.icon, QMessageBox::Question);
    QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);

    answerWith(QMessageBox::No);
    QCOMPARE(dialogs.MsgBox(u"Again?"_s, 36, u"TOVRAK Updater"_s), MsgBoxResult::No);

    // No title of its own: the application's.
    answerWith(QMessageBox::Ok);
    QCOMPARE(dialogs.MsgBox(u"<b>not markup</b>"_s, 0), MsgBoxResult::Ok);
    QCOMPARE(seen.title, u"Brindlewick"_s);
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    const QList<std::pair<int, QMessageBox::Icon>> icons{
        {16, QMessageBox::Critical}, {48, QMessageBox::Warning}, {64, QMessageBox::Information}};
    for (const auto& [style, icon] : icons) {
        answerWith(QMessageBox::Ok);
        QCOMPARE(dialogs.MsgBox(u"x"_s, style, u"Send Scene"_s), MsgBoxResult::Ok);
        QCOMPARE(seen.icon, icon);
        QCOMPARE(seen.title, u"Send Scene"_s);
    }
}

void TestQtDialogService::asksForOneLineOfText()
{
    QtDialogService dialogs;
    QString label;
    QString initial = u"unset"_s;
    WhenModal<QInputDialog>([&](QInputDialog* dialog) {
        label = dialog->labelText();
        initial = dialog->textValue();
        QCOMPARE(dialog->windowTitle(), u"Send Scene"_s);
        QTest::keyClicks(dialog->findChild<QLineEdit*>(), u" 5"_s);
        dialog->accept();
    });
    QCOMPARE(dialogs.InputBox(u"Scene number ?"_s, u"Send Scene"_s), u" 5"_s);
    QCOMPARE(label, u"Scene number ?"_s);
    QCOMPARE(initial, QString());

    // A new box has no default answer, and cancel gives empty text.
    WhenModal<QInputDialog>([&](QInputDialog* dialog) {
        initial = dialog->textValue();
        QTest::keyClicks(dialog->findChild<QLineEdit*>(), u"9"_s);
        dialog->reject();
    });
    QCOMPARE(dialogs.InputBox(u"Scene number ?"_s, u"Receive Scene"_s), QString());
    QCOMPARE(initial, QString());
}

void TestQtDialogService::filesDialogsCancelAndChoose()
{
    const QString filter = u"TOVRAK bin Files (*.bin)|*.bin"_s;
    QtDialogService dialogs;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString existing = folder.filePath(u"scene.bin"_s);
    {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old");
    }

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
    bool confirms = true;
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        ChooseFile(dialog, existing);
    });
    int questions = 0;
    WhenModal<QMessageBox>(
        [&](QMessageBox* box) {
            ++questions;
            box->close();
        },
        1500);
    QCOMPARE(QDir::fromNativeSeparators(dialogs.ShowSave(filter, true)), existing);
    QVERIFY(!confirms);
    QTest::qWait(1600);
    QCOMPARE(questions, 0);

    // The next save dialog opens where the last one was used; the open
    // dialog keeps its own folder.
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
        startedIn = dialog->directory().absolutePath();
        dialog->reject();
    });
    QCOMPARE(dialogs.ShowSave(filter, false), QString());
    QCOMPARE(startedIn, QDir(folder.path()).absolutePath());

    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
        startedIn = dialog->directory().absolutePath();
        ChooseFile(dialog, existing);
    });
    QCOMPARE(QDir::fromNativeSeparators(dialogs.ShowOpen(filter, true)), existing);
    QCOMPARE(startedIn, QDir(home_.path()).absolutePath());

    QVERIFY(dialogs.FileExists(existing));
    QVERIFY(!dialogs.FileExists(folder.filePath(u"missing.bin"_s)));
    QVERIFY(!dialogs.FileExists(QString()));
}

void TestQtDialogService::showsProgressUntilDoneCancelledOrTimedOut()
{
    QtDialogService dialogs;
    qint64 done = 0;
    QTimer work;
    QObject::connect(&work, &QTimer::timeout, [&] { done += 100; });
    work.start(10);
    QString title;
    WhenModal<QProgressDialog>([&](QProgressDialog* dialog) { title = dialog->windowTitle(); });
    QCOMPARE(dialogs.ShowProgress(u"Sending"_s, u"Send Scene"_s, 1000, [&] { return done; }, 10000),
             ProgressOutcome::Finished);
    QVERIFY(done >= 1000);
    QCOMPARE(title, u"Send Scene"_s);

    work.stop();
    WhenModal<QProgressDialog>([](QProgressDialog* dialog) {
        dialog->findChild<QPushButton*>()->click();  // its Cancel button
    });
    QCOMPARE(dialogs.ShowProgress(u"Sending"_s, u"Send Scene"_s, 1000, [] { return 10; }, 10000),
             ProgressOutcome::Cancelled);

    QCOMPARE(dialogs.ShowProgress(u"Sending"_s, u"Send Scene"_s, 1000, [] { return 10; }, 200),
             ProgressOutcome::TimedOut);
}

QTEST_MAIN(TestQtDialogService)
#include "tst_qt_dialog_service.moc"
