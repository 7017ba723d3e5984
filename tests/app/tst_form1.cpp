// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "app/form1.h"
#include "app/grid_text_box.h"
#include "app/port_combo_box.h"
#include "support/fake_dialog_service.h"
#include "support/fake_serial_link.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
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
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void init()
    {
        serial_.Log.clear();
        dialogs_.Messages.clear();
        form_ = std::make_unique<Form1>(dialogs_, serial_);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    void startsWithTheDefaults()
    {
        Form1& f = *form_;
        QCOMPARE(f.windowTitle(), u"Brindlewick"_s);
        // The icon is built in, in sizes from the title bar's to the task switcher's.
        QCOMPARE(f.windowIcon().availableSizes().size(), 7);
        QVERIFY(!f.windowIcon().pixmap(256).isNull());
        QCOMPARE(f.Combo1->count(), 32);
        QCOMPARE(f.Combo1->itemText(31), u"32"_s);
        QCOMPARE(f.Combo1->currentText(), u"1"_s);
        QVERIFY(!f.Combo1->isEditable());
        QVERIFY(f.Option4->isChecked() && !f.Option2->isChecked() && !f.Option3->isChecked());
        QVERIFY(f.Frame1->isHidden());
        QCOMPARE(f.Option2->parentWidget(), f.Frame1);
        QCOMPARE(f.GridText(), BlankGrid);
        QCOMPARE(f.Label4->text(), u"0"_s);
        QCOMPARE(f.Timer1->interval(), 10);
        QVERIFY(!f.Timer1->isActive());  // idle: no ticks
        QVERIFY(serial_.Log.isEmpty());  // start-up leaves the port alone
    }

    void placesEveryControl()
    {
        Form1& f = *form_;
        struct Control {
            const char* name;
            QRect at;
            QString caption;
            QString family;
            qreal points;
        };
        const QList<Control> controls{
            {"Command4", {8, 16, 105, 25}, u"Load from file"_s, u"Verdana"_s, 9},
            {"Command3", {120, 16, 137, 25}, u"Receive Scene <<"_s, u"Verdana"_s, 9},
            {"Label4", {260, 17, 42, 21}, u"0"_s, u"Tahoma"_s, 14.25},
            {"Command2", {304, 16, 113, 25}, u"Send Scene >>"_s, u"Verdana"_s, 9},
            {"Command5", {424, 16, 89, 25}, u"Save to file"_s, u"Verdana"_s, 9},
            {"Text1", {8, 48, 577, 281}, {}, u"Courier New"_s, 11.25},
            {"Command6", {8, 336, 97, 25}, u"Clear"_s, u"Verdana"_s, 9},
            {"Command1", {488, 336, 97, 25}, u"Cancel"_s, u"Verdana"_s, 9.75},
            {"Frame1", {360, 304, 169, 41}, {}, u"Tahoma"_s, 8.25},
        };
        for (const Control& c : controls) {
            auto* widget = f.findChild<QWidget*>(QLatin1StringView(c.name));
            QVERIFY2(widget, c.name);
            QCOMPARE(widget->geometry(), c.at);
            QCOMPARE(widget->font().family(), c.family);
            QCOMPARE(widget->font().pointSizeF(), c.points);
            if (auto* button = qobject_cast<QPushButton*>(widget)) {
                QCOMPARE(button->text(), c.caption);
                QVERIFY(button->font().bold());
                // The caption fits with the fonts this system has.
                QVERIFY2(button->fontMetrics().horizontalAdvance(c.caption) + 6 <= c.at.width(), c.name);
                QVERIFY2(!button->autoDefault() && !button->isDefault(), c.name);
            }
        }
        QCOMPARE(f.Label4->palette().color(QPalette::WindowText), QColor(0, 128, 128));
        QCOMPARE(f.Label4->alignment(), Qt::AlignCenter);
        QCOMPARE(f.Label3->palette().color(QPalette::WindowText), QColor(128, 128, 128));
        QVERIFY(f.Label3->geometry().right() < f.Command1->x());
        QCOMPARE(f.Label1->geometry(), QRect(QPoint(528, 4), f.Label1->sizeHint()));
        QVERIFY(f.Label1->geometry().right() < f.width());
        QCOMPARE(f.Combo1->geometry().topLeft(), QPoint(528, 19));

        QCOMPARE(f.minimumSize(), QSize(591, 369));
        QCOMPARE(f.maximumSize(), QSize(591, 369));
        QVERIFY(!(f.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    void namesEveryControlForAssistiveTools()
    {
        for (QWidget* control : form_->findChildren<QWidget*>()) {
            if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QComboBox*>(control) &&
                !qobject_cast<QLabel*>(control) && !qobject_cast<QGroupBox*>(control) && control != form_->Text1)
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
        }
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(form_->Text1);
        QVERIFY(grid->text(QAccessible::Description).contains(u"Type digits and spaces"_s));
    }

    void startsOnCancelAndTabsInOrder()
    {
        Form1& f = *form_;
        QApplication::setActiveWindow(&f);
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QCOMPARE(QApplication::focusWidget(), f.Command1);
        for (QWidget* next :
             {static_cast<QWidget*>(f.Combo1), static_cast<QWidget*>(f.Command2), static_cast<QWidget*>(f.Command3),
              static_cast<QWidget*>(f.Text1), static_cast<QWidget*>(f.Command4), static_cast<QWidget*>(f.Command5),
              static_cast<QWidget*>(f.Command6), static_cast<QWidget*>(f.Command1)}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QCOMPARE(f.GridText(), BlankGrid);  // Tab typed nothing into the grid
    }

    void fitsAGridLineOnOneLine()
    {
        Form1& f = *form_;
        // Courier New's advance: 9 px at 11.25 pt bold.
        QCOMPARE(QFontMetricsF(f.Text1->font()).horizontalAdvance(u'0'), 9.0);
        QTextDocument* document = f.Text1->document();
        for (int i = 0; i < 16; ++i) {
            const QTextBlock block = document->findBlockByNumber(i);
            document->documentLayout()->blockBoundingRect(block);  // lays it out
            QCOMPARE(block.text().size(), 64);
            QCOMPARE(block.layout()->lineCount(), 1);
        }
        QTextCursor lastLine(document->findBlockByNumber(15));
        lastLine.movePosition(QTextCursor::EndOfBlock);
        QVERIFY(f.Text1->cursorRect(lastLine).bottom() < f.Text1->viewport()->height());
        QCOMPARE(f.Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(f.Text1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }

    void showsTheGridWithCrLfAndSetsItUnfiltered()
    {
        Form1& f = *form_;
        const QString text = u"001 abc \r\n-3 \r\n\r\n004 "_s;
        f.SetGridText(text);
        QCOMPARE(f.GridText(), text);
        QCOMPARE(f.Text1->toPlainText(), u"001 abc \n-3 \n\n004 "_s);

        // The context menu's Paste runs the box's paste(): not filtered.
        QGuiApplication::clipboard()->setText(u"x-9"_s);
        f.Text1->moveCursor(QTextCursor::End);
        f.Text1->paste();
        QVERIFY(f.GridText().endsWith(u"004 x-9"_s));
    }

    void keyFilterKeepsDigitsSpaceAndBackspaceOnly()
    {
        Form1& f = *form_;
        QGuiApplication::clipboard()->setText(u"999"_s);
        f.SetGridText(u"000 "_s);
        f.Text1->setFocus();
        f.Text1->moveCursor(QTextCursor::Start);
        QTest::keyClicks(f.Text1, u"7 "_s);
        QCOMPARE(f.GridText(), u"7 000 "_s);
        Press(f.Text1, Qt::Key_Backspace, u"\b"_s);
        Press(f.Text1, Qt::Key_Right, QString());
        Press(f.Text1, Qt::Key_Delete, QString(QChar(0x7f)));  // Delete's text is DEL: still deletes
        QCOMPARE(f.GridText(), u"700 "_s);

        QList<QSignalSpy*> clicks;
        for (QPushButton* button : f.findChildren<QPushButton*>())
            clicks << new QSignalSpy(button, &QPushButton::clicked);
        QTest::keyClicks(f.Text1, u"a-.+,Z!"_s);
        Press(f.Text1, Qt::Key_Eacute, u"\u00e9"_s);
        Press(f.Text1, Qt::Key_Return, u"\r"_s);
        Press(f.Text1, Qt::Key_Enter, u"\r"_s, Qt::KeypadModifier);
        Press(f.Text1, Qt::Key_Escape, QString(QChar(27)));
        // Shortcuts arrive with control characters as their text.
        for (auto [key, code] : {std::pair{Qt::Key_V, 22}, {Qt::Key_X, 24}, {Qt::Key_C, 3}, {Qt::Key_A, 1}})
            Press(f.Text1, key, QString(QChar(code)), Qt::ControlModifier);
        QCOMPARE(f.GridText(), u"700 "_s);
        for (QSignalSpy* spy : clicks) {
            QCOMPARE(spy->count(), 0);  // Enter pressed no button
            delete spy;
        }

        // Several characters in one event, and input-method text, keep only
        // what may be typed.
        f.Text1->moveCursor(QTextCursor::End);
        Press(f.Text1, Qt::Key_unknown, u"4x5"_s);
        QInputMethodEvent commit;
        commit.setCommitString(u"1-\b2\u0663"_s);
        QApplication::sendEvent(f.Text1, &commit);
        QCOMPARE(f.GridText(), u"700 4512"_s);
    }

    void clearEmptiesTheGridOnly()
    {
        Form1& f = *form_;
        f.Combo1->setCurrentText(u"5"_s);
        f.Label4->setText(u"12"_s);
        QTest::mouseClick(f.Command6, Qt::LeftButton);
        QCOMPARE(f.GridText(), QString());
        QCOMPARE(f.Combo1->currentText(), u"5"_s);
        QCOMPARE(f.Label4->text(), u"12"_s);
    }

    void cancelAndCloseEndAtOnceClosingThePort()
    {
        for (bool byButton : {true, false}) {
            init();
            Form1& f = *form_;
            serial_.SetPortOpen(true);
            f.Fields = {"\x01", 5, true};
            f.Timer1->start();
            serial_.Log.clear();
            byButton ? QTest::mouseClick(f.Command1, Qt::LeftButton) : void(f.close());
            QVERIFY(!f.isVisible());
            QVERIFY(dialogs_.Messages.isEmpty());  // no question
            QCOMPARE(serial_.Log, QStringList{u"close"_s});
            QVERIFY(!f.Timer1->isActive());
            QCOMPARE(f.Fields.LastReceiveTime, 0.0);
            QVERIFY(f.Fields.ReceiveBuffer.isEmpty());
        }
    }

    void namesTheDeviceBehindEachPort()
    {
        serial_.Devices = {{1, u"/dev/ttyS0"_s, u"ttyS0"_s, {}}, {2, u"/dev/ttyUSB0"_s, u"ttyUSB0"_s, u"FT232R"_s}};
        init();
        Form1& f = *form_;
        QCOMPARE(f.Combo1->itemData(1, Qt::ToolTipRole).toString(), u"ttyUSB0 (FT232R)"_s);
        QCOMPARE(f.Combo1->itemData(2, Qt::ToolTipRole).toString(), u"no serial port"_s);
        // An adapter plugged in later shows when the list is opened.
        serial_.Devices.append({3, u"/dev/ttyUSB1"_s, u"ttyUSB1"_s, {}});
        f.Combo1->showPopup();
        QCOMPARE(f.Combo1->itemData(2, Qt::ToolTipRole).toString(), u"ttyUSB1"_s);
        f.Combo1->hidePopup();
        serial_.Devices.clear();
    }

private:
    FakeDialogService dialogs_;
    FakeSerialLink serial_;
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
