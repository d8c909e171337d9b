#pragma once
// In-place editing of the sequence grids: a plain line edit over the cell,
// any text allowed, written back when it loses focus. Typing reports `edited`
// (the editor's changed flag). In the ramp grid Enter writes the cell and opens
// the editor on the next row, so a shear sweep is typed top to bottom. Tab and
// Shift+Tab write the cell and leave the grid for the next or previous control.
#include <QStyledItemDelegate>

class GridCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridCellDelegate(bool enterMovesDown, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

signals:
    void edited();
    void enterPressed();  // after the cell was written and the editor closed

protected:
    bool eventFilter(QObject* editor, QEvent* event) override;

private:
    bool m_enterMovesDown;
};
