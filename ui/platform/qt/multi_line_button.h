// A push button whose caption wraps over several lines when it is wider
// than the button (a template button with BS_MULTILINE).
//
// The caption stays as set (text() has no added line breaks); only the
// drawing breaks it, at the button's current width, so a caption set at any
// time wraps.
#ifndef VELUNAR_UI_PLATFORM_QT_MULTI_LINE_BUTTON_H_
#define VELUNAR_UI_PLATFORM_QT_MULTI_LINE_BUTTON_H_

#include <QPushButton>

namespace velunar {

class CMultiLineButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CMultiLineButton(QWidget* pParent = nullptr) : QPushButton(pParent) {}

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
};

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_MULTI_LINE_BUTTON_H_
