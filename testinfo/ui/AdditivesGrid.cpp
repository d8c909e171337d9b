#include "testinfo/ui/AdditivesGrid.h"

#include "db/TestFieldLimits.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include <algorithm>
#include <optional>

namespace tz {

namespace {

// 1600 twips per column and 400 for the heading, at 15 twips per pixel.
constexpr int kColumnWidth = 107;
constexpr int kHeadingHeight = 27;

QString cell(const QTableWidget& grid, int row, int column) {
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QString();
}

// The column a text cell is stored in; nullopt for the concentration, a number.
std::optional<TestTextField> storedAs(int column) {
    switch (column) {
    case AdditivesGrid::kNameColumn: return TestTextField::AdditiveName;
    case AdditivesGrid::kUnitColumn: return TestTextField::AdditiveUnit;
    case AdditivesGrid::kLotColumn: return TestTextField::AdditiveLotNo;
    default: return std::nullopt;
    }
}

// A plain line edit over the cell, taking no more characters than the cell's
// column holds. Tab and Backtab write the cell and leave the grid instead of
// opening the next cell.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(AdditivesGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("txtEdit"));
        editor->setFrame(false);
        if (const auto field = storedAs(index.column())) editor->setMaxLength(maxLength(*field));
        return editor;
    }

    // An older test's longer text is shown whole, never cut by opening the
    // cell; OK then says which cell to shorten.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (const auto field = storedAs(index.column()))
            box->setMaxLength(std::max(maxLength(*field), static_cast<int>(text.size())));
        box->setText(text);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
                m_grid->leave(key == Qt::Key_Tab);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    AdditivesGrid* m_grid;
};

}  // namespace

AdditivesGrid::AdditivesGrid(QWidget* parent) : QTableWidget(kAdditiveRows, 4, parent) {
    setObjectName(QStringLiteral("MSFlexGrid1"));
    setHorizontalHeaderLabels({QStringLiteral("Additive Name"), QStringLiteral("Concentration"),
                               QStringLiteral("Units"), QStringLiteral("Lot Number")});
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumHeight(kHeadingHeight);
    for (int c = 0; c < 4; ++c) setColumnWidth(c, kColumnWidth);
    horizontalHeader()->setStretchLastSection(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::EditKeyPressed);
    // Arrow keys move between cells; Tab belongs to the dialog.
    setTabKeyNavigation(false);
    setItemDelegate(new CellDelegate(this));
    clearCells();
}

QList<AdditiveRow> AdditivesGrid::rows() const {
    QList<AdditiveRow> result;
    for (int r = 0; r < rowCount() && r < kAdditiveRows; ++r) {
        const QString name = cell(*this, r, 0);
        if (name.isEmpty()) break;
        result.append({name, cell(*this, r, 1), cell(*this, r, 2), cell(*this, r, 3)});
    }
    return result;
}

void AdditivesGrid::clearCells() {
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c) setItem(r, c, new QTableWidgetItem(QString()));
}

void AdditivesGrid::setRows(const QList<AdditiveRow>& rows) {
    clearCells();
    for (int r = 0; r < rows.size() && r < rowCount(); ++r) {
        item(r, 0)->setText(rows[r].name);
        item(r, 1)->setText(rows[r].concentration);
        item(r, 2)->setText(rows[r].unit);
        item(r, 3)->setText(rows[r].lotNumber);
    }
}

void AdditivesGrid::commitOpenEditor() {
    if (state() != QAbstractItemView::EditingState) return;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->parentWidget() == viewport()) editor = focus;
    }
    if (!editor) return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void AdditivesGrid::scrollContentsBy(int dx, int dy) {
    // The typed text is kept, the box does not float over another cell.
    commitOpenEditor();
    QTableWidget::scrollContentsBy(dx, dy);
}

void AdditivesGrid::leave(bool forward) {
    commitOpenEditor();
    if (forward)
        focusNextChild();
    else
        focusPreviousChild();
}

}  // namespace tz
