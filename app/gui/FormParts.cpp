#include "FormParts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zelgui::form {

int EditWidth(const QWidget* w, const QString& widest) {
  return QFontMetrics(w->font()).horizontalAdvance(widest) + 14;
}

QGroupBox* Group(const QString& title) { return new QGroupBox(title); }

QLabel* Label(const QString& text, QWidget* buddy) {
  auto* l = new QLabel(text);
  if (buddy) l->setBuddy(buddy);
  return l;
}

QLineEdit* Edit(const char* name, int maxLength, int digits) {
  auto* e = new QLineEdit;
  e->setObjectName(name);
  if (maxLength > 0) e->setMaxLength(maxLength);
  if (digits > 0) e->setFixedWidth(EditWidth(e, QString(digits, '0')));
  return e;
}

QPushButton* Button(const QString& text) {
  auto* b = new QPushButton(text);
  b->setAutoDefault(false);
  return b;
}

QCheckBox* Check(const QString& text, bool checked) {
  auto* c = new QCheckBox(text);
  c->setChecked(checked);
  return c;
}

QRadioButton* Radio(const QString& text, bool checked) {
  auto* r = new QRadioButton(text);
  r->setChecked(checked);
  return r;
}

void Row(QGridLayout* grid, int row, QLabel* label, QWidget* field, int span) {
  grid->addWidget(label, row, 0);
  grid->addWidget(field, row, 1, 1, span);
}

void AddAll(QBoxLayout* layout, std::initializer_list<QWidget*> widgets) {
  for (QWidget* w : widgets) {
    if (w)
      layout->addWidget(w);
    else
      layout->addStretch(1);
  }
}

QHBoxLayout* Line(std::initializer_list<QWidget*> widgets, bool stretchAtEnd) {
  auto* line = new QHBoxLayout;
  line->setSpacing(4);
  AddAll(line, widgets);
  if (stretchAtEnd) line->addStretch(1);
  return line;
}

QWidget* EntryPage(QLabel* label, QLineEdit* edit, QPushButton* button) {
  auto* page = new QWidget;
  auto* column = Tight(new QVBoxLayout(page));
  column->addWidget(label);
  column->addLayout(Line({edit, nullptr, button}));
  column->addStretch(1);
  return page;
}

}  // namespace zelgui::form
