#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

namespace qv::ui {

class Skin;

//! A button that shows one named skin image, drawn unscaled from its top-left corner with its
//! transparency over the parent's colour. Every visible change is a swap to another named image:
//! on enter and leave the button asks its rules for the image, at the moment of the event, and a
//! rule that gives nothing leaves the image as it is. A press is taken by the button (so it never
//! moves the window); releasing the left button over it is a click.
class ImageButton : public QWidget {
  Q_OBJECT

 public:
  ImageButton(const Skin& skin, QWidget* parent);

  //! Shows the image of that name (nothing while the skin is not loaded).
  void setImage(const QString& name);
  QString image() const { return m_image; }
  //! Gives the button the size of its current image.
  void fitToImage();

  //! The image to show on entering or leaving; empty keeps the current one.
  using ImageRule = std::function<std::optional<QString>()>;
  void setHoverRules(ImageRule onEnter, ImageRule onLeave);

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void apply(const ImageRule& rule);

  const Skin& m_skin;
  QString m_image;
  ImageRule m_onEnter;
  ImageRule m_onLeave;
};

}  // namespace qv::ui
