// A push button too small for a caption (the window's two tiny buttons, a
// few pixels high). A style draws such a button as it draws a large one,
// and some (dark themes among them) then leave a face that hardly differs
// from the window and a focus mark that does not fit inside; this one is
// drawn plainly: the face, an edge in the button's text colour, which
// contrasts with the face in every theme, and, with the focus, the face in
// the selection colour.
#ifndef VELUNAR_UI_PLATFORM_QT_SMALL_BUTTON_H_
#define VELUNAR_UI_PLATFORM_QT_SMALL_BUTTON_H_

#include <QPushButton>

namespace velunar {

class CSmallButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CSmallButton(QWidget* pParent = nullptr) : QPushButton(pParent) {}

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
};

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_SMALL_BUTTON_H_
