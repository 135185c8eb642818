#pragma once
// The modal boxes the settings dialog asks through when no test stands in
// for them: the folder question and the font picker, and the toolkit's
// texts inside them.
#include <QFont>

#include <optional>
#include <string>

class QWidget;

namespace slidora {

// Installs the toolkit's own Japanese texts for its standard dialogs, once
// per application; a missing translation file leaves them in English.
void installToolkitTranslations();

// `font` with the family the font system would draw it in when its own
// family is not installed under that name (a generic name such as "Sans
// Serif", or a face missing here).
QFont listedFace(const QFont& font);

// The "確認" box with a question icon and the buttons "はい(&Y)" (default)
// and "いいえ(&N)" (also Esc and the close box). True for はい.
bool askConfirmation(QWidget* parent, const std::string& message);

// The font picker starting at `initial`, without its effects box; nothing
// when the user cancels.
std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial);

} // namespace slidora
