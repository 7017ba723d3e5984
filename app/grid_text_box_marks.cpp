// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// The grid's marks: bad entries, entries that differ from another copy, and
// the tooltip that says what an entry is.
#include "app/grid_text_box.h"

#include "scene/scene_grid.h"

#include <QTextBlock>

#include <algorithm>

using namespace Qt::StringLiterals;

QString GridTextBox::EntryAt(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    const QString text = block.text();
    const qsizetype at = position - block.position();
    // Entries before this line, then on it up to the one at position.
    qsizetype index = 0;
    for (QTextBlock b = document()->begin(); b.isValid() && b != block; b = b.next())
        index += GridLineEntries(b.text()).size();
    for (const GridEntry& entry : GridLineEntries(text, 0, at + 1)) {
        ++index;
        if (at >= entry.Start && at < entry.Start + entry.Length) {
            const QStringView token = QStringView(text).sliced(entry.Start, entry.Length);
            if (entry.Bad)
                return u"Byte %1: %2"_s.arg(index).arg(OutOfRangeMessage(token));
            // The level too, as lighting people speak of it.
            const int value = static_cast<unsigned char>(ReadSceneGrid(token).Bytes.at(0));
            QString tip = u"Byte %1: %2 (%3 %)"_s.arg(index).arg(value).arg(qRound(value * 100.0 / 255));
            const qsizetype start = block.position() + entry.Start;
            const auto mark = std::lower_bound(differing_.begin(), differing_.end(), std::pair{start, qsizetype(0)});
            if (mark != differing_.end() && mark->first == start)
                tip += index <= theirs_.size()
                    ? u", %1 %2"_s.arg(theirName_).arg(static_cast<unsigned char>(theirs_.at(index - 1)))
                    : u", the %1 has no byte %2"_s.arg(theirName_).arg(index);
            return tip;
        }
    }
    return {};
}

QList<std::pair<int, int>> GridTextBox::MarkedEntries(bool differing) const
{
    QList<std::pair<int, int>> marked;
    for (const QTextEdit::ExtraSelection& mark : extraSelections()) {
        if (mark.format.hasProperty(QTextFormat::BackgroundBrush) == differing)
            marked.append({mark.cursor.selectionStart(), mark.cursor.selectionEnd() - mark.cursor.selectionStart()});
    }
    return marked;
}

void GridTextBox::ShowDifferences(const QList<std::pair<qsizetype, qsizetype>>& entries, const QByteArray& theirs,
                                  const QString& theirName)
{
    differing_ = entries;
    theirs_ = theirs;
    theirName_ = theirName;
    MarkBadEntries();
}

// Underlines, in red, every entry on screen that would stop a send or a save,
// and shades in amber those that differ from the copy last compared.
void GridTextBox::MarkBadEntries()
{
    QTextCharFormat bad;
    bad.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    bad.setUnderlineColor(Qt::red);
    QTextCharFormat differs;
    differs.setBackground(QColor(255, 200, 90));
    const int first = cursorForPosition(QPoint(0, 0)).position();
    const int last = cursorForPosition(QPoint(viewport()->width(), viewport()->height())).position();
    QList<QTextEdit::ExtraSelection> marks;
    // Only the part on screen of an entry is marked: a pasted token can be
    // megabytes long.
    const auto mark = [&](qsizetype start, qsizetype length, const QTextCharFormat& format) {
        QTextCursor cursor(document());
        cursor.setPosition(static_cast<int>(std::max<qsizetype>(start, first)));
        cursor.setPosition(static_cast<int>(std::min<qsizetype>(start + length, last + 1)), QTextCursor::KeepAnchor);
        marks.append({cursor, format});
    };
    for (auto it = std::lower_bound(differing_.begin(), differing_.end(), std::pair{qsizetype(first), qsizetype(0)});
         it != differing_.end() && it->first <= last; ++it)
        mark(it->first, it->second, differs);
    for (QTextBlock block = document()->findBlock(first); block.isValid() && block.position() <= last;
         block = block.next()) {
        const int start = block.position();
        for (const GridEntry& entry : GridLineEntries(block.text(), first - start, last - start + 1)) {
            if (entry.Bad)
                mark(start + entry.Start, entry.Length, bad);
        }
    }
    setExtraSelections(marks);
}
