// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/scene_number.h"

#include "platform/dialog_service.h"
#include "platform/failure.h"
#include "scene/scene_grid.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int TypeMismatch = 13;

}  // namespace

std::optional<SceneNumberAnswer> SceneNumberPrompt(DialogService& dialogs, const QString& title)
{
    const QString answer = dialogs.InputBox(u"Scene number ?"_s, title);
    if (answer.isEmpty())
        return std::nullopt;
    const double value = NumericValue(answer);
    if (!(value >= 1 && value <= 255)) {
        dialogs.MsgBox(u"The Scene number should be between 1 and 255"_s, MsgBoxStyle::Information, ApplicationTitle);
        return std::nullopt;
    }
    return SceneNumberAnswer{value, answer};
}

int SendSceneNumber(const SceneNumberAnswer& answer)
{
    return static_cast<int>(RoundHalfEven(answer.Value));
}

int ReceiveSceneNumber(const SceneNumberAnswer& answer)
{
    const std::optional<double> whole = WholeNumericValue(answer.Typed);
    if (!whole) {
        throw Failure{TypeMismatch,
                      u"\"%1\" is not a scene number. Type the number alone, without letters or "
                      "other signs."_s.arg(answer.Typed)};
    }
    return static_cast<int>(RoundHalfEven(*whole));
}
