#pragma once
// The additives of a test: 20 rows of name, concentration, units and lot
// number, typed in place. Tab writes the cell and moves on to the next
// control of the dialog, so a technician going through the form by keyboard
// is never trapped in the 80 cells.
#include "testinfo/TestInfoFields.h"

#include <QTableWidget>

namespace tz {

class AdditivesGrid : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int kNameColumn = 0;
    static constexpr int kConcentrationColumn = 1;
    static constexpr int kUnitColumn = 2;
    static constexpr int kLotColumn = 3;

    explicit AdditivesGrid(QWidget* parent = nullptr);

    // Rows from the first downwards up to the first without a name, at most 20.
    QList<AdditiveRow> rows() const;
    // Empties every cell, then fills rows 1, 2, ... (at most 20).
    void setRows(const QList<AdditiveRow>& rows);
    void clearCells();

    // Writes an open cell editor back into its cell and closes it.
    void commitOpenEditor();
    // Writes an open cell and gives the focus to the next (or previous) control.
    void leave(bool forward);

protected:
    void scrollContentsBy(int dx, int dy) override;
};

}  // namespace tz
