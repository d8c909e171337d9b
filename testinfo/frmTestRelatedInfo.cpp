#include "testinfo/frmTestRelatedInfo.h"

#include "app/NumberFormat.h"
#include "app/ui/Prompt.h"
#include "db/DbError.h"
#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"
#include "testinfo/ui/AdditivesGrid.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tz {

frmTestRelatedInfo::frmTestRelatedInfo(clsConnection& connection, Prompt& prompt, QWidget* parent)
    : TestInfoDialog(prompt, parent),
      m_connection(connection),
      m_testInfo(std::make_unique<clsTEST_INFO>()),
      m_testAdditive(std::make_unique<clsTEST_ADDITIVE>()) {
    setObjectName(QStringLiteral("frmTestRelatedInfo"));

    m_txtCopyFrom = new QLineEdit(this);
    m_txtCopyFrom->setObjectName(QStringLiteral("txtCopyFrom"));
    m_cmdPick = new QPushButton(QStringLiteral("Pick Name..."), this);
    m_cmdPick->setObjectName(QStringLiteral("cmdPick"));
    m_cmdCopy = new QPushButton(QStringLiteral("&Get && Copy"), this);
    m_cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    m_gridTestName = new QListWidget(this);
    m_gridTestName->setObjectName(QStringLiteral("Grid_TestName"));
    m_gridTestName->setMinimumHeight(120);
    m_gridTestName->hide();

    auto* copyRow = new QHBoxLayout;
    auto* copyLabel = new QLabel(QStringLiteral("Copy information from test:"), this);
    copyLabel->setBuddy(m_txtCopyFrom);
    copyRow->addWidget(copyLabel);
    copyRow->addWidget(m_txtCopyFrom, 1);
    copyRow->addWidget(m_cmdPick);
    copyRow->addWidget(m_cmdCopy);
    body()->addLayout(copyRow, nextRow(), 0, 1, 2);
    body()->addWidget(m_gridTestName, nextRow() + 1, 0, 1, 2);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    body()->addLayout(buttons, nextRow() + 2, 0, 1, 2);

    connect(ok, &QPushButton::clicked, this, &frmTestRelatedInfo::onOk);
    connect(cancel, &QPushButton::clicked, this, &frmTestRelatedInfo::reject);
    connect(m_cmdPick, &QPushButton::clicked, this, &frmTestRelatedInfo::pickName);
    connect(m_cmdCopy, &QPushButton::clicked, this, &frmTestRelatedInfo::getAndCopy);
    connect(m_gridTestName, &QListWidget::itemClicked, this, &frmTestRelatedInfo::onPicked);
    connect(m_gridTestName, &QListWidget::itemActivated, this, &frmTestRelatedInfo::onPicked);

    chainTabOrder(m_txtTestName, m_txtResearchName, m_txtFluidId, m_txtRotoNo, m_txtBobNo,
                 m_txtBobRadius, m_txtBobLength, m_txtPreTestPH, m_txtPostTestPH, m_txtSAFETY,
                 m_grid, m_txtCopyFrom, m_cmdPick, m_cmdCopy, m_gridTestName, ok, cancel);

    m_testInfo->ConnectX(m_connection);
    const QList<QVariantList> list = m_testInfo->UsedName();
    if (!list.isEmpty())
        for (const QVariant& name : list[0]) m_names.append(name.toString());
}

frmTestRelatedInfo::~frmTestRelatedInfo() = default;

void frmTestRelatedInfo::onOk() {
    m_grid->commitOpenEditor();
    const QString name = m_txtTestName->text();
    // Exact comparison: "Gel-1" and "gel-1" are two tests.
    if (m_names.contains(name, Qt::CaseSensitive)) {
        m_prompt.message(this, kDuplicateTestNameMessage);
        m_txtTestName->setFocus();
        return;
    }
    if (!checkNameGiven()) return;
    if (!checkFieldTexts(true)) return;
    acceptInput();
}

void frmTestRelatedInfo::pickName() {
    m_gridTestName->clear();
    m_gridTestName->addItems(m_names);
    m_gridTestName->show();
    if (m_gridTestName->count() > 0) m_gridTestName->setCurrentRow(0);
    m_gridTestName->setFocus();
}

void frmTestRelatedInfo::onPicked(QListWidgetItem* item) {
    if (!item) return;
    m_txtCopyFrom->setText(item->text());
    m_gridTestName->hide();
    getAndCopy();
}

void frmTestRelatedInfo::getAndCopy() {
    try {
        copyFrom(m_txtCopyFrom->text());
    } catch (const DbError& e) {
        m_prompt.message(this, e.text(), QString(), Prompt::Icon::Critical);
    }
}

void frmTestRelatedInfo::copyFrom(const QString& from) {
    if (from.isEmpty()) return;
    if (!m_names.contains(from, Qt::CaseSensitive)) {
        m_prompt.message(this, kCopyNameNotFoundMessage);
        return;
    }
    m_testInfo->setTEST_NAME(from);
    m_testInfo->GetTestDetail();
    const QVariantList all = m_testInfo->All();
    const int testId = static_cast<int>(all[0].toDouble());
    if (testId == 0) return;

    putText(m_txtFluidId, TestTextField::FluidId, all[2].toString());
    // The bob number first: its lookup must not overwrite the copied geometry.
    putText(m_txtBobNo, TestTextField::BobNo, all[6].toString());
    putText(m_txtRotoNo, TestTextField::RotorNo, all[5].toString());
    m_txtBobRadius->setText(all[7].toString());
    m_txtBobLength->setText(all[8].toString());
    m_txtPreTestPH->setText(all[9].toString());
    m_txtPostTestPH->setText(all[10].toString());
    putText(m_txtResearchName, TestTextField::ResearcherName, all[4].toString());
    m_txtSAFETY->setPlainText(all[11].toString());

    m_grid->clearCells();
    m_testAdditive->setTESTId(testId);
    m_testAdditive->ConnectX(m_connection);
    QList<AdditiveRow> rows;
    for (m_testAdditive->MoveFirst(); !m_testAdditive->Eof(); m_testAdditive->MoveNext()) {
        const QVariantList a = m_testAdditive->All();
        rows.append({a[2].toString(), numberText(a[3].toDouble()), a[4].toString(), a[5].toString()});
    }
    m_grid->setRows(rows);
}

}  // namespace tz
