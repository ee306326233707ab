#pragma once

#include <QListView>

namespace qv::ui {

//! The station rows. Turns the list's own input into requests the panel acts on: double-click
//! anywhere, Enter and Delete on the selection, a right-click that keeps the selection, and drops
//! of rows dragged from this same list.
class StationsListView final : public QListView {
  Q_OBJECT

 public:
  explicit StationsListView(QWidget* parent = nullptr);

  //! The selected row, -1 for none.
  int selectedRow() const;
  //! Selects `row` (and makes it current) without scrolling; -1 clears the selection.
  void selectRow(int row);
  //! The bytes a row drag of this list carries, so that a drop can tell its own drags apart.
  QByteArray dragToken() const;

 signals:
  void doubleClicked();
  void enterPressed();
  void deletePressed();
  void contextMenuRequested(const QPoint& globalPos);
  //! A row of this list was dropped on row `to` (the last row when dropped below it).
  void rowDropped(int to);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool isOwnDrag(const QDropEvent* event) const;
};

}  // namespace qv::ui
