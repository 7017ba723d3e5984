// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The command-line program's progress line, written over on a terminal.
#include "cli/progress_line.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestConsoleText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writesTheProgressLineOverWithoutEscapeCodes()
    {
        // step ("show TEXT" or "clear"), columns -> what is written
        const QList<std::tuple<QString, int, QString>> steps{
            {u"show Fetching scene 1"_s, 80, u"\rFetching scene 1"_s},
            {u"show Scene 1\nabout 2 s left"_s, 80, u"\rScene 1   about 2 s left"_s},
            {u"show Scene 2"_s, 80, u"\rScene 2"_s + QString(17, u' ')},                  // the longer line is blanked
            {u"show Fetching scene 255 (255 of 255)"_s, 20, u"\rFetching scene 255…"_s},  // never wraps
            {u"show Fetching"_s, 0, u"\rFetching"_s + QString(11, u' ')},
            {u"clear"_s, 0, u"\r"_s + QString(8, u' ') + u'\r'},
            {u"clear"_s, 0, QString()},  // nothing shown, nothing to clear
            {u"show "_s, 0, QString()},
            {u"show Sending"_s, 0, u"\rSending"_s},
            {u"show Sending"_s, 0, QString()},  // as it is already
            {u"show Sending…"_s, 1, u"\rSending…"_s}};
        ProgressLine line;
        for (const auto& [step, columns, written] : steps) {
            const QString got = step == u"clear" ? line.Clear() : line.Show(step.mid(5), columns);
            QCOMPARE(got, written);
            QVERIFY(!got.contains(u'\x1b'));
        }
    }
};

QTEST_GUILESS_MAIN(TestConsoleText)
#include "tst_console_text.moc"
