#include "testinfo/frmSearch.h"

#include "app/ui/Prompt.h"
#include "db/DbError.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kTwipsPerPixel = 15;
// The grid's column widths as designed, in twips.
constexpr int kColumnTwips[5] = {1500, 2000, 2000, 2000, 3000};
// A long description does not push the other columns out of sight.
constexpr int kWidestValue = 420;
const QStringList kResultFields = {QStringLiteral("TEST_NAME"), QStringLiteral("RESEARCHER_NAME"),
                                   QStringLiteral("TEST_TIME"), QStringLiteral("FLUID_ID"),
                                   QStringLiteral("DESCRIPTION")};

// Three criteria rows (column, operator, value) in a framed group.
QGroupBox* criteriaGroup(const QString& title, const char* comboName, const char* mathName,
                         const char* textName, std::array<QComboBox*, 3>& combos,
                         std::array<QComboBox*, 3>& maths, std::array<QLineEdit*, 3>& texts,
                         QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Column"), box), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Operator"), box), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Value"), box), 0, 2);
    for (int k = 0; k < 3; ++k) {
        combos[k] = new QComboBox(box);
        combos[k]->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(comboName)).arg(k));
        combos[k]->setMinimumWidth(170);
        maths[k] = new QComboBox(box);
        maths[k]->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(mathName)).arg(k));
        texts[k] = new QLineEdit(box);
        texts[k]->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(textName)).arg(k));
        texts[k]->setMinimumWidth(160);
        grid->addWidget(combos[k], k + 1, 0);
        grid->addWidget(maths[k], k + 1, 1);
        grid->addWidget(texts[k], k + 1, 2);
    }
    grid->setColumnStretch(2, 1);
    return box;
}

tz::SearchRows rowsOf(const std::array<QComboBox*, 3>& combos, const std::array<QComboBox*, 3>& maths,
                      const std::array<QLineEdit*, 3>& texts)
{
    tz::SearchRows rows;
    for (int k = 0; k < 3; ++k)
        rows[k] = {combos[k]->currentIndex(), maths[k]->currentIndex(), texts[k]->text()};
    return rows;
}

}  // namespace

frmSearch::frmSearch(tz::Prompt& prompt, const QString& databaseDir, QWidget* parent)
    : QDialog(parent), m_prompt(prompt)
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Test Search"));
    setModal(true);

    auto* tests = criteriaGroup(QStringLiteral("Test Information"), "Combo1", "cmbmath1", "Text1",
                                m_combo1, m_cmbmath1, m_text1, this);
    auto* additives = criteriaGroup(QStringLiteral("Additives"), "Combo2", "cmbmath2", "Text2",
                                    m_combo2, m_cmbmath2, m_text2, this);

    auto* search = new QPushButton(QStringLiteral("SEARCH"), this);
    search->setObjectName(QStringLiteral("cmdSearch"));
    search->setDefault(true);
    auto* clear = new QPushButton(QStringLiteral("CLEAR"), this);
    clear->setObjectName(QStringLiteral("cmdClear"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel && retrun"), this);
    cancel->setObjectName(QStringLiteral("Command1"));

    m_grid = new QTableWidget(0, 5, this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setTabKeyNavigation(false);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->installEventFilter(this);
    setHeadings(kResultFields);

    auto* hint = new QLabel(QStringLiteral("Double-click a test (or select it and press Enter) to open it."), this);

    auto* criteria = new QHBoxLayout;
    criteria->addWidget(tests);
    criteria->addWidget(additives);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(search);
    buttons->addWidget(clear);
    buttons->addStretch();
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(criteria);
    top->addLayout(buttons);
    top->addWidget(m_grid, 1);
    top->addWidget(hint);

    connect(search, &QPushButton::clicked, this, &frmSearch::Search);
    connect(clear, &QPushButton::clicked, this, &frmSearch::Clear);
    connect(cancel, &QPushButton::clicked, this, [this] {
        m_canceled = true;
        reject();
    });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { choose(row); });

    setMinimumSize(minimumSizeHint().expandedTo(QSize(900, 480)));
    resize(980, 600);
    load(databaseDir);
}

std::optional<QString> frmSearch::chooseTest(tz::Prompt& prompt, const QString& databaseDir,
                                             QWidget* parent)
{
    frmSearch dialog(prompt, databaseDir, parent);
    dialog.exec();
    if (dialog.Canceled())
        return std::nullopt;
    return dialog.selectedTestName();
}

std::optional<QString> frmSearch::chooseTest(tz::Prompt& prompt, const clsConnection& openerConnection,
                                             QWidget* parent)
{
    const QString file = openerConnection.fileName();
    return chooseTest(prompt, file.isEmpty() ? QString() : QFileInfo(file).absolutePath(), parent);
}

void frmSearch::load(const QString& databaseDir)
{
    m_connection.OpenDB(QStringLiteral("msORA"), QStringLiteral("system"), QString(), QString(),
                        databaseDir);
    try {
        if (!m_connection.isOpen())
            throw tz::DbError(m_connection.lastError());
        m_columns = tz::searchColumns(m_connection.ADOConnection());
    } catch (const tz::DbError& e) {
        m_prompt.message(this, QStringLiteral("ERROR: ") + e.text(), windowTitle(),
                         tz::Prompt::Icon::Critical);
    }
    const QStringList ops = tz::searchOperators();
    for (int k = 0; k < 3; ++k) {
        m_combo1[k]->addItems(m_columns.test);
        m_combo2[k]->addItems(m_columns.additive);
        m_cmbmath1[k]->addItems(ops);
        m_cmbmath2[k]->addItems(ops);
    }
    Clear();
}

void frmSearch::Clear()
{
    for (auto* list : {&m_combo1, &m_cmbmath1, &m_combo2, &m_cmbmath2})
        for (QComboBox* combo : *list)
            combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
    for (auto* list : {&m_text1, &m_text2})
        for (QLineEdit* text : *list)
            text->clear();
}

tz::SearchRows frmSearch::testRows() const { return rowsOf(m_combo1, m_cmbmath1, m_text1); }
tz::SearchRows frmSearch::additiveRows() const { return rowsOf(m_combo2, m_cmbmath2, m_text2); }

void frmSearch::Search()
{
    QString cause;
    try {
        const tz::SearchStatement statement =
            tz::buildSearchStatement(m_columns, testRows(), additiveRows());
        // The grid is emptied only once the statement is known to be sound,
        // so a typing error leaves the last results in view.
        const tz::SearchResult result = tz::runSearch(m_connection.ADOConnection(), statement);
        m_grid->setRowCount(0);
        m_resultIds = result.testIds;
        if (!result.rows.isEmpty())
            setHeadings(result.headings);
        for (const QStringList& row : result.rows) {
            const int r = m_grid->rowCount();
            m_grid->insertRow(r);
            for (int c = 0; c < 5; ++c)
                m_grid->setItem(r, c, new QTableWidgetItem(row.value(c)));
        }
        fitColumns();
        if (m_grid->rowCount() > 0)
            m_grid->selectRow(0);
        return;
    } catch (const tz::SearchError& e) {
        cause = e.cause();
    } catch (const tz::DbError& e) {
        cause = e.text();
    }
    m_prompt.message(this, QStringLiteral("Wrong search string.  ") + cause, windowTitle(),
                     tz::Prompt::Icon::Exclamation);
}

void frmSearch::setHeadings(const QStringList& headings)
{
    m_grid->setHorizontalHeaderLabels(headings);
    fitColumns();
}

void frmSearch::fitColumns()
{
    // Each column as designed, or wider where its name or a value would be cut.
    for (int c = 0; c < m_grid->columnCount() && c < 5; ++c) {
        const int heading = m_grid->horizontalHeader()->sectionSizeHint(c);
        m_grid->resizeColumnToContents(c);  // the widest of heading and values
        const int values = std::min(m_grid->columnWidth(c), kWidestValue);
        m_grid->setColumnWidth(c, std::max({kColumnTwips[c] / kTwipsPerPixel, heading, values}));
    }
}

void frmSearch::choose(int row)
{
    if (row < 0 || row >= m_grid->rowCount() || !m_grid->item(row, 0))
        return;
    m_selectedName = m_grid->item(row, 0)->text();
    m_selectedId = m_resultIds.value(row);
    m_canceled = false;
    accept();
}

bool frmSearch::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a selected row chooses it, like a double-click.
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_grid->currentRow() >= 0) {
            choose(m_grid->currentRow());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
