// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

#include "link/frames.h"

namespace {

constexpr char StoreCommand = 0x21;
constexpr char FetchCommand = 0x2C;
constexpr char FrameMark = static_cast<char>(0xCC);

QByteArray Header(char command, int sceneNumber)
{
    return QByteArray{} + command + static_cast<char>(static_cast<unsigned char>(sceneNumber)) + FrameMark;
}

}  // namespace

QByteArray SendFrame(int sceneNumber, const SceneBytes& scene)
{
    QByteArray frame;
    frame.reserve(3 + scene.size());
    frame += Header(StoreCommand, sceneNumber);
    frame += scene;
    return frame;
}

QByteArray ReceiveRequestFrame(int sceneNumber)
{
    return Header(FetchCommand, sceneNumber);
}
