#include "setup/ui/SequenceGrids.h"

#include "setup/SequenceEntry.h"
#include "setup/SequenceTemperature.h"

#include <QHeaderView>
#include <QTableWidget>

namespace SequenceGrids {

namespace {

QTableWidgetItem* cell(const QString& text, bool editable) {
    auto* item = new QTableWidgetItem(text);
    if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

void setUpGrid(QTableWidget* grid) {
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    // A click on a cell puts the editor over it at once.
    grid->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked |
                          QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->setWordWrap(false);
    // Tab moves between the window's controls, never from cell to cell.
    grid->setTabKeyNavigation(false);
}

}  // namespace

void setUpStepsGrid(QTableWidget* grid) {
    setUpGrid(grid);
    grid->setColumnCount(tz::kStepColumns);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    setStepsHeadings(grid, 1);
}

void setStepsHeadings(QTableWidget* grid, int unitSystem) {
    const QString unit = tz::temperatureUnit(unitSystem);
    grid->setHorizontalHeaderLabels({QStringLiteral("Step No"), QStringLiteral("Elapse\nTime (Min)"),
                                     QStringLiteral("Temp\n(%1)").arg(unit),
                                     QStringLiteral("Temp\nError(%1)").arg(unit),
                                     QStringLiteral("Shear\nRate (1/S)"), QStringLiteral("Ramp?")});
    const QFontMetrics fm = grid->horizontalHeader()->fontMetrics();
    grid->setColumnWidth(0, fm.horizontalAdvance(QStringLiteral("Step No")) + 14);
    for (int c = 1; c < tz::kStepColumns; ++c)
        grid->setColumnWidth(c, fm.horizontalAdvance(QStringLiteral("Rate (1/S)")) + 14);
}

void setStepRows(QTableWidget* grid, const QList<QStringList>& rows) {
    grid->setRowCount(0);
    grid->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < tz::kStepColumns; ++c)
            grid->setItem(r, c, cell(c < rows[r].size() ? rows[r][c] : QString(), c != 0));
    }
}

QList<QStringList> stepRows(const QTableWidget* grid) {
    QList<QStringList> rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < tz::kStepColumns; ++c) {
            const QTableWidgetItem* item = grid->item(r, c);
            row << (item ? item->text() : QString());
        }
        rows << row;
    }
    return rows;
}

void insertStepRow(QTableWidget* grid, int row, const QStringList& cells) {
    grid->insertRow(row);
    for (int c = 0; c < tz::kStepColumns; ++c)
        grid->setItem(row, c, cell(c < cells.size() ? cells[c] : QString(), c != 0));
}

namespace {
constexpr int kStoredRole = Qt::UserRole + 1;
constexpr int kTempColumn = 2;
constexpr int kToleranceColumn = 3;

void setStored(QTableWidget* grid, int row, int column, const std::optional<double>& value) {
    if (QTableWidgetItem* item = grid->item(row, column))
        item->setData(kStoredRole, value ? QVariant(*value) : QVariant());
}

std::optional<double> stored(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    const QVariant v = item ? item->data(kStoredRole) : QVariant();
    if (!v.isValid()) return std::nullopt;
    return v.toDouble();
}
}  // namespace

void setStoredTemps(QTableWidget* grid, const QList<tz::StoredStepTemps>& values) {
    for (int r = 0; r < grid->rowCount() && r < values.size(); ++r) {
        setStored(grid, r, kTempColumn, values[r].tempF);
        setStored(grid, r, kToleranceColumn, values[r].toleranceF);
    }
}

QList<tz::StoredStepTemps> storedTemps(const QTableWidget* grid) {
    QList<tz::StoredStepTemps> values;
    for (int r = 0; r < grid->rowCount(); ++r)
        values.append({stored(grid, r, kTempColumn), stored(grid, r, kToleranceColumn)});
    return values;
}

void renumberSteps(QTableWidget* grid) {
    for (int r = 0; r < grid->rowCount(); ++r)
        grid->setItem(r, 0, cell(QString::number(r + 1), false));
}

void setUpRampGrid(QTableWidget* grid) {
    setUpGrid(grid);
    grid->setColumnCount(1);
    grid->setHorizontalHeaderLabels({QStringLiteral("Shear Rate (1/S)")});
    grid->horizontalHeader()->setStretchLastSection(true);
    setRampCells(grid, {});
}

void setRampCells(QTableWidget* grid, const QStringList& cells) {
    // Rows are rebuilt, not overwritten, so an editor still open on the old
    // sequence cannot write its text into the new one.
    grid->setRowCount(0);
    grid->setRowCount(tz::kRampRows);
    for (int r = 0; r < tz::kRampRows; ++r)
        grid->setItem(r, 0, cell(r < cells.size() ? cells[r] : QString(), true));
}

QStringList rampCells(const QTableWidget* grid) {
    QStringList cells;
    for (int r = 0; r < grid->rowCount(); ++r) {
        const QTableWidgetItem* item = grid->item(r, 0);
        cells << (item ? item->text() : QString());
    }
    return cells;
}

}  // namespace SequenceGrids
