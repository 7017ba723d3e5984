// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// Editing a huge grid: how long a key press takes to show in a grid holding
// 1 MiB of scene with bad entries marked, how long the marking takes when
// it runs, and what an idle window costs after a paste of 1 MB and 10 MB
// without line breaks, the grid focused.
// Run: build/bench/brindlewick_edit_bench
#include "app/form1.h"
#include "app/grid_text_box.h"
#include "support/fake_dialog_service.h"
#include "support/fake_serial_link.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStyleHints>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Share of one core used over seconds of waiting in the event loop.
double IdleShare(double seconds)
{
    const double before = CpuSeconds();
    QTest::qWait(static_cast<int>(seconds * 1000));
    return (CpuSeconds() - before) / seconds * 100;
}

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FakeDialogService dialogs;
    FakeSerialLink serial;
    Form1 form(dialogs, serial);
    form.show();
    QApplication::setActiveWindow(&form);
    if (!QTest::qWaitForWindowActive(&form))
        std::fprintf(stderr, "the window never became active: the caret is not shown\n");
    GridTextBox* grid = form.Text1;

    SceneBytes scene(1 << 20, '\x07');
    form.SetGridText(FormatSceneGrid(scene) + QStringLiteral("2555 "));
    grid->setFocus();
    grid->moveCursor(QTextCursor::End);
    QTest::qWait(200);
    QList<double> keyMs, markMs;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer shown;
        shown.start();
        QTest::keyClick(grid, i % 2 ? Qt::Key_Backspace : Qt::Key_5);
        grid->viewport()->repaint();
        keyMs << shown.nsecsElapsed() / 1e6;
        QTest::qWait(35);  // just before the marks are due
        shown.restart();
        QTest::qWait(15);
        markMs << shown.nsecsElapsed() / 1e6 - 15;
    }
    std::sort(keyMs.begin(), keyMs.end());
    std::sort(markMs.begin(), markMs.end());
    std::fflush(stdout);
    std::printf("1 MiB grid, key press to repaint: median %.2f ms, worst %.2f ms (goal: <= 16)\n",
                keyMs[keyMs.size() / 2], keyMs.last());
    std::printf("  marking what is shown, when it runs: median %.2f ms, worst %.2f ms\n", markMs[markMs.size() / 2],
                markMs.last());

    // Good entries, bad ones (all marked) and printable garbage, each pasted
    // as one line.
    // Printable ASCII at random, spaces among it.
    QString garbage(997, u' ');
    for (QChar& c : garbage)
        c = QChar(u' ' + QRandomGenerator::global()->bounded(95));
    // And printable ASCII with no space at all: one word of megabytes.
    QString word = garbage;
    word.replace(u' ', u'x');
    const QList<std::pair<QString, QString>> pastes{{QStringLiteral("000 "), QStringLiteral("good entries")},
                                                    {QStringLiteral("2555 "), QStringLiteral("bad entries")},
                                                    {garbage, QStringLiteral("printable garbage")},
                                                    {word, QStringLiteral("garbage with no space")}};
    for (const auto& [unit, what] : pastes) {
        for (const int megabytes : {1, 10}) {
            if ((unit == garbage || unit == word) && megabytes == 1)
                continue;
            std::fflush(stdout);
            QGuiApplication::clipboard()->setText(unit.repeated(megabytes * 1000 * 1000 / unit.size()));
            form.SetGridText(QString());
            grid->setFocus();
            QElapsedTimer pasted;
            pasted.start();
            grid->paste();
            grid->viewport()->repaint();
            const double pasteMs = pasted.nsecsElapsed() / 1e6;
            QTest::qWait(2000);  // the paste's own layout and painting settle first
            std::printf("%d MB of %s pasted as one line (%.0f ms to show), grid focused: idle CPU %.2f %% over 3 s "
                        "(goal: <= 1)\n",
                        megabytes, qPrintable(what), pasteMs, IdleShare(3));
        }
    }
    // For comparison: the same caret left blinking.
    const int held = QGuiApplication::styleHints()->cursorFlashTime();
    QGuiApplication::styleHints()->setCursorFlashTime(1000);
    grid->clearFocus();
    grid->setFocus();
    std::printf("  the same with the caret blinking: idle CPU %.2f %% (flash time was %d)\n", IdleShare(3), held);
    return 0;
}
