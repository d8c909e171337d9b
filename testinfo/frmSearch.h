#pragma once
// "Test Search": finds stored tests by conditions on their information and on
// their additives and lets the operator pick one by double-click. Opened
// modally from the open-test dialog, which then takes the chosen test name.
// The dialog reads through a connection of its own, so a long search never
// holds the main window's statements.
#include "db/TestSearch.h"
#include "db/clsConnection.h"

#include <QDialog>
#include <array>
#include <optional>

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace tz {
class Prompt;
}

class frmSearch : public QDialog {
    Q_OBJECT
public:
    // databaseDir: the folder of the main window's database (empty: the
    // working directory).
    explicit frmSearch(tz::Prompt& prompt, const QString& databaseDir = QString(),
                       QWidget* parent = nullptr);

    // Shows the dialog modally; the chosen test's name, or nothing when the
    // operator cancelled or closed it.
    static std::optional<QString> chooseTest(tz::Prompt& prompt, const QString& databaseDir,
                                             QWidget* parent);
    // The same on the database of the opener's connection.
    static std::optional<QString> chooseTest(tz::Prompt& prompt, const clsConnection& openerConnection,
                                             QWidget* parent);

    // False only after a result row was chosen.
    bool Canceled() const { return m_canceled; }
    // Column 0 of the chosen result row (the test name); empty before.
    QString selectedTestName() const { return m_selectedName; }
    int selectedTestId() const { return m_selectedId; }

    // The six rows as typed, for the builder.
    tz::SearchRows testRows() const;
    tz::SearchRows additiveRows() const;

public slots:
    void Clear();
    void Search();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load(const QString& databaseDir);
    void choose(int row);
    void setHeadings(const QStringList& headings);
    void fitColumns();

    tz::Prompt& m_prompt;
    clsConnection m_connection;
    tz::SearchColumns m_columns;
    QList<int> m_resultIds;

    std::array<QComboBox*, 3> m_combo1{}, m_cmbmath1{}, m_combo2{}, m_cmbmath2{};
    std::array<QLineEdit*, 3> m_text1{}, m_text2{};
    QTableWidget* m_grid = nullptr;

    bool m_canceled = true;
    QString m_selectedName;
    int m_selectedId = 0;
};
