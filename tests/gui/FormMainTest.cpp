// The main window on the offscreen platform: closing it while automation
// objects are alive asks first, and only Yes closes it.

#include <QtTest>

#include "Dialogs.h"
#include "FormMain.h"

namespace {

// Answers the window's questions as the test says, and counts them.
class TAnswers : public zelgui::TDialogs {
 public:
  bool yes = false;
  int asked = 0;
  bool AskYesNo(QWidget*, const QString&, const QString&) override {
    ++asked;
    return yes;
  }
  void Inform(QWidget*, const QString&, const QString&) override {}
};

}  // namespace

class FormMainTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { zelgui::SetDialogs(&answers_); }
  void cleanup() { zelgui::SetDialogs(nullptr); }

  void ClosingWithLiveObjectsAsksFirst() {
    int live = 1;
    zelgui::TFormMain window([&live] { return live; });
    window.show();
    QVERIFY(!window.close());
    QCOMPARE(answers_.asked, 1);
    QVERIFY(window.isVisible());
    answers_.yes = true;
    QVERIFY(window.close());
    live = 0;
    window.show();
    QVERIFY(window.close());
    QCOMPARE(answers_.asked, 2);  // no question without objects
  }

  void FixedSize() {
    zelgui::TFormMain window([] { return 0; });
    QCOMPARE(window.size(), QSize(800, 561));
  }

 private:
  TAnswers answers_;
};

QTEST_MAIN(FormMainTest)
#include "FormMainTest.moc"
