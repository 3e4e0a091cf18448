// The small builders the main window's groups are made of: captions,
// fields sized to their content, buttons, and the close spacing of a form.
// Each widget is made without a parent; the layout it goes into adopts it.
#pragma once

#include <QGridLayout>
#include <QHBoxLayout>
#include <QString>
#include <QVBoxLayout>
#include <initializer_list>
#include <type_traits>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace zelgui::form {

// Room for this text in an edit of this font, with its frame and margins.
int EditWidth(const QWidget* w, const QString& widest);

// Layout spacing: close, as on a form of the office programs.
template <class L>
L* Tight(L* layout, int margin = 6) {
  layout->setContentsMargins(margin, 2, margin, 4);
  layout->setSpacing(2);
  if constexpr (std::is_same_v<L, QGridLayout>) layout->setHorizontalSpacing(4);
  if constexpr (std::is_same_v<L, QHBoxLayout>) layout->setSpacing(4);
  return layout;
}

QGroupBox* Group(const QString& title);
QLabel* Label(const QString& text, QWidget* buddy = nullptr);
// digits > 0: as wide as that many digits, else it takes the room there is.
QLineEdit* Edit(const char* name, int maxLength = 0, int digits = 0);
// Never the default button by itself: the window chooses it by group.
QPushButton* Button(const QString& text);
QCheckBox* Check(const QString& text, bool checked);
QRadioButton* Radio(const QString& text, bool checked = false);

// A caption and its field on one row of a grid.
void Row(QGridLayout* grid, int row, QLabel* label, QWidget* field, int span = 1);
// The widgets in order; nullptr is a stretch.
void AddAll(QBoxLayout* layout, std::initializer_list<QWidget*> widgets);
QHBoxLayout* Line(std::initializer_list<QWidget*> widgets, bool stretchAtEnd = false);
// A page with one labelled field and its button.
QWidget* EntryPage(QLabel* label, QLineEdit* edit, QPushButton* button);

}  // namespace zelgui::form
