#include "testinfo/ui/TestListDialog.h"

#include "app/ui/Prompt.h"
#include "db/DbError.h"
#include "db/TestList.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tz {

TestListDialog::TestListDialog(clsConnection& connection, Prompt& prompt,
                               const QString& firstCaption, QWidget* parent)
    : QDialog(parent), m_connection(connection), m_prompt(prompt) {
    auto* label = new QLabel(QStringLiteral("Test &Name:"), this);
    m_txtSeqName = new QLineEdit(this);
    m_txtSeqName->setObjectName(QStringLiteral("txtSeqName"));
    m_txtSeqName->setMaxLength(40);
    label->setBuddy(m_txtSeqName);

    m_grid = new QTableWidget(0, 3, this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setHorizontalHeaderLabels({firstCaption + QStringLiteral("\nName"),
                                       QStringLiteral("Test\nTime"),
                                       QStringLiteral("Researcher\nName")});
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_grid->horizontalHeader()->setMinimumHeight(m_grid->fontMetrics().lineSpacing() * 2 + 10);
    for (int c = 0; c < 3; ++c) m_grid->setColumnWidth(c, 180);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setTabKeyNavigation(false);  // Tab leaves the list

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));

    m_buttons = new QHBoxLayout;
    m_buttons->addStretch();
    m_buttons->addWidget(ok);
    m_buttons->addWidget(cancel);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(label);
    nameRow->addWidget(m_txtSeqName, 1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(nameRow);
    top->addWidget(m_grid, 1);
    top->addLayout(m_buttons);
    setMinimumSize(520, 320);
    resize(600, 420);

    // A click, or the arrow keys, on a row put its name in the name box.
    auto takeName = [this](int row) {
        if (row >= 0 && m_grid->item(row, 0)) m_txtSeqName->setText(m_grid->item(row, 0)->text());
    };
    connect(m_grid, &QTableWidget::cellClicked, this, takeName);
    connect(m_grid, &QTableWidget::currentCellChanged, this, takeName);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { choose(); });
    connect(ok, &QPushButton::clicked, this, [this] { choose(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TestListDialog::testName() const { return m_txtSeqName->text(); }

void TestListDialog::setTestName(const QString& name) { m_txtSeqName->setText(name); }

void TestListDialog::takeChosenName(const QString& name) {
    // The list shows the test the search found, and Enter opens it.
    for (int r = 0; r < m_grid->rowCount(); ++r)
        if (m_grid->item(r, 0) && m_grid->item(r, 0)->text() == name) {
            m_grid->setCurrentCell(r, 0);
            m_grid->scrollToItem(m_grid->item(r, 0));
            break;
        }
    m_txtSeqName->setText(name);
    if (auto* ok = findChild<QPushButton*>(QStringLiteral("cmdOK"))) {
        ok->setDefault(true);
        ok->setFocus();
    }
}

QStringList TestListDialog::listedNames() const {
    QStringList names;
    for (int r = 0; r < m_grid->rowCount(); ++r) names << m_grid->item(r, 0)->text();
    return names;
}

void TestListDialog::reload() {
    QList<StoredTest> tests;
    try {
        tests = listTests(m_connection);
    } catch (const DbError& e) {
        m_prompt.message(this, e.text(), windowTitle(), Prompt::Icon::Critical);
    }
    const QSignalBlocker quiet(m_grid);
    m_grid->clearContents();
    m_grid->setRowCount(static_cast<int>(tests.size()));
    for (int r = 0; r < tests.size(); ++r) {
        const StoredTest& t = tests[r];
        m_grid->setItem(r, 0, new QTableWidgetItem(t.name));
        m_grid->setItem(r, 1, new QTableWidgetItem(
                                  t.time.isValid() ? t.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                                   : QString()));
        m_grid->setItem(r, 2, new QTableWidgetItem(t.researcher));
    }
    if (!tests.isEmpty()) m_grid->setCurrentCell(0, 0);
    // The highlighted test is the one OK takes: the name box shows it.
    m_txtSeqName->setText(tests.isEmpty() ? QString() : tests.first().name);
}

}  // namespace tz
