// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The real window: its start-up, layout, key filter, Clear and Cancel, and the
// grid's comparisons.
#include "app/grid_text_box.h"
#include "app/port_combo_box.h"
#include "support/files.h"
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
        f_ = w_.Form.get();
        f_->show();
        QVERIFY(QTest::qWaitForWindowExposed(f_));
    }

    void startsWithTheDefaultsAndFitsItsCaptions()
    {
        // Title, icon sizes (built in, title bar to task switcher), ports, speed, Label4, size.
        QString state;
        QDebug(&state).noquote().nospace()
            << f_->windowTitle() << '|' << f_->windowIcon().availableSizes().size() << '|' << f_->Combo1->count() << ' '
            << f_->Combo1->currentText() << " editable:" << f_->Combo1->isEditable() << '|' << f_->Option2->isChecked()
            << f_->Option3->isChecked() << f_->Option4->isChecked() << " hidden:" << f_->Frame1->isHidden() << '|'
            << f_->Label4->text() << '|' << f_->maximumWidth() << 'x' << f_->minimumHeight();
        QCOMPARE(state, u"Brindlewick|7|32 1 editable:false|falsefalsetrue hidden:true|0|591x369"_s);
        QVERIFY(f_->minimumSize() == f_->maximumSize() && f_->Option2->parentWidget() == f_->Frame1);
        QVERIFY(!(f_->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(f_->GridText(), BlankGrid);
        QVERIFY(!f_->Timer1->isActive() && w_.Serial->Log.isEmpty());  // idle, and the port left alone

        // Captions in bold Verdana that fit with the fonts this system has.
        const QList<std::tuple<QPushButton*, QString, qreal>> buttons{
            {f_->Command4, u"Load from file"_s, 9}, {f_->Command3, u"Receive Scene <<"_s, 9},
            {f_->Command2, u"Send Scene >>"_s, 9},  {f_->Command5, u"Save to file"_s, 9},
            {f_->Command6, u"Clear"_s, 9},          {f_->Command1, u"Cancel"_s, 9.75}};
        for (const auto& [button, caption, points] : buttons) {
            const QFont font = button->font();
            QCOMPARE(u"%1|%2 %3 %4"_s.arg(button->text(), font.family()).arg(font.pointSizeF()).arg(font.bold()),
                     u"%1|Verdana %2 1"_s.arg(caption).arg(points));
            QVERIFY2(button->fontMetrics().horizontalAdvance(caption) + 6 <= button->width(), qPrintable(caption));
        }
        QCOMPARE(f_->Label4->palette().color(QPalette::WindowText), QColor(0, 128, 128));
        QCOMPARE(f_->Label4->font().pointSizeF(), 14.25);
        QCOMPARE(f_->Label3->palette().color(QPalette::WindowText), QColor(128, 128, 128));
        QVERIFY(f_->Label3->geometry().right() < f_->Command1->x() && f_->Label1->geometry().right() < f_->width());
    }

    void startsOnCancelTabsInOrderAndNamesEveryControl()
    {
        QApplication::setActiveWindow(f_);
        QVERIFY(QTest::qWaitForWindowActive(f_));
        QCOMPARE(QApplication::focusWidget(), f_->Command1);
        for (QWidget* next : QList<QWidget*>{f_->Combo1, f_->Command2, f_->Command3, f_->Text1, f_->Command4,
                                             f_->Command5, f_->Command6, f_->Command1}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QCOMPARE(f_->GridText(), BlankGrid);  // Tab typed nothing into the grid

        for (QWidget* control : f_->findChildren<QWidget*>()) {
            if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control) ||
                qobject_cast<QLabel*>(control) || qobject_cast<QGroupBox*>(control) || control == f_->Text1) {
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
                QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
            }
        }
        QVERIFY(QAccessible::queryAccessibleInterface(f_->Text1)
                    ->text(QAccessible::Description)
                    .contains(u"Type digits and spaces"_s));
    }

    void showsEachGridLineOnOneLineAndTheTextWithCrLf()
    {
        // Courier New's advance: 9 px at 11.25 pt bold.
        QCOMPARE(QFontMetricsF(f_->Text1->font()).horizontalAdvance(u'0'), 9.0);
        const QTextBlock lines = f_->Text1->document()->firstBlock();
        f_->Text1->document()->documentLayout()->blockBoundingRect(lines);  // lays it out
        QCOMPARE(lines.layout()->lineCount(), 16);
        for (int i = 0; i < 16; ++i)
            QCOMPARE(lines.layout()->lineAt(i).textStart(), i * 65);
        QTextCursor lastLine(lines);
        lastLine.movePosition(QTextCursor::EndOfBlock);
        QVERIFY(f_->Text1->cursorRect(lastLine).bottom() < f_->Text1->viewport()->height());
        QCOMPARE(f_->Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

        // However the lines are kept, the text reads back as it was set.
        const QString longer = FormatSceneGrid(SceneBytes(40 * 16, '\x07'));
        for (const QString& text : {u"001 abc \r\n-3 \r\n\r\n004 "_s, longer, longer + u"1\r\n"_s}) {
            f_->SetGridText(text);
            QCOMPARE(f_->GridText(), text);
        }
        QCOMPARE(f_->Text1->toPlainText().count(u'\n'), 41);
        // A third click selects the line clicked, with its end.
        QTextCursor line2(f_->Text1->document());
        line2.setPosition(70);
        const QPoint at = f_->Text1->cursorRect(line2).center();
        QTest::mouseDClick(f_->Text1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(f_->Text1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(f_->Text1->textCursor().selectedText(), longer.mid(66, 64) + QChar(QChar::LineSeparator));
        QCOMPARE(f_->Text1->cursorForPosition(at).position(), 70);  // and the view stays
        // What is copied is what the grid holds, in every format offered.
        f_->Text1->copy();
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->formats(), QStringList{u"text/plain"_s});
        QCOMPARE(QGuiApplication::clipboard()->text(), longer.mid(66, 64) + u'\n');
    }

    void keyFilterKeepsDigitsSpaceAndBackspaceOnly()
    {
        QGuiApplication::clipboard()->setText(u"999"_s);
        f_->SetGridText(u"000 "_s);
        f_->Text1->setFocus();
        f_->Text1->moveCursor(QTextCursor::Start);
        QTest::keyClicks(f_->Text1, u"7 "_s);
        QCOMPARE(f_->GridText(), u"7 000 "_s);
        Press(f_->Text1, Qt::Key_Backspace, u"\b"_s);
        Press(f_->Text1, Qt::Key_Right, QString());
        Press(f_->Text1, Qt::Key_Delete, QString(QChar(0x7f)));  // Delete's text is DEL: still deletes
        QCOMPARE(f_->GridText(), u"700 "_s);

        QTest::keyClicks(f_->Text1, u"a-.+,Z!"_s);
        Press(f_->Text1, Qt::Key_Eacute, u"\u00e9"_s);
        Press(f_->Text1, Qt::Key_Return, u"\r"_s);
        Press(f_->Text1, Qt::Key_Enter, u"\r"_s, Qt::KeypadModifier);
        Press(f_->Text1, Qt::Key_Escape, QString(QChar(27)));
        // Shortcuts arrive with control characters as their text.
        for (auto [key, code] : {std::pair{Qt::Key_V, 22}, {Qt::Key_X, 24}, {Qt::Key_C, 3}, {Qt::Key_A, 1}})
            Press(f_->Text1, key, QString(QChar(code)), Qt::ControlModifier);
        QCOMPARE(f_->GridText(), u"700 "_s);

        // Several characters in one event, and input-method text, keep only
        // what may be typed.
        f_->Text1->moveCursor(QTextCursor::End);
        Press(f_->Text1, Qt::Key_unknown, u"4x5"_s);
        QInputMethodEvent commit;
        commit.setCommitString(u"0-\b2\u0663"_s);
        QApplication::sendEvent(f_->Text1, &commit);
        QCOMPARE(f_->GridText(), u"700 4502"_s);
    }

    void marksBadEntriesShowsWhereAndTypesOver()
    {
        // Pasting (the menu's Paste) is not filtered. Pasted tabs, commas,
        // semicolons, lone LF, lone CR and no-break spaces separate numbers;
        // the marks agree.
        f_->SetGridText(QString());
        QGuiApplication::clipboard()->setText(u"1\t2,3;4\n5 6\r7\u00a0300"_s);
        f_->Text1->paste();
        QCOMPARE(ReadSceneGrid(f_->GridText()).Bytes, QByteArray("\x01\x02\x03\x04\x05\x06\x07"));
        QCOMPARE(ReadSceneGrid(f_->GridText()).BadToken, u"300"_s);
        QTRY_COMPARE(f_->Text1->MarkedEntries(), (QList<std::pair<int, int>>{{14, 3}}));
        f_->SetGridText(u"000 "_s);
        f_->Text1->setFocus();
        f_->Text1->moveCursor(QTextCursor::End);
        QTest::keyClicks(f_->Text1, u"2555"_s);
        QTRY_COMPARE(f_->Text1->MarkedEntries(), (QList<std::pair<int, int>>{{4, 4}}));
        QTest::keyClick(f_->Text1, Qt::Key_Backspace);
        QTRY_VERIFY(f_->Text1->MarkedEntries().isEmpty());

        // Hovering shows the entry's place, counted from 1, and its value.
        f_->SetGridText(FormatSceneGrid(SceneBytes(40, '\x07')) + u"2555"_s);
        const int line3 = 2 * 65;  // two lines of 64 characters and their ends
        QCOMPARE(f_->Text1->EntryAt(line3 + 4 * 4 + 1), u"Byte 37: 7 (3 %)"_s);
        QCOMPARE(f_->Text1->EntryAt(line3 + 3), QString());  // between entries
        QCOMPARE(f_->Text1->EntryAt(line3 + 8 * 4 + 2), u"Byte 41: 2555 is not between 0 and 255"_s);
        // The level as a whole percentage of 255.
        f_->SetGridText(u"0 1 2 128 254 255 "_s);
        QStringList levels;
        for (const int at : {0, 2, 4, 6, 10, 14})
            levels << f_->Text1->EntryAt(at).section(u'(', 1);
        QCOMPARE(levels.join(u','), u"0 %),0 %),1 %),50 %),100 %),100 %)"_s);  // 254 is 99.6 %
        // The last character of a line, and the next line's first entry.
        f_->SetGridText(u"7 255\r\n9"_s);
        QCOMPARE(f_->Text1->EntryAt(4) + u'|' + f_->Text1->EntryAt(5) + u'|' + f_->Text1->EntryAt(6),
                 u"Byte 2: 255 (100 %)||Byte 3: 9 (4 %)"_s);

        // Insert switches to typing over entries, with a block caret, and
        // back; Shift+Insert is no switch.
        f_->SetGridText(u"000 000 "_s);
        f_->Text1->moveCursor(QTextCursor::Start);
        // An empty clipboard, as after start-up on Windows: Shift+Insert
        // pastes nothing (Qt 6.4's own paste reads past its end).
        QGuiApplication::clipboard()->setMimeData(new QMimeData);
        QTest::keyClick(f_->Text1, Qt::Key_Insert, Qt::ShiftModifier);
        QTest::keyClick(f_->Text1, Qt::Key_Insert);
        QTest::keyClicks(f_->Text1, u"255"_s);
        QVERIFY(f_->Text1->overwriteMode() && f_->Text1->cursorWidth() > 1);
        QTest::keyClick(f_->Text1, Qt::Key_Insert);
        QTest::keyClicks(f_->Text1, u"1"_s);
        QCOMPARE(f_->GridText(), u"2551 000 "_s);
        QCOMPARE(f_->Text1->cursorWidth(), 1);
        // Typing over goes on past the end of a line, never over it.
        f_->SetGridText(u"000 \r\n000 \r\n"_s);
        f_->Text1->moveCursor(QTextCursor::Right);
        QTest::keyClick(f_->Text1, Qt::Key_Insert);
        QTest::keyClicks(f_->Text1, u"12345"_s);
        QTest::keyClick(f_->Text1, Qt::Key_Insert);
        QCOMPARE(f_->GridText(), u"012345\r\n000 \r\n"_s);

        // A caret in a line of megabytes is held still while the grid has the
        // focus; in as many bytes on short lines it blinks.
        const int flash = QGuiApplication::styleHints()->cursorFlashTime();
        f_->SetGridText(FormatSceneGrid(SceneBytes(300 * 1000, '\x01')));
        f_->Text1->moveCursor(QTextCursor::End);
        QCOMPARE(QGuiApplication::styleHints()->cursorFlashTime(), flash);
        f_->SetGridText(u"1 "_s.repeated(600 * 1000));
        f_->Text1->moveCursor(QTextCursor::End);
        QCOMPARE(QGuiApplication::styleHints()->cursorFlashTime(), 0);
        f_->Command1->setFocus();
        QCOMPARE(QGuiApplication::styleHints()->cursorFlashTime(), flash);

        // A word longer than Qt can break at its end in time is broken
        // anywhere, also when an Undo brings it back.
        QGuiApplication::clipboard()->setText(u"x"_s.repeated(100 * 1000));
        f_->Text1->paste();
        QCOMPARE(f_->Text1->wordWrapMode(), QTextOption::WrapAnywhere);
        f_->SetGridText(FormatSceneGrid(SceneBytes(5000, '\x01')));  // 20,000 characters, in short words
        QCOMPARE(f_->Text1->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        f_->Text1->undo();
        QCOMPARE(f_->Text1->wordWrapMode(), QTextOption::WrapAnywhere);
    }

    void clearEmptiesTheGridAndCancelEndsAtOnce()
    {
        f_->Combo1->setCurrentText(u"5"_s);
        f_->Label4->setText(u"12"_s);
        QTest::mouseClick(f_->Command6, Qt::LeftButton);
        QCOMPARE(f_->GridText(), QString());
        QCOMPARE(f_->Combo1->currentText() + f_->Label4->text(), u"512"_s);

        for (bool byButton : {true, false}) {
            init();
            w_.Serial->SetPortOpen(true);
            w_.Form->Fields = {"\x01", 5, true};
            w_.Form->Timer1->start();
            w_.Serial->Log.clear();
            byButton ? QTest::mouseClick(w_.Form->Command1, Qt::LeftButton) : void(w_.Form->close());
            QVERIFY(!w_.Form->isVisible() && w_.Dialogs.Said.isEmpty());  // no question
            QCOMPARE(w_.Serial->Log, QStringList{u"close"_s});
            QVERIFY(!w_.Form->Timer1->isActive() && w_.Form->Fields.ReceiveBuffer.isEmpty() &&
                    w_.Form->Fields.LastReceiveTime == 0);
        }
    }

    void offersTheDeviceCommandsInBothMenus()
    {
        QCOMPARE(f_->contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(f_->actions(), (QList<QAction*>{f_->BackupAction, f_->RestoreAction, f_->VerifyAction}));
        // Shift+F10 and the menu key open the grid's menu, which ends with
        // the comparisons and them.
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_F10, Qt::ShiftModifier}, {Qt::Key_Menu, Qt::NoModifier}}) {
            QStringList seen;
            QTimer::singleShot(50, [&] {
                QWidget* menu = QApplication::activePopupWidget();
                for (QAction* action : menu ? menu->actions() : QList<QAction*>{})
                    seen << (action->isSeparator() ? u"|"_s : action->text());
                menu && menu->close();
            });
            Press(f_->Text1, key, QString(), modifiers);
            QVERIFY2(seen.join(u',').contains(u"&Paste"_s) &&
                         seen.join(u',').endsWith(u",|,Compare with Device…,Compare with File…,|,Back Up Device…,"
                                                  "Restore Device…,Verify Device…"_s),
                     qPrintable(seen.join(u',')));
        }
        QCOMPARE(f_->GridText(), BlankGrid);
    }

    void replacementsOfTheGridCanBeUndoneAndRedone()
    {
        QVERIFY(!f_->Text1->document()->isUndoAvailable());  // the start-up grid is no step
        QTemporaryDir dir;
        Put(dir.filePath(u"s.bin"_s), "\x01\x02");
        const QList<std::pair<QString, std::function<void()>>> replacements{
            {{}, [&] { CLICK(w_, Command6); }},
            {FormatSceneGrid("\x01\x02"), [&] { CLICK(w_, Command4, dir.filePath(u"s.bin"_s)); }},
            {FormatSceneGrid("\x01\x02"), [&] { Q_EMIT f_->Text1->FileDropped(dir.filePath(u"s.bin"_s)); }},
            {FormatSceneGrid("\x03"), [&] {
                 CLICK(w_, Command3, u"5"_s);
                 w_.Deliver("\x03");
                 w_.Tick(1.01);
             }}};
        for (const auto& [replaced, replace] : replacements) {
            // Typing before and after each replacement stays a step of its own.
            f_->Text1->ResetGridText(u"001 "_s);
            f_->Text1->setFocus();
            f_->Text1->moveCursor(QTextCursor::End);
            QTest::keyClicks(f_->Text1, u"12"_s);
            replace();
            QCOMPARE(f_->GridText(), replaced);
            f_->Text1->moveCursor(QTextCursor::End);
            QTest::keyClicks(f_->Text1, u"9"_s);
            for (const QString& undone : {replaced, u"001 12"_s, u"001 "_s}) {
                f_->Text1->undo();
                QCOMPARE(f_->GridText(), undone);
            }
            f_->Text1->redo();
            f_->Text1->redo();
            QCOMPARE(f_->GridText(), replaced);
        }
        QVERIFY(w_.Dialogs.Said.isEmpty());

        // A 256 KiB grid is 2.2 MB of text, and a replacement keeps two: the
        // history takes four of them, and the fifth makes room by dropping
        // the older ones.
        QList<QString> grids;
        for (int i = 0; i < 5; ++i) {
            grids << FormatSceneGrid(SceneBytes(256 << 10, char(i + 1)));
            f_->SetGridText(grids.last());
            if (i == 3) {
                for (int back = 0; back < 3; ++back)
                    f_->Text1->undo();
                QCOMPARE(f_->GridText(), grids.at(0));
                for (int forward = 0; forward < 3; ++forward)
                    f_->Text1->redo();
            }
        }
        for (int back = 0; back < 2; ++back) {
            f_->Text1->undo();
            QCOMPARE(f_->GridText(), grids.at(3));
        }
    }

    void comparesTheGridAndMarksWhereItDiffers()
    {
        // The device holds one byte less, and byte 37 differs: both are marked,
        // and only they; the grid, Label4 and the receive's fields stay.
        const QString grid = FormatSceneGrid(SceneBytes(40, '\x07'));
        f_->SetGridText(grid);
        SceneBytes device(39, '\x07');
        device[36] = '\x80';
        w_.Dialogs.Answers = {u"5"_s};
        w_.Dialogs.WhileProgress = [&] { w_.Deliver(device), w_.Tick(1.01); };
        NO_FAILURE(f_->CompareDeviceAction->trigger());
        VERIFY_SAID(w_.Dialogs,
                    u"Compare with Device|The grid and scene 5 on the device differ: the device holds 39 "
                    "bytes, the grid 40; 1 byte differs, the first at byte 37 (grid 7, device 128).\nThe "
                    "entries that differ are marked*|64"_s);
        QVERIFY(w_.Serial->Log.contains(u"output 2c 05 cc"_s) && !w_.Serial->PortOpen());
        QVERIFY(f_->GridText() == grid && f_->Label4->text() == u"0"_s && w_.Form->Fields.LastReceiveTime == 0);
        const int line3 = 2 * 65;  // two lines of 64 characters and their ends
        QCOMPARE(f_->Text1->MarkedEntries(true), (QList<std::pair<int, int>>{{line3 + 16, 3}, {line3 + 28, 3}}));
        QVERIFY(f_->Text1->MarkedEntries().isEmpty());
        QCOMPARE(f_->Text1->EntryAt(line3 + 17), u"Byte 37: 7 (3 %), device 128"_s);
        QCOMPARE(f_->Text1->EntryAt(line3 + 29), u"Byte 40: 7 (3 %), the device has no byte 40"_s);
        QCOMPARE(f_->Text1->EntryAt(line3 + 13), u"Byte 36: 7 (3 %)"_s);
        // The marks go at the next change of the grid.
        f_->Text1->moveCursor(QTextCursor::End);
        QTest::keyClicks(f_->Text1, u"1"_s);
        QTRY_VERIFY(f_->Text1->MarkedEntries(true).isEmpty());
        QCOMPARE(f_->Text1->EntryAt(line3 + 17), u"Byte 37: 7 (3 %)"_s);

        // A file of the same bytes; no reply; a grid with a bad entry, refused before any dialog.
        QTemporaryDir dir;
        Put(dir.filePath(u"same.bin"_s), SceneBytes(40, '\x07'));
        w_.Reset();
        w_.Form->SetGridText(grid);
        w_.Dialogs.Answers = {dir.filePath(u"same.bin"_s), u"6"_s};
        NO_FAILURE(w_.Form->CompareFileAction->trigger());
        w_.Dialogs.WhileProgress = [&] { w_.Tick(1.01); };
        NO_FAILURE(w_.Form->CompareDeviceAction->trigger());
        w_.Form->SetGridText(u"1 300 "_s);
        NO_FAILURE(w_.Form->CompareFileAction->trigger());
        VERIFY_SAID(w_.Dialogs, u"Compare with File|The grid and \"same.bin\" are the same (40 bytes).|64"_s,
                    u"Compare with Device|The device did not answer for scene 6, so nothing was compared.*|48"_s,
                    u"Compare with File|300 is not between 0 and 255|16"_s);
        QCOMPARE(w_.Dialogs.Asked.filter(u"open"_s).size(), 1);
        QVERIFY(w_.Form->Text1->MarkedEntries(true).isEmpty());
    }

    void readsThePortListAfreshWhenItOpens()
    {
        // An adapter plugged in after start-up shows, with its name, when the list opens.
        QCOMPARE(w_.Form->Combo1->itemData(0, Qt::ToolTipRole).toString(), u"no serial port"_s);
        w_.Serial->Devices = {{1, u"/dev/ttyUSB1"_s, u"ttyUSB1"_s, u"FT232R"_s}};
        w_.Form->Combo1->showPopup();
        QCOMPARE(w_.Form->Combo1->itemData(0, Qt::ToolTipRole).toString(), u"ttyUSB1 (FT232R)"_s);
    }

private:
    WindowFixture w_;
    Form1* f_ = nullptr;  // the window of w_
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
