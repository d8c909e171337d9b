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

namespace tz {

namespace {
QLineEdit* box(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QLineEdit(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}
}  // namespace

TestInfoDialog::TestInfoDialog(Prompt& prompt, QWidget* parent)
    : QDialog(parent), m_prompt(prompt) {
    setWindowTitle(QStringLiteral("TZ360 Test Related Information"));
    setModal(true);

    const TestInfoFields d;
    m_txtTestName = box(this, "txtTestName", QString());
    m_txtTestDate = box(this, "txtTestDate", QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    // The stored time is taken when the test starts; the date is only shown.
    m_txtTestDate->setReadOnly(true);
    m_txtTestDate->setFocusPolicy(Qt::NoFocus);
    m_txtResearchName = box(this, "txtResearchName", d.researcher);
    m_txtFluidId = box(this, "txtFluidId", d.fluidId);
    m_txtRotoNo = box(this, "txtRotoNo", d.rotorNo);
    m_txtBobNo = box(this, "txtBobNo", d.bobNo);
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
    m_txtTestName->setText(f.testName);
    m_txtTestDate->setText(f.testDate);
    m_txtResearchName->setText(f.researcher);
    m_txtFluidId->setText(f.fluidId);
    m_txtRotoNo->setText(f.rotorNo);
    m_txtBobNo->setText(f.bobNo);
    m_txtBobRadius->setText(f.bobRadius);
    m_txtBobLength->setText(f.bobLength);
    m_txtPreTestPH->setText(f.preTestPH);
    m_txtPostTestPH->setText(f.postTestPH);
    m_txtSAFETY->setPlainText(f.description);
}

void TestInfoDialog::setBobNo(const QString& bob) { m_txtBobNo->setText(bob); }

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

}  // namespace tz
