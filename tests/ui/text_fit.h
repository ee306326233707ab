#pragma once
// Whether a window shows every text whole: each control as large as its text needs, inside the
// window and every panel it sits in, and apart from the others.

#include <QAbstractButton>
#include <QLabel>
#include <QList>
#include <QWidget>

#include <gtest/gtest.h>

//! The shown labels and buttons of `window` that hold a text (not a picture).
inline QList<QWidget*> textControls(const QWidget* window) {
  QList<QWidget*> controls;
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (!child->isVisibleTo(window)) {
      continue;
    }
    const auto* label = qobject_cast<const QLabel*>(child);
    const auto* button = qobject_cast<const QAbstractButton*>(child);
    if ((label && !label->text().isEmpty()) || (button && !button->text().isEmpty())) {
      controls.append(child);
    }
  }
  return controls;
}

//! Each of `controls` is at least as large as its size hint (a word-wrapped label: as high as its
//! text needs at its width), lies inside every widget from its parent up to `window`, and overlaps
//! none of the others; hidden ones are skipped. `where` names the case.
inline void expectWholeAndApart(const QList<QWidget*>& controls, const QWidget* window, const QString& where) {
  const auto inWindow = [window](const QWidget* control) {
    return QRect(control->mapTo(window, QPoint(0, 0)), control->size());
  };
  for (const QWidget* control : controls) {
    if (!control->isVisibleTo(window)) {
      continue;
    }
    const std::string name = (where + QLatin1Char(' ') + control->objectName()).toStdString();
    const auto* label = qobject_cast<const QLabel*>(control);
    if (label && label->wordWrap()) {
      EXPECT_GE(control->height(), label->heightForWidth(control->width())) << name;
    } else {
      EXPECT_GE(control->width(), control->sizeHint().width()) << name;
      EXPECT_GE(control->height(), control->sizeHint().height()) << name;
    }
    for (const QWidget* inner = control; inner != window && inner->parentWidget(); inner = inner->parentWidget()) {
      EXPECT_TRUE(inner->parentWidget()->rect().contains(inner->geometry()))
          << name << ": " << inner->objectName().toStdString() << " goes past "
          << inner->parentWidget()->objectName().toStdString();
    }
    for (const QWidget* other : controls) {
      if (other != control && other->isVisibleTo(window)) {
        EXPECT_FALSE(inWindow(control).intersects(inWindow(other)))
            << name << " overlaps " << other->objectName().toStdString();
      }
    }
  }
}
