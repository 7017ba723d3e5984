#include "app/form1.h"
#include "app/grid_text_box.h"
#include "app/port_combo_box.h"
#include "platform/failure.h"
#include "scene/scene_grid.h"
#include "support/fake_dialog_service.h"
#include "support/fake_serial_link.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString BlankGrid = FormatSceneGrid(SceneBytes(256, '\0'));

// Presses a key whose typed text is text, as the platform delivers it.
void Press(QWidget* widget, Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::sendKeyEvent(QTest::Click, widget, key, text, modifiers);
}

}  // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startsWithTheDefaults();
    void placesEveryControl_data();
    void placesEveryControl();
    void isAFixedWindowWithoutDefaultButton();
    void startsOnCancelAndTabsInOrder();
    void fitsAGridLineOnOneLine();
    void showsTheGridWithCrLf();
    void keyFilterKeepsDigitsSpaceAndBackspace();
    void keyFilterDropsEverythingElseTyped();
    void programAndMenuPasteAreNotFiltered();
    void clearEmptiesTheGrid();
    void cancelEndsAtOnceAndClosesThePort();
    void namesTheDeviceBehindEachPort();
    void setsALargeGrid();

private:
    FakeDialogService dialogs_;
    FakeSerialLink serial_;
    std::unique_ptr<Form1> form_;
};

void TestForm1::initTestCase()
{
    // Closing the window under test must not end the test run.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestForm1::init()
{
    dialogs_.Messages.clear();
    serial_.Log.clear();
    serial_.Devices.clear();
    if (serial_.PortOpen())
        serial_.SetPortOpen(false);
    form_ = std::make_unique<Form1>(dialogs_, serial_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void TestForm1::cleanup()
{
    form_.reset();
}

void TestForm1::startsWithTheDefaults()
{
    Form1& f = *form_;
    QCOMPARE(f.windowTitle(), u"Brindlewick"_s);

    QCOMPARE(f.Combo1->count(), 32);
    for (int i = 0; i < 32; ++i)
        QCOMPARE(f.Combo1->itemText(i), QString::number(i + 1));
    QCOMPARE(f.Combo1->currentText(), u"1"_s);
    QVERIFY(!f.Combo1->isEditable());

    QVERIFY(f.Option4->isChecked());
    QVERIFY(!f.Option2->isChecked());
    QVERIFY(!f.Option3->isChecked());
    QVERIFY(f.Frame1->isHidden());
    for (QRadioButton* option : {f.Option2, f.Option3, f.Option4}) {
        QCOMPARE(option->parentWidget(), f.Frame1);
        QVERIFY(!option->isVisible());
    }

    QCOMPARE(f.GridText(), BlankGrid);
    const std::optional<SceneBytes> bytes = ParseSceneGrid(f.GridText(), u"Send Scene"_s, dialogs_);
    QVERIFY(bytes);
    QCOMPARE(*bytes, SceneBytes(256, '\0'));
    QCOMPARE(f.Label4->text(), u"0"_s);

    QCOMPARE(f.Fields.ReceiveBuffer, SceneBytes());
    QCOMPARE(f.Fields.LastReceiveTime, 0.0);
    QCOMPARE(f.Fields.AwaitingReply, false);
    QCOMPARE(f.Timer1->interval(), 10);
    QVERIFY(!f.Timer1->isActive());  // idle: no ticks
    QVERIFY(dialogs_.Messages.isEmpty());
    QVERIFY(serial_.Log.isEmpty());  // start-up leaves the port alone
}

void TestForm1::placesEveryControl_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");

    QTest::newRow("Command4") << u"Command4"_s << QRect(8, 16, 105, 25) << u"Load from file"_s << u"Verdana"_s << 9.0
                              << true;
    QTest::newRow("Command3") << u"Command3"_s << QRect(120, 16, 137, 25) << u"Receive Scene <<"_s << u"Verdana"_s
                              << 9.0 << true;
    QTest::newRow("Label4") << u"Label4"_s << QRect(260, 17, 42, 21) << u"0"_s << u"Tahoma"_s << 14.25 << true;
    QTest::newRow("Command2") << u"Command2"_s << QRect(304, 16, 113, 25) << u"Send Scene >>"_s << u"Verdana"_s
                              << 9.0 << true;
    QTest::newRow("Command5") << u"Command5"_s << QRect(424, 16, 89, 25) << u"Save to file"_s << u"Verdana"_s << 9.0
                              << true;
    QTest::newRow("Text1") << u"Text1"_s << QRect(8, 48, 577, 281) << QString() << u"Courier New"_s << 11.25 << true;
    QTest::newRow("Command6") << u"Command6"_s << QRect(8, 336, 97, 25) << u"Clear"_s << u"Verdana"_s << 9.0 << true;
    QTest::newRow("Command1") << u"Command1"_s << QRect(488, 336, 97, 25) << u"Cancel"_s << u"Verdana"_s << 9.75
                              << true;
    QTest::newRow("Frame1") << u"Frame1"_s << QRect(360, 304, 169, 41) << u"BAUD Rate"_s << u"Tahoma"_s << 8.25
                            << false;
}

void TestForm1::placesEveryControl()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, family);
    QFETCH(qreal, points);
    QFETCH(bool, bold);

    auto* widget = form_->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->font().family(), family);
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(widget->font().bold(), bold);
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(button->text(), caption);
        // The caption must fit in the button with the fonts this system has.
        QVERIFY2(button->fontMetrics().horizontalAdvance(caption) + 6 <= geometry.width(), qPrintable(caption));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        QCOMPARE(label->text(), caption);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        QCOMPARE(group->title(), caption);
    }
}

void TestForm1::isAFixedWindowWithoutDefaultButton()
{
    Form1& f = *form_;
    QCOMPARE(f.size(), QSize(591, 369));
    QCOMPARE(f.minimumSize(), QSize(591, 369));
    QCOMPARE(f.maximumSize(), QSize(591, 369));
    const Qt::WindowFlags flags = f.windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);

    // Label4 is teal and centred, Label3 grey, Label1 sized to its text.
    QCOMPARE(f.Label4->palette().color(QPalette::WindowText), QColor(0, 128, 128));
    QCOMPARE(f.Label4->alignment(), Qt::AlignCenter);
    QCOMPARE(f.Label3->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    QCOMPARE(f.Label3->pos(), QPoint(216, 344));
    QVERIFY(f.Label3->geometry().right() < f.Command1->x());
    QCOMPARE(f.Label1->text(), u"Comm Port"_s);
    QCOMPARE(f.Label1->pos(), QPoint(528, 4));
    QCOMPARE(f.Label1->size(), f.Label1->sizeHint());
    QVERIFY(f.Label1->geometry().right() < f.width());
    QCOMPARE(f.Combo1->geometry().topLeft(), QPoint(528, 19));
    QCOMPARE(f.Combo1->width(), 57);

    const QList<QPushButton*> buttons = f.findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 6);
    QList<QSignalSpy*> spies;
    for (QPushButton* button : buttons) {
        QVERIFY2(!button->autoDefault() && !button->isDefault(), qPrintable(button->objectName()));
        spies << new QSignalSpy(button, &QPushButton::clicked);
    }
    // Enter in the grid presses nothing.
    f.Text1->setFocus();
    Press(f.Text1, Qt::Key_Return, u"\r"_s);
    Press(f.Text1, Qt::Key_Enter, u"\r"_s, Qt::KeypadModifier);
    for (QSignalSpy* spy : spies) {
        QCOMPARE(spy->count(), 0);
        delete spy;
    }
    QVERIFY(f.isVisible());
}

void TestForm1::startsOnCancelAndTabsInOrder()
{
    Form1& f = *form_;
    QApplication::setActiveWindow(&f);
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(QApplication::focusWidget(), f.Command1);

    const QList<QWidget*> order{f.Combo1, f.Command2, f.Command3, f.Text1, f.Command4, f.Command5, f.Command6,
                                f.Command1};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    QCOMPARE(f.GridText(), BlankGrid);  // Tab typed nothing into the grid
}

void TestForm1::fitsAGridLineOnOneLine()
{
    Form1& f = *form_;
    // The grid font has Courier New's advance: 9 px at 11.25 pt bold.
    QCOMPARE(QFontMetricsF(f.Text1->font()).horizontalAdvance(u'0'), 9.0);

    QTextDocument* document = f.Text1->document();
    int lines = 0;
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next()) {
        document->documentLayout()->blockBoundingRect(block);  // lays the block out
        QVERIFY(block.layout());
        if (block.text().isEmpty())
            continue;  // after the last CR LF
        QCOMPARE(block.text().size(), 64);
        QCOMPARE(block.layout()->lineCount(), 1);
        ++lines;
    }
    QCOMPARE(lines, 16);
    // All sixteen lines show without scrolling.
    QTextCursor lastLine(document->findBlockByNumber(15));
    lastLine.movePosition(QTextCursor::EndOfBlock);
    QVERIFY(f.Text1->cursorRect(lastLine).bottom() < f.Text1->viewport()->height());
    QCOMPARE(f.Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(f.Text1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

void TestForm1::showsTheGridWithCrLf()
{
    Form1& f = *form_;
    const QString text = u"001 002 \r\n003 \r\n\r\n004 "_s;
    f.SetGridText(text);
    QCOMPARE(f.GridText(), text);
    QCOMPARE(f.Text1->toPlainText(), u"001 002 \n003 \n\n004 "_s);
    f.SetGridText(QString());
    QCOMPARE(f.GridText(), QString());
}

void TestForm1::keyFilterKeepsDigitsSpaceAndBackspace()
{
    Form1& f = *form_;
    f.SetGridText(u"000 "_s);
    f.Text1->setFocus();
    f.Text1->moveCursor(QTextCursor::Start);

    QTest::keyClicks(f.Text1, u"7 "_s);
    QCOMPARE(f.GridText(), u"7 000 "_s);
    Press(f.Text1, Qt::Key_Backspace, u"\b"_s);
    QCOMPARE(f.GridText(), u"7000 "_s);
    // Cursor keys move and Delete deletes, although Delete's text is DEL.
    Press(f.Text1, Qt::Key_Right, QString());
    Press(f.Text1, Qt::Key_Delete, QString(QChar(0x7f)));
    QCOMPARE(f.GridText(), u"700 "_s);
    Press(f.Text1, Qt::Key_Home, QString());
    QTest::keyClicks(f.Text1, u"0123456789"_s);
    QCOMPARE(f.GridText(), u"0123456789700 "_s);
}

void TestForm1::keyFilterDropsEverythingElseTyped()
{
    Form1& f = *form_;
    QGuiApplication::clipboard()->setText(u"999"_s);
    f.SetGridText(u"000 "_s);
    f.Text1->setFocus();
    f.Text1->moveCursor(QTextCursor::End);

    QTest::keyClicks(f.Text1, u"a-.+,Z!"_s);
    Press(f.Text1, Qt::Key_Eacute, u"\u00e9"_s);
    Press(f.Text1, Qt::Key_Return, u"\r"_s);
    Press(f.Text1, Qt::Key_Tab, u"\t"_s);
    Press(f.Text1, Qt::Key_Escape, QString(QChar(27)));
    // Shortcuts arrive with control characters as their text.
    Press(f.Text1, Qt::Key_V, QString(QChar(22)), Qt::ControlModifier);
    Press(f.Text1, Qt::Key_X, QString(QChar(24)), Qt::ControlModifier);
    Press(f.Text1, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
    Press(f.Text1, Qt::Key_C, QString(QChar(3)), Qt::ControlModifier);
    QCOMPARE(f.GridText(), u"000 "_s);

    // A key event carrying several characters keeps only the allowed ones.
    Press(f.Text1, Qt::Key_unknown, u"4x5"_s);
    QCOMPARE(f.GridText(), u"000 45"_s);

    // Text from an input method is filtered the same way, backspace included.
    QInputMethodEvent commit;
    commit.setCommitString(u"1-\b2\u0663"_s);
    QApplication::sendEvent(f.Text1, &commit);
    QCOMPARE(f.GridText(), u"000 4512"_s);
    QInputMethodEvent nothing;
    nothing.setCommitString(u"abc"_s);
    QApplication::sendEvent(f.Text1, &nothing);
    QCOMPARE(f.GridText(), u"000 4512"_s);
}

void TestForm1::programAndMenuPasteAreNotFiltered()
{
    Form1& f = *form_;
    f.SetGridText(u"abc -1 2.5\r\nx"_s);
    QCOMPARE(f.GridText(), u"abc -1 2.5\r\nx"_s);

    // The context menu's Paste runs the box's paste().
    QGuiApplication::clipboard()->setText(u"x-9"_s);
    f.Text1->moveCursor(QTextCursor::End);
    f.Text1->paste();
    QCOMPARE(f.GridText(), u"abc -1 2.5\r\nxx-9"_s);
}

void TestForm1::clearEmptiesTheGrid()
{
    Form1& f = *form_;
    f.Combo1->setCurrentText(u"5"_s);
    f.Label4->setText(u"12"_s);
    QTest::mouseClick(f.Command6, Qt::LeftButton);
    QCOMPARE(f.GridText(), QString());
    QCOMPARE(f.Combo1->currentText(), u"5"_s);
    QCOMPARE(f.Label4->text(), u"12"_s);
    QVERIFY(f.Option4->isChecked());
    // An empty grid parses to nothing, quietly.
    const std::optional<SceneBytes> bytes = ParseSceneGrid(f.GridText(), u"Send Scene"_s, dialogs_);
    QVERIFY(bytes && bytes->isEmpty());
    QVERIFY(dialogs_.Messages.isEmpty());
}

void TestForm1::cancelEndsAtOnceAndClosesThePort()
{
    for (bool byButton : {true, false}) {
        if (!byButton) {
            init();
        }
        Form1& f = *form_;
        serial_.SetPortOpen(true);
        f.Fields.ReceiveBuffer = "\x01\x02";
        f.Fields.LastReceiveTime = 5;
        f.Fields.AwaitingReply = true;
        f.Timer1->start();
        serial_.Log.clear();

        if (byButton)
            QTest::mouseClick(f.Command1, Qt::LeftButton);
        else
            f.close();  // the window's close button

        QVERIFY(!f.isVisible());
        QVERIFY(dialogs_.Messages.isEmpty());  // no question
        QVERIFY(!serial_.PortOpen());
        QCOMPARE(serial_.Log, QStringList{u"close"_s});
        QVERIFY(!f.Timer1->isActive());
        QCOMPARE(f.Fields.LastReceiveTime, 0.0);
        QVERIFY(f.Fields.ReceiveBuffer.isEmpty());
    }
}

void TestForm1::namesTheDeviceBehindEachPort()
{
    serial_.Devices = {{1, u"/dev/ttyS0"_s, u"ttyS0"_s, {}}, {2, u"/dev/ttyUSB0"_s, u"ttyUSB0"_s, u"FT232R"_s}};
    form_ = std::make_unique<Form1>(dialogs_, serial_);
    Form1& f = *form_;
    QCOMPARE(f.Combo1->itemData(0, Qt::ToolTipRole).toString(), u"ttyS0"_s);
    QCOMPARE(f.Combo1->itemData(1, Qt::ToolTipRole).toString(), u"ttyUSB0 (FT232R)"_s);
    QCOMPARE(f.Combo1->itemData(2, Qt::ToolTipRole).toString(), u"no serial port"_s);

    // An adapter plugged in later shows when the list is opened.
    serial_.Devices.append({3, u"/dev/ttyUSB1"_s, u"ttyUSB1"_s, {}});
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.Combo1->showPopup();
    QCOMPARE(f.Combo1->itemData(2, Qt::ToolTipRole).toString(), u"ttyUSB1"_s);
    f.Combo1->hidePopup();
}

void TestForm1::setsALargeGrid()
{
    Form1& f = *form_;
    SceneBytes scene(64 * 1024, '\0');
    for (qsizetype i = 0; i < scene.size(); ++i)
        scene[i] = static_cast<char>(i % 251);
    const QString grid = FormatSceneGrid(scene);
    f.SetGridText(grid);
    QCOMPARE(f.GridText(), grid);
    const std::optional<SceneBytes> back = ParseSceneGrid(f.GridText(), u"Save Scene"_s, dialogs_);
    QVERIFY(back);
    QCOMPARE(*back, scene);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
