#include "FormResult.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelgui {

TFormResult::TFormResult(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Suchergebnis");
  resize(600, 462);
  fMemo = new QPlainTextEdit(this);
  fMemo->setObjectName("MemoBanken");
  fMemo->setReadOnly(true);
  fMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  fMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  fMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* ok = new QPushButton("&Ok", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fMemo);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
}

}  // namespace zelgui
