// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// What the grid keeps of replaced grids: resident memory after many loads
// of a 1 MiB scene, then as many pastes of one over the whole grid (Select
// All, Paste), against the window's size with one such grid and the undo
// history's budget; and Undo still brings back the grid before.
// Run: build/bench/brindlewick_memory_bench [replacements]
#include "app/form1.h"
#include "app/grid_text_box.h"
#include "support/fake_dialog_service.h"
#include "support/fake_serial_link.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>

namespace {

// Resident memory of this process, in MiB (Linux).
double ResidentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression rss(QStringLiteral("VmRSS:\\s+(\\d+) kB"));
    return rss.match(QString::fromLatin1(status.readAll())).captured(1).toDouble() / 1024;
}

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int replacements = argc > 1 ? std::atoi(argv[1]) : 30;
    FakeDialogService dialogs;
    FakeSerialLink serial;
    Form1 form(dialogs, serial);
    form.show();
    QApplication::processEvents();

    // Each replacement a different scene, as loads of different files are.
    const auto grid = [](int n) { return FormatSceneGrid(SceneBytes(1 << 20, static_cast<char>(n))); };
    form.SetGridText(grid(0));
    QApplication::processEvents();
    const double withOne = ResidentMiB();
    const double budget = 16;  // MiB of replaced text the history may keep
    std::printf("window with one 1 MiB grid: %.1f MiB resident\n", withOne);
    bool good = true;
    // Loads, then pastes, each of a scene unlike the one before.
    for (const bool paste : {false, true}) {
        const int first = paste ? replacements + 1 : 1;
        for (int n = first; n < first + replacements; ++n) {
            if (paste) {
                QGuiApplication::clipboard()->setText(grid(n));
                form.Text1->selectAll();
                form.Text1->paste();
            } else {
                form.SetGridText(grid(n));
            }
            QApplication::processEvents();
        }
        QGuiApplication::clipboard()->clear();  // its own copy is no part of the window's
        malloc_trim(0);
        const double after = ResidentMiB();
        std::printf("after %d %s: %.1f MiB, %.1f MiB more (goal: <= %.0f, the history's budget)\n", replacements,
                    paste ? "pastes over the whole grid" : "more loads", after, after - withOne, budget);
        form.Text1->undo();
        const bool undone = form.GridText() == grid(first + replacements - 2);
        std::printf("Undo brings back the grid before the last: %s\n", undone ? "yes" : "NO");
        form.Text1->redo();
        good = good && after - withOne <= budget && undone;
    }
    return good ? 0 : 1;
}
