// The main window. While automation objects are alive, closing it asks
// first.
#pragma once

#include <QMainWindow>
#include <functional>

namespace zelgui {

class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  // liveObjects: the number of automation objects alive now.
  explicit TFormMain(std::function<int()> liveObjects, QWidget* parent = nullptr);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<int()> fLiveObjects;
};

}  // namespace zelgui
