#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>

class QLabel;
class QTimer;

namespace norvane {

class Form1;

// 75 ticks of this are about one second.
inline constexpr int kSplashTickMilliseconds = 13;

// The first window of the program. Its timer counts intTemp up by 2 a tick; on the 75th tick
// it loads and shows the main window and hides itself, staying loaded (and owning the main
// window) until the program ends.
class frmSplash : public QWidget {
  Q_OBJECT

 public:
  explicit frmSplash(QWidget* parent = nullptr);
  ~frmSplash() override;

  void Form_Load();
  void Timer2_Timer();

  Form1* mainWindow() const { return m_main.get(); }

  QLabel* Image1 = nullptr;
  QTimer* Timer2 = nullptr;
  int16_t intTemp = 0;

 private:
  std::unique_ptr<Form1> m_main;
};

}  // namespace norvane
