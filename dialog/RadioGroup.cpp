#include "dialog/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QStringList>

namespace slidora {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this)),
      m_columns(columns < 1 ? 1 : columns) {
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        m_group->addButton(button, i);
        m_buttons.push_back(button);
    }
}

int RadioGroup::itemIndex() const {
    return m_group->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (index >= 0 && index < static_cast<int>(m_buttons.size())) {
        m_buttons[static_cast<std::size_t>(index)]->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last checked button.
    m_group->setExclusive(false);
    for (QRadioButton* button : m_buttons)
        button->setChecked(false);
    m_group->setExclusive(true);
}

void RadioGroup::arrangeButtons(int fontHeightPx) {
    const int count = static_cast<int>(m_buttons.size());
    if (count == 0) return;
    const int perColumn = (count + m_columns - 1) / m_columns;
    const int buttonWidth = (width() - 10) / m_columns;
    const int usableHeight = height() - fontHeightPx - 5;
    const int buttonHeight = usableHeight / perColumn;
    const int topMargin = fontHeightPx + 1 + (usableHeight % perColumn) / 2;
    for (int i = 0; i < count; ++i) {
        const int column = i / perColumn;
        const int row = i % perColumn;
        m_buttons[static_cast<std::size_t>(i)]->setGeometry(
            8 + column * buttonWidth, topMargin + row * buttonHeight, buttonWidth, buttonHeight);
    }
}

} // namespace slidora
