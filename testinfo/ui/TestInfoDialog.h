#pragma once
// What the two test information dialogs share: the boxes of the test's
// description, the bob lookup and the additives grid. Neither dialog writes
// to the database; its opener reads the fields after it closes.
#include "db/TestFieldLimits.h"
#include "testinfo/TestInfoFields.h"

#include <QDialog>
#include <cstddef>

class QGridLayout;
class QLineEdit;
class QPlainTextEdit;

namespace tz {

class AdditivesGrid;
class Prompt;

class TestInfoDialog : public QDialog {
    Q_OBJECT
public:
    // True after Cancel/Return or closing by the window frame; false after OK/Save.
    bool mlCanceled() const { return m_canceled; }

    TestInfoFields fields() const;
    // Fills every box; the bob lookup runs for the bob number first, so the
    // radius and length given here are the ones that remain.
    void setFields(const TestInfoFields& fields);
    // Presets the bob designation (and, for a known one, its radius and length).
    void setBobNo(const QString& bob);

    QList<AdditiveRow> additiveRows() const;
    void setAdditiveRows(const QList<AdditiveRow>& rows);

public slots:
    void reject() override;  // Escape and the window frame's close count as Cancel

protected:
    TestInfoDialog(Prompt& prompt, QWidget* parent);

    // The field boxes and the additives grid, laid out; the dialogs add their
    // own controls below (row `nextRow()` of the returned grid layout).
    QGridLayout* body() const { return m_body; }
    int nextRow() const { return m_nextRow; }

    // Tab visits the widgets in this order.
    template <typename... Widgets>
    static void chainTabOrder(Widgets*... widgets) {
        QWidget* const order[] = {widgets...};
        for (std::size_t i = 1; i < sizeof...(widgets); ++i) setTabOrder(order[i - 1], order[i]);
    }

    // Hides the dialog and leaves it with OK/Save.
    void acceptInput();
    // True when the test name is not empty; otherwise says so and keeps the dialog.
    bool checkNameNotEmpty();
    // The same, counting a name of blanks only as empty: for a name that will be stored.
    bool checkNameGiven();
    // True when every text that will be stored fits its column and holds no
    // line break (the test name only when withName); otherwise names the
    // field, puts the focus on it and keeps the dialog.
    bool checkFieldTexts(bool withName);

    // Puts a stored text into its box whole, even one longer than the box
    // lets the operator type (an older test's): OK then names the field to
    // shorten, instead of the box cutting it silently.
    static void putText(QLineEdit* box, TestTextField field, const QString& text);

    Prompt& m_prompt;
    QLineEdit* m_txtTestName;
    QLineEdit* m_txtTestDate;
    QLineEdit* m_txtResearchName;
    QLineEdit* m_txtFluidId;
    QLineEdit* m_txtRotoNo;
    QLineEdit* m_txtBobNo;
    QLineEdit* m_txtBobRadius;
    QLineEdit* m_txtBobLength;
    QLineEdit* m_txtPreTestPH;
    QLineEdit* m_txtPostTestPH;
    QPlainTextEdit* m_txtSAFETY;
    AdditivesGrid* m_grid;

private:
    void lookUpBob(const QString& bob);

    QGridLayout* m_body;
    int m_nextRow = 0;
    bool m_canceled = false;
};

inline const QString kEmptyTestNameMessage =
    QStringLiteral("Please input a unique test name for valid input.");

}  // namespace tz
