#pragma once
// The modal boxes the settings dialog asks through when no test stands in
// for them: the folder question and the font picker.
#include <QFont>

#include <optional>
#include <string>

class QWidget;

namespace slidora {

// The "確認" box with a question icon and the buttons "はい(&Y)" (default)
// and "いいえ(&N)" (also Esc and the close box). True for はい.
bool askConfirmation(QWidget* parent, const std::string& message);

// The font picker starting at `initial`, without its effects box; nothing
// when the user cancels.
std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial);

} // namespace slidora
