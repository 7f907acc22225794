#pragma once
// An icon whose picture is made the first time something draws it or asks for its pixels.
// Buttons and lists that stay hidden at start-up (the exercise controls, the speaker
// template, the lesson list before a player is chosen) then cost nothing on the way to the
// first window. Once made, it looks and answers exactly like the icon `make` returns; every
// copy of it shares the one picture.
#include <QIcon>

#include <functional>

namespace common {

QIcon deferredIcon(std::function<QIcon()> make);

} // namespace common
