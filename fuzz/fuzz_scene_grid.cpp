// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// libFuzzer target for the grid parse and the reading of a number. On every
// input: no crash, a stopped parse has said exactly one thing and a finished
// one nothing, the bytes read survive a format-and-parse round trip, and a
// number read whole has the value of its leading number.
#include "scene/scene_grid.h"
#include "support/fake_dialog_service.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The first byte chooses how the rest becomes text: UTF-8 (what a paste
// usually brings) or raw UTF-16 (lone surrogates, NUL, anything).
QString TextOf(const uint8_t* data, size_t size)
{
    if (size == 0)
        return {};
    const char* rest = reinterpret_cast<const char*>(data + 1);
    const size_t n = size - 1;
    if (data[0] % 2 == 0)
        return QString::fromUtf8(rest, static_cast<qsizetype>(n));
    QString text(static_cast<qsizetype>(n / 2), Qt::Uninitialized);
    std::memcpy(text.data(), rest, (n / 2) * 2);
    return text;
}

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = TextOf(data, size);

    FakeDialogService dialogs;
    const std::optional<SceneBytes> parsed = ParseSceneGrid(text, QStringLiteral("Fuzz"), dialogs);
    if (!parsed) {
        Check(dialogs.Said.size() == 1);
    } else {
        Check(dialogs.Said.isEmpty());
        FakeDialogService again;
        const std::optional<SceneBytes> reparsed =
            ParseSceneGrid(FormatSceneGrid(*parsed), QStringLiteral("Fuzz"), again);
        Check(reparsed && *reparsed == *parsed && again.Said.isEmpty());
    }

    const double value = NumericValue(text);
    Check(!std::isnan(value));
    if (const std::optional<double> whole = WholeNumericValue(text))
        Check(*whole == value);
    return 0;
}
