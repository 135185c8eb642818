#pragma once
// A titled group of radio buttons laid out in columns, with the selected
// item as an index (-1 when no item is selected). Items fill the first
// column from top to bottom, then the next.
#include <QGroupBox>
#include <QStringList>

#include <vector>

class QButtonGroup;
class QRadioButton;

namespace slidora {

class RadioGroup final : public QGroupBox {
  public:
    RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent);

    int itemIndex() const;
    // An index outside the items selects none.
    void setItemIndex(int index);

    // Places the buttons in a group of the given size; `fontHeightPx` is the
    // height of the caption line above them.
    void arrangeButtons(int fontHeightPx);

    const std::vector<QRadioButton*>& buttons() const { return m_buttons; }

  private:
    QButtonGroup* m_group;
    std::vector<QRadioButton*> m_buttons;
    int m_columns;
};

} // namespace slidora
