// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The real window: its start-up, layout, key filter, Clear and Cancel.
#include "app/grid_text_box.h"
#include "app/port_combo_box.h"
#include "support/window_fixture.h"

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
        w_.Reset();
        w_.Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.Form.get()));
    }

    void startsWithTheDefaultsAndFitsItsCaptions()
    {
        Form1& f = *w_.Form;
        // Title, icon sizes (built in, title bar to task switcher), ports, speed, Label4, size.
        QString state;
        QDebug(&state).noquote().nospace()
            << f.windowTitle() << '|' << f.windowIcon().availableSizes().size() << '|' << f.Combo1->count() << ' '
            << f.Combo1->currentText() << " editable:" << f.Combo1->isEditable() << '|' << f.Option2->isChecked()
            << f.Option3->isChecked() << f.Option4->isChecked() << " hidden:" << f.Frame1->isHidden() << '|'
            << f.Label4->text() << '|' << f.maximumWidth() << 'x' << f.minimumHeight();
        QCOMPARE(state, u"Brindlewick|7|32 1 editable:false|falsefalsetrue hidden:true|0|591x369"_s);
        QVERIFY(f.minimumSize() == f.maximumSize() && f.Option2->parentWidget() == f.Frame1);
        QVERIFY(!(f.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(f.GridText(), BlankGrid);
        QVERIFY(!f.Timer1->isActive() && w_.Serial.Log.isEmpty());  // idle, and the port left alone

        // Captions in bold Verdana that fit with the fonts this system has.
        const QList<std::tuple<QPushButton*, QString, qreal>> buttons{
            {f.Command4, u"Load from file"_s, 9}, {f.Command3, u"Receive Scene <<"_s, 9},
            {f.Command2, u"Send Scene >>"_s, 9},  {f.Command5, u"Save to file"_s, 9},
            {f.Command6, u"Clear"_s, 9},          {f.Command1, u"Cancel"_s, 9.75}};
        for (const auto& [button, caption, points] : buttons) {
            const QFont font = button->font();
            QCOMPARE(u"%1|%2 %3 %4"_s.arg(button->text(), font.family()).arg(font.pointSizeF()).arg(font.bold()),
                     u"%1|Verdana %2 1"_s.arg(caption).arg(points));
            QVERIFY2(button->fontMetrics().horizontalAdvance(caption) + 6 <= button->width(), qPrintable(caption));
        }
        QCOMPARE(f.Label4->palette().color(QPalette::WindowText), QColor(0, 128, 128));
        QCOMPARE(f.Label4->font().pointSizeF(), 14.25);
        QCOMPARE(f.Label3->palette().color(QPalette::WindowText), QColor(128, 128, 128));
        QVERIFY(f.Label3->geometry().right() < f.Command1->x() && f.Label1->geometry().right() < f.width());
    }

    void startsOnCancelTabsInOrderAndNamesEveryControl()
    {
        Form1& f = *w_.Form;
        QApplication::setActiveWindow(&f);
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QCOMPARE(QApplication::focusWidget(), f.Command1);
        for (QWidget* next : QList<QWidget*>{f.Combo1, f.Command2, f.Command3, f.Text1, f.Command4, f.Command5,
                                             f.Command6, f.Command1}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QCOMPARE(f.GridText(), BlankGrid);  // Tab typed nothing into the grid

        for (QWidget* control : f.findChildren<QWidget*>()) {
            if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control) ||
                qobject_cast<QLabel*>(control) || qobject_cast<QGroupBox*>(control) || control == f.Text1) {
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
                QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
            }
        }
        QVERIFY(QAccessible::queryAccessibleInterface(f.Text1)
                    ->text(QAccessible::Description)
                    .contains(u"Type digits and spaces"_s));
    }

    void showsEachGridLineOnOneLineAndTheTextWithCrLf()
    {
        Form1& f = *w_.Form;
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

        const QString text = u"001 abc \r\n-3 \r\n\r\n004 "_s;
        f.SetGridText(text);
        QCOMPARE(f.GridText(), text);
        QCOMPARE(f.Text1->toPlainText(), u"001 abc \n-3 \n\n004 "_s);
    }

    void keyFilterKeepsDigitsSpaceAndBackspaceOnly()
    {
        Form1& f = *w_.Form;
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

        QTest::keyClicks(f.Text1, u"a-.+,Z!"_s);
        Press(f.Text1, Qt::Key_Eacute, u"\u00e9"_s);
        Press(f.Text1, Qt::Key_Return, u"\r"_s);
        Press(f.Text1, Qt::Key_Enter, u"\r"_s, Qt::KeypadModifier);
        Press(f.Text1, Qt::Key_Escape, QString(QChar(27)));
        // Shortcuts arrive with control characters as their text.
        for (auto [key, code] : {std::pair{Qt::Key_V, 22}, {Qt::Key_X, 24}, {Qt::Key_C, 3}, {Qt::Key_A, 1}})
            Press(f.Text1, key, QString(QChar(code)), Qt::ControlModifier);
        QCOMPARE(f.GridText(), u"700 "_s);

        // Several characters in one event, and input-method text, keep only
        // what may be typed.
        f.Text1->moveCursor(QTextCursor::End);
        Press(f.Text1, Qt::Key_unknown, u"4x5"_s);
        QInputMethodEvent commit;
        commit.setCommitString(u"1-\b2\u0663"_s);
        QApplication::sendEvent(f.Text1, &commit);
        QCOMPARE(f.GridText(), u"700 4512"_s);
    }

    void marksBadEntriesShowsWhereAndTypesOver()
    {
        Form1& f = *w_.Form;
        // Pasting (the menu's Paste) is not filtered. Pasted lone LF, lone CR
        // and no-break space separate numbers, as the box stores them; the
        // marks agree.
        f.SetGridText(QString());
        QGuiApplication::clipboard()->setText(u"5\n6 7\r8\u00a0300"_s);
        f.Text1->paste();
        QCOMPARE(ReadSceneGrid(f.GridText()).Bytes, QByteArray("\x05\x06\x07\x08"));
        QCOMPARE(ReadSceneGrid(f.GridText()).BadToken, u"300"_s);
        QTRY_COMPARE(f.Text1->MarkedEntries(), (QList<std::pair<int, int>>{{8, 3}}));
        f.SetGridText(u"000 "_s);
        f.Text1->setFocus();
        f.Text1->moveCursor(QTextCursor::End);
        QTest::keyClicks(f.Text1, u"2555"_s);
        QTRY_COMPARE(f.Text1->MarkedEntries(), (QList<std::pair<int, int>>{{4, 4}}));
        QTest::keyClick(f.Text1, Qt::Key_Backspace);
        QTRY_VERIFY(f.Text1->MarkedEntries().isEmpty());

        // Hovering shows the entry's place, counted from 1, and its value.
        f.SetGridText(FormatSceneGrid(SceneBytes(40, '\x07')) + u"2555"_s);
        const int line3 = f.Text1->document()->findBlockByNumber(2).position();
        QCOMPARE(f.Text1->EntryAt(line3 + 4 * 4 + 1), u"Byte 37: 7"_s);
        QCOMPARE(f.Text1->EntryAt(line3 + 3), QString());  // between entries
        QCOMPARE(f.Text1->EntryAt(line3 + 8 * 4 + 2), u"Byte 41: 2555 is not between 0 and 255"_s);

        // Insert switches to typing over entries, with a block caret, and back.
        f.SetGridText(u"000 000 "_s);
        f.Text1->moveCursor(QTextCursor::Start);
        QTest::keyClick(f.Text1, Qt::Key_Insert);
        QTest::keyClicks(f.Text1, u"255"_s);
        QVERIFY(f.Text1->overwriteMode() && f.Text1->cursorWidth() > 1);
        QTest::keyClick(f.Text1, Qt::Key_Insert);
        QTest::keyClicks(f.Text1, u"1"_s);
        QCOMPARE(f.GridText(), u"2551 000 "_s);
        QCOMPARE(f.Text1->cursorWidth(), 1);

        // A caret in a line of megabytes is held still while the grid has the focus.
        const int flash = QGuiApplication::styleHints()->cursorFlashTime();
        f.SetGridText(u"1 "_s.repeated(600 * 1000));
        f.Text1->moveCursor(QTextCursor::End);
        QCOMPARE(QGuiApplication::styleHints()->cursorFlashTime(), 0);
        f.Command1->setFocus();
        QCOMPARE(QGuiApplication::styleHints()->cursorFlashTime(), flash);
    }

    void clearEmptiesTheGridAndCancelEndsAtOnce()
    {
        Form1& f = *w_.Form;
        f.Combo1->setCurrentText(u"5"_s);
        f.Label4->setText(u"12"_s);
        QTest::mouseClick(f.Command6, Qt::LeftButton);
        QCOMPARE(f.GridText(), QString());
        QCOMPARE(f.Combo1->currentText() + f.Label4->text(), u"512"_s);

        for (bool byButton : {true, false}) {
            init();
            w_.Serial.SetPortOpen(true);
            w_.Form->Fields = {"\x01", 5, true};
            w_.Form->Timer1->start();
            w_.Serial.Log.clear();
            byButton ? QTest::mouseClick(w_.Form->Command1, Qt::LeftButton) : void(w_.Form->close());
            QVERIFY(!w_.Form->isVisible() && w_.Dialogs.Said.isEmpty());  // no question
            QCOMPARE(w_.Serial.Log, QStringList{u"close"_s});
            QVERIFY(!w_.Form->Timer1->isActive() && w_.Form->Fields.ReceiveBuffer.isEmpty() &&
                    w_.Form->Fields.LastReceiveTime == 0);
        }
    }

    void offersTheDeviceCommandsInBothMenus()
    {
        Form1& f = *w_.Form;
        QCOMPARE(f.contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(f.actions(), (QList<QAction*>{f.BackupAction, f.RestoreAction}));
        // Shift+F10 and the menu key open the grid's menu, which ends with them.
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_F10, Qt::ShiftModifier}, {Qt::Key_Menu, Qt::NoModifier}}) {
            QStringList seen;
            QTimer::singleShot(50, [&] {
                QWidget* menu = QApplication::activePopupWidget();
                for (QAction* action : menu ? menu->actions() : QList<QAction*>{})
                    seen << (action->isSeparator() ? u"|"_s : action->text());
                menu && menu->close();
            });
            Press(f.Text1, key, QString(), modifiers);
            QVERIFY2(seen.join(u',').contains(u"&Paste"_s) &&
                         seen.join(u',').endsWith(u",|,Back Up Device…,Restore Device…"_s),
                     qPrintable(seen.join(u',')));
        }
        QCOMPARE(f.GridText(), BlankGrid);
    }

    void readsThePortListAfreshWhenItOpens()
    {
        // An adapter plugged in after start-up shows, with its name, when the list opens.
        QCOMPARE(w_.Form->Combo1->itemData(0, Qt::ToolTipRole).toString(), u"no serial port"_s);
        w_.Serial.Devices = {{1, u"/dev/ttyUSB1"_s, u"ttyUSB1"_s, u"FT232R"_s}};
        w_.Form->Combo1->showPopup();
        QCOMPARE(w_.Form->Combo1->itemData(0, Qt::ToolTipRole).toString(), u"ttyUSB1 (FT232R)"_s);
        w_.Form->Combo1->hidePopup();
    }

private:
    WindowFixture w_;
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
