#include "testinfo/ui/TestInfoDialog.h"

#include "app/ui/Prompt.h"
#include "testinfo/BobTable.h"
#include "testinfo/ui/AdditivesGrid.h"

#include <QDate>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>

#include <algorithm>
#include <tuple>
#include <utility>

namespace tz {

namespace {
QLineEdit* box(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QLineEdit(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

// A box whose text is stored in a column of limited size: typing or pasting
// stops at the size.
QLineEdit* limitedBox(QWidget* parent, const char* name, TestTextField field, const QString& text) {
    QLineEdit* b = box(parent, name, text);
    b->setMaxLength(maxLength(field));
    return b;
}
}  // namespace

TestInfoDialog::TestInfoDialog(Prompt& prompt, QWidget* parent)
    : QDialog(parent), m_prompt(prompt) {
    setWindowTitle(QStringLiteral("TZ360 Test Related Information"));
    setModal(true);

    const TestInfoFields d;
    m_txtTestName = limitedBox(this, "txtTestName", TestTextField::TestName, QString());
    m_txtTestDate = box(this, "txtTestDate", QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    // The stored time is taken when the test starts; the date is only shown.
    m_txtTestDate->setReadOnly(true);
    m_txtTestDate->setFocusPolicy(Qt::NoFocus);
    m_txtResearchName = limitedBox(this, "txtResearchName", TestTextField::ResearcherName, d.researcher);
    m_txtFluidId = limitedBox(this, "txtFluidId", TestTextField::FluidId, d.fluidId);
    m_txtRotoNo = limitedBox(this, "txtRotoNo", TestTextField::RotorNo, d.rotorNo);
    m_txtBobNo = limitedBox(this, "txtBobNo", TestTextField::BobNo, d.bobNo);
    m_txtBobRadius = box(this, "txtBobRadius", d.bobRadius);
    m_txtBobLength = box(this, "txtBobLength", d.bobLength);
    m_txtPreTestPH = box(this, "txtPreTestPH", d.preTestPH);
    m_txtPostTestPH = box(this, "txtPostTestPH", d.postTestPH);
    m_txtSAFETY = new QPlainTextEdit(this);
    m_txtSAFETY->setObjectName(QStringLiteral("txtSAFETY"));
    m_txtSAFETY->setTabChangesFocus(true);
    m_txtSAFETY->setMinimumHeight(60);
    m_txtSAFETY->setMaximumHeight(120);
    m_grid = new AdditivesGrid(this);
    m_grid->setMinimumSize(460, 180);

    auto* left = new QFormLayout;
    left->addRow(QStringLiteral("Test Name:"), m_txtTestName);
    left->addRow(QStringLiteral("Test Date:"), m_txtTestDate);
    left->addRow(QStringLiteral("Researcher's Name:"), m_txtResearchName);
    left->addRow(QStringLiteral("Fluid ID:"), m_txtFluidId);
    left->addRow(QStringLiteral("Rotor Number:"), m_txtRotoNo);
    auto* right = new QFormLayout;
    right->addRow(QStringLiteral("Bob Number:"), m_txtBobNo);
    right->addRow(QStringLiteral("Bob Radius (cm):"), m_txtBobRadius);
    right->addRow(QStringLiteral("Bob Effective Length (cm):"), m_txtBobLength);
    right->addRow(QStringLiteral("Pre-Test pH:"), m_txtPreTestPH);
    right->addRow(QStringLiteral("Post-Test pH:"), m_txtPostTestPH);

    m_body = new QGridLayout(this);
    m_body->addLayout(left, 0, 0);
    m_body->addLayout(right, 0, 1);
    auto* notesLabel = new QLabel(QStringLiteral("Description, Notes and Comments:"), this);
    notesLabel->setBuddy(m_txtSAFETY);
    m_body->addWidget(notesLabel, 1, 0, 1, 2);
    m_body->addWidget(m_txtSAFETY, 2, 0, 1, 2);
    auto* additivesLabel = new QLabel(QStringLiteral("Additives:"), this);
    additivesLabel->setBuddy(m_grid);
    m_body->addWidget(additivesLabel, 3, 0, 1, 2);
    m_body->addWidget(m_grid, 4, 0, 1, 2);
    m_body->setRowStretch(4, 1);
    m_nextRow = 5;

    connect(m_txtBobNo, &QLineEdit::textChanged, this, &TestInfoDialog::lookUpBob);
}

void TestInfoDialog::lookUpBob(const QString& bob) {
    if (const auto geometry = lookupBob(bob)) {
        m_txtBobRadius->setText(geometry->radiusText);
        m_txtBobLength->setText(geometry->lengthText);
    }
}

TestInfoFields TestInfoDialog::fields() const {
    TestInfoFields f;
    f.testName = m_txtTestName->text();
    f.testDate = m_txtTestDate->text();
    f.researcher = m_txtResearchName->text();
    f.fluidId = m_txtFluidId->text();
    f.rotorNo = m_txtRotoNo->text();
    f.bobNo = m_txtBobNo->text();
    f.bobRadius = m_txtBobRadius->text();
    f.bobLength = m_txtBobLength->text();
    f.preTestPH = m_txtPreTestPH->text();
    f.postTestPH = m_txtPostTestPH->text();
    f.description = m_txtSAFETY->toPlainText();
    return f;
}

void TestInfoDialog::setFields(const TestInfoFields& f) {
    putText(m_txtTestName, TestTextField::TestName, f.testName);
    m_txtTestDate->setText(f.testDate);
    putText(m_txtResearchName, TestTextField::ResearcherName, f.researcher);
    putText(m_txtFluidId, TestTextField::FluidId, f.fluidId);
    putText(m_txtRotoNo, TestTextField::RotorNo, f.rotorNo);
    putText(m_txtBobNo, TestTextField::BobNo, f.bobNo);
    m_txtBobRadius->setText(f.bobRadius);
    m_txtBobLength->setText(f.bobLength);
    m_txtPreTestPH->setText(f.preTestPH);
    m_txtPostTestPH->setText(f.postTestPH);
    m_txtSAFETY->setPlainText(f.description);
}

void TestInfoDialog::setBobNo(const QString& bob) { putText(m_txtBobNo, TestTextField::BobNo, bob); }

void TestInfoDialog::putText(QLineEdit* box, TestTextField field, const QString& text) {
    box->setMaxLength(std::max(maxLength(field), static_cast<int>(text.size())));
    box->setText(text);
}

QList<AdditiveRow> TestInfoDialog::additiveRows() const { return m_grid->rows(); }

void TestInfoDialog::setAdditiveRows(const QList<AdditiveRow>& rows) { m_grid->setRows(rows); }

void TestInfoDialog::acceptInput() {
    m_grid->commitOpenEditor();
    m_canceled = false;
    accept();
}

void TestInfoDialog::reject() {
    m_canceled = true;
    QDialog::reject();
}

bool TestInfoDialog::checkNameNotEmpty() {
    if (!m_txtTestName->text().isEmpty()) return true;
    m_prompt.message(this, kEmptyTestNameMessage);
    m_txtTestName->setFocus();
    return false;
}

bool TestInfoDialog::checkNameGiven() {
    if (!m_txtTestName->text().trimmed().isEmpty()) return true;
    m_prompt.message(this, kEmptyTestNameMessage);
    m_txtTestName->setFocus();
    return false;
}

bool TestInfoDialog::checkFieldTexts(bool withName) {
    struct Box {
        QWidget* widget;
        TestTextField field;
        QString text;
    };
    QList<Box> boxes;
    if (withName) boxes.append({m_txtTestName, TestTextField::TestName, m_txtTestName->text()});
    boxes.append({m_txtResearchName, TestTextField::ResearcherName, m_txtResearchName->text()});
    boxes.append({m_txtFluidId, TestTextField::FluidId, m_txtFluidId->text()});
    boxes.append({m_txtRotoNo, TestTextField::RotorNo, m_txtRotoNo->text()});
    boxes.append({m_txtBobNo, TestTextField::BobNo, m_txtBobNo->text()});
    boxes.append({m_txtSAFETY, TestTextField::Description, m_txtSAFETY->toPlainText()});
    for (const Box& b : boxes) {
        const FieldFault fault = checkTestField(b.field, b.text);
        if (fault == FieldFault::None) continue;
        m_prompt.message(this, fieldFaultText(fault, b.field, b.text, fieldTitle(b.field)) + QLatin1Char('.'));
        b.widget->setFocus();
        return false;
    }
    // Only the rows that will be stored: up to the first without a name.
    const QList<AdditiveRow> rows = m_grid->rows();
    for (int r = 0; r < rows.size(); ++r) {
        const std::tuple<int, TestTextField, QString> cells[] = {
            {AdditivesGrid::kNameColumn, TestTextField::AdditiveName, rows[r].name},
            {AdditivesGrid::kUnitColumn, TestTextField::AdditiveUnit, rows[r].unit},
            {AdditivesGrid::kLotColumn, TestTextField::AdditiveLotNo, rows[r].lotNumber}};
        for (const auto& [column, field, text] : cells) {
            const FieldFault fault = checkTestField(field, text);
            if (fault == FieldFault::None) continue;
            m_prompt.message(this, fieldFaultText(fault, field, text,
                                                  QStringLiteral("Additive %1, %2").arg(r + 1).arg(fieldTitle(field))) +
                                       QLatin1Char('.'));
            m_grid->setCurrentCell(r, column);
            m_grid->setFocus();
            return false;
        }
    }
    return true;
}

}  // namespace tz
