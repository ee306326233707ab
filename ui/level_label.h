#pragma once

#include "link_label.h"

#include <QHash>
#include <QStaticText>

namespace qv::ui {

//! A level meter label: its few texts (none to three brackets) change up to twenty times a second
//! while a station plays, so each is laid out once and then only drawn. Same look as a label of
//! the panel; the text is still the label's own (text(), setText()). It is opaque, on the window's
//! background colour, so a change repaints nothing but the label.
class LevelLabel : public LinkLabel {
  Q_OBJECT

 public:
  explicit LevelLabel(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QHash<QString, QStaticText> m_laidOut;
};

}  // namespace qv::ui
