// The result window of a search: one read-only memo and "&Ok".
#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace zelgui {

class TFormResult : public QDialog {
  Q_OBJECT

 public:
  explicit TFormResult(QWidget* parent = nullptr);
  QPlainTextEdit* MemoBanken() const { return fMemo; }

 private:
  QPlainTextEdit* fMemo;
};

}  // namespace zelgui
