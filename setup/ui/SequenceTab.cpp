#include "setup/ui/SequenceTab.h"

#include "app/NumberFormat.h"
#include "app/Settings.h"
#include "app/ui/Prompt.h"
#include "app/ui/StatusNote.h"
#include "db/clsConnection.h"
#include "db/DbError.h"
#include "db/SequenceData.h"
#include "setup/SequenceEntry.h"
#include "setup/SequenceTemperature.h"
#include "setup/SequenceValidation.h"
#include "setup/frmInsertStep.h"
#include "setup/ui/GridCellDelegate.h"
#include "setup/ui/SequenceGrids.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int kMaxNameLength = 40;  // SEQUENCE_NAME

QLineEdit* box(const char* name, QWidget* parent, const char* toolTip = nullptr) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    if (toolTip) edit->setToolTip(QLatin1String(toolTip));
    return edit;
}

// A caption whose marked letter (Alt + letter) puts the focus in its box.
QLabel* labelFor(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

SequenceTab::SequenceTab(tz::Settings& settings, clsConnection& connection, tz::Prompt& prompt,
                         QWidget* parent)
    : QWidget(parent), m_settings(settings), m_connection(connection), m_prompt(prompt) {
    setObjectName(QStringLiteral("SequenceTab"));
    buildLayout();
    m_builder->hide();
}

void SequenceTab::buildLayout() {
    // Saved sequences and the name search.
    m_txtSeqName = box("txtSeqName", this);
    m_lstSeqName = new QListWidget(this);
    m_lstSeqName->setObjectName(QStringLiteral("lstSeqName"));
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(labelFor(QStringLiteral("Sa&ved test sequences:"), m_lstSeqName, this));
    listColumn->addWidget(m_txtSeqName);
    listColumn->addWidget(m_lstSeqName, 1);

    // The grids.
    m_grid1 = new QTableWidget(this);
    m_grid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    SequenceGrids::setUpStepsGrid(m_grid1);
    m_stepsDelegate = new GridCellDelegate(false, m_grid1);
    m_grid1->setItemDelegate(m_stepsDelegate);
    auto* stepsColumn = new QVBoxLayout;
    stepsColumn->addWidget(labelFor(QStringLiteral("Se&quence Steps:"), m_grid1, this));
    stepsColumn->addWidget(m_grid1, 1);

    m_grid3 = new QTableWidget(this);
    m_grid3->setObjectName(QStringLiteral("MSFlexGrid3"));
    SequenceGrids::setUpRampGrid(m_grid3);
    m_rampDelegate = new GridCellDelegate(true, m_grid3);
    m_grid3->setItemDelegate(m_rampDelegate);
    auto* rampLabel =
        labelFor(QStringLiteral("Ra&mp Sequence Define (1/S):(Maximum 40 steps.)"), m_grid3, this);
    rampLabel->setWordWrap(true);
    auto* rampColumn = new QVBoxLayout;
    rampColumn->addWidget(rampLabel);
    rampColumn->addWidget(m_grid3, 1);
    m_grid3->setMinimumWidth(rampLabel->fontMetrics().horizontalAdvance(
                                 QStringLiteral("Shear Rate (1/S)")) + 60);
    m_grid3->setMaximumWidth(m_grid3->minimumWidth() + 40);

    // Ramp timing and recording.
    m_txtTimeBefRead = box("txtTimeBefRead", this, "Enter a number >=20 and <=200");
    m_cmbSampleRate = new QComboBox(this);
    m_cmbSampleRate->setObjectName(QStringLiteral("cmbSampleRate"));
    m_cmbSampleRate->setEditable(true);
    m_cmbSampleRate->addItems({QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("30"),
                               QStringLiteral("60")});
    m_cmbSampleRate->setCurrentIndex(0);
    // Room for three digits (the record's field) and the arrow.
    m_cmbSampleRate->setMinimumContentsLength(3);
    m_cmbSampleRate->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_txtNoSampleAve = box("txtNoSampleAve", this, "Enter a number >=1 and <=20");
    m_txtSampleInterval = box("txtSampleInterval", this, "Enter a number >=20 and <=200");
    for (QLineEdit* e : {m_txtTimeBefRead, m_txtNoSampleAve, m_txtSampleInterval})
        e->setMaximumWidth(70);

    auto* timing = new QGridLayout;
    timing->addWidget(labelFor(QStringLiteral("&Wait time before reading in each ramp step (sec):"),
                               m_txtTimeBefRead, this), 0, 0);
    timing->addWidget(m_txtTimeBefRead, 0, 1);
    auto* rateRow = new QHBoxLayout;
    rateRow->addWidget(labelFor(QStringLiteral("Data sam&pling rate, every"), m_cmbSampleRate, this));
    rateRow->addStretch();
    timing->addLayout(rateRow, 1, 0);
    auto* rateBox = new QHBoxLayout;
    rateBox->addWidget(m_cmbSampleRate);
    rateBox->addWidget(new QLabel(QStringLiteral("(sec)per sample"), this));
    timing->addLayout(rateBox, 1, 1);
    timing->addWidget(labelFor(QStringLiteral("N&umber of Samples to Average for one data:"),
                               m_txtNoSampleAve, this), 2, 0);
    timing->addWidget(m_txtNoSampleAve, 2, 1);
    timing->addWidget(labelFor(QStringLiteral("Data re&cording interval between ramps (sec):"),
                               m_txtSampleInterval, this), 3, 0);
    timing->addWidget(m_txtSampleInterval, 3, 1);

    // Automatic shut-down.
    auto* shutDown = new QGroupBox(QStringLiteral("Auto Shut Down"), this);
    shutDown->setObjectName(QStringLiteral("fraAutoShutDown"));
    m_txtShutDownATime = box("txtShutDownATime", shutDown);
    m_txtShutDownVisc = box("txtShutDownVisc", shutDown);
    m_txtShutDownATime->setMaximumWidth(60);
    m_txtShutDownVisc->setMaximumWidth(60);
    auto* sdText = labelFor(
        QStringLiteral("&Test will automatically shut down if average viscosity over"),
        m_txtShutDownATime, shutDown);
    sdText->setWordWrap(true);
    auto* sdRow = new QHBoxLayout;
    sdRow->addWidget(m_txtShutDownATime);
    sdRow->addWidget(new QLabel(QStringLiteral("(Min)"), shutDown));
    sdRow->addWidget(labelFor(QStringLiteral("drops &below"), m_txtShutDownVisc, shutDown));
    sdRow->addWidget(m_txtShutDownVisc);
    sdRow->addWidget(new QLabel(QStringLiteral("(cP)"), shutDown));
    sdRow->addStretch();
    auto* sdLayout = new QVBoxLayout(shutDown);
    sdLayout->addWidget(sdText);
    sdLayout->addLayout(sdRow);

    // The Auto Step Builder panel, hidden until asked for.
    m_builder = new QGroupBox(QStringLiteral("Auto Ramp Builder"), this);
    m_builder->setObjectName(QStringLiteral("fraAutoBuilder"));
    m_txtTotalSteps = box("txtTotalSteps", m_builder);
    m_txtStepTime = box("txtStepTime", m_builder);
    m_txtBuildTemp = box("txtBuildTemp", m_builder);
    m_txtBuildTempError = box("txtBuildTempError", m_builder);
    m_txtBuildShearRate = box("txtBuildShearRate", m_builder);
    for (QLineEdit* e : {m_txtTotalSteps, m_txtStepTime, m_txtBuildTemp, m_txtBuildTempError,
                         m_txtBuildShearRate})
        e->setMaximumWidth(100);
    m_lblBuildTemp = new QLabel(m_builder);
    m_lblBuildTempError = new QLabel(m_builder);
    auto* builderForm = new QFormLayout;
    builderForm->addRow(QStringLiteral("Total Steps:"), m_txtTotalSteps);
    builderForm->addRow(QStringLiteral("Step Time (min):"), m_txtStepTime);
    builderForm->addRow(m_lblBuildTemp, m_txtBuildTemp);
    builderForm->addRow(m_lblBuildTempError, m_txtBuildTempError);
    builderForm->addRow(QStringLiteral("Shear Rate (1/S):"), m_txtBuildShearRate);
    auto* buildOk = button("cmdBuildOK", QStringLiteral("OK"), m_builder);
    auto* buildCancel = button("cmdBuildCancel", QStringLiteral("Cancel"), m_builder);
    auto* builderButtons = new QHBoxLayout;
    builderButtons->addStretch();
    builderButtons->addWidget(buildOk);
    builderButtons->addWidget(buildCancel);
    auto* builderLayout = new QVBoxLayout(m_builder);
    builderLayout->addLayout(builderForm);
    builderLayout->addLayout(builderButtons);

    // Buttons.
    auto* cmdNew = button("cmdNew", QStringLiteral("&New"), this);
    auto* cmdCopyAs = button("cmdCopyAs", QStringLiteral("Copy &As"), this);
    auto* cmdSaveChange = button("cmdSaveChange", QStringLiteral("&Save Change"), this);
    auto* cmdDelete = button("cmdDelete", QStringLiteral("&Delete"), this);
    auto* cmdInsertStep = button("cmdInsertStep", QStringLiteral("&Insert new step"), this);
    auto* cmdDeleteStep = button("cmdDeleteStep", QStringLiteral("De&lete current step"), this);
    auto* cmdAutoStep = button("cmdAutoStep", QStringLiteral("Auto Step Builder"), this);
    auto* cmdReturn = button("cmdReturn", QStringLiteral("&Return"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdNew, cmdCopyAs, cmdSaveChange, cmdDelete, cmdInsertStep,
                           cmdDeleteStep, cmdAutoStep})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdReturn);

    auto* stepsAndBuilder = new QVBoxLayout;
    stepsAndBuilder->addLayout(stepsColumn, 1);
    stepsAndBuilder->addWidget(m_builder);

    auto* grids = new QHBoxLayout;
    grids->addLayout(listColumn, 2);
    grids->addLayout(stepsAndBuilder, 5);
    grids->addLayout(rampColumn, 0);

    auto* settingsRow = new QHBoxLayout;
    settingsRow->addLayout(timing);
    settingsRow->addSpacing(16);
    settingsRow->addWidget(shutDown, 1);

    auto* top = new QVBoxLayout(this);
    top->addLayout(grids, 1);
    top->addLayout(settingsRow);
    top->addLayout(buttons);

    // Tab follows the reading order: list, grids, settings, buttons.
    const QList<QWidget*> order{m_txtSeqName,      m_lstSeqName,      m_grid1,
                                m_txtTotalSteps,   m_txtStepTime,     m_txtBuildTemp,
                                m_txtBuildTempError, m_txtBuildShearRate, buildOk,
                                buildCancel,       m_grid3,           m_txtTimeBefRead,
                                m_cmbSampleRate,   m_txtNoSampleAve,  m_txtSampleInterval,
                                m_txtShutDownATime, m_txtShutDownVisc, cmdNew,
                                cmdCopyAs,         cmdSaveChange,     cmdDelete,
                                cmdInsertStep,     cmdDeleteStep,     cmdAutoStep,
                                cmdReturn};
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    // Behaviour.
    connect(m_lstSeqName, &QListWidget::currentRowChanged, this, &SequenceTab::loadRow);
    connect(m_txtSeqName, &QLineEdit::textChanged, this, &SequenceTab::onNameTyped);
    connect(m_stepsDelegate, &GridCellDelegate::edited, this, &SequenceTab::setChanged);
    connect(m_rampDelegate, &GridCellDelegate::edited, this, &SequenceTab::setChanged);
    connect(m_rampDelegate, &GridCellDelegate::enterPressed, this, &SequenceTab::onRampEnter);
    for (QLineEdit* e : {m_txtTimeBefRead, m_txtNoSampleAve, m_txtSampleInterval,
                         m_txtShutDownATime, m_txtShutDownVisc})
        connect(e, &QLineEdit::textEdited, this, &SequenceTab::setChanged);
    connect(m_cmbSampleRate, &QComboBox::currentTextChanged, this, &SequenceTab::setChanged);

    connect(cmdNew, &QPushButton::clicked, this, &SequenceTab::onNew);
    connect(cmdCopyAs, &QPushButton::clicked, this, &SequenceTab::onCopyAs);
    connect(cmdSaveChange, &QPushButton::clicked, this, &SequenceTab::onSaveChange);
    connect(cmdDelete, &QPushButton::clicked, this, &SequenceTab::onDelete);
    connect(cmdInsertStep, &QPushButton::clicked, this, &SequenceTab::onInsertStep);
    connect(cmdDeleteStep, &QPushButton::clicked, this, &SequenceTab::onDeleteStep);
    connect(cmdAutoStep, &QPushButton::clicked, this, &SequenceTab::onAutoStep);
    connect(cmdReturn, &QPushButton::clicked, this, &SequenceTab::returnRequested);
    connect(buildOk, &QPushButton::clicked, this, &SequenceTab::onBuilderOk);
    connect(buildCancel, &QPushButton::clicked, m_builder, &QWidget::hide);
}

// ---- loading -------------------------------------------------------------

void SequenceTab::refillList() {
    QStringList names;
    try {
        names = tz::sequenceNames(m_connection);
    } catch (const std::exception& e) {
        reportDbError(e);
    }
    {
        const QSignalBlocker block(m_lstSeqName);
        m_lstSeqName->clear();
        m_lstSeqName->addItems(names);
        if (!names.isEmpty()) m_lstSeqName->setCurrentRow(0);
    }
    loadRow(names.isEmpty() ? -1 : 0);
}

void SequenceTab::reloadSelected() { loadRow(m_lstSeqName->currentRow()); }

QString SequenceTab::selectedName() const {
    const QListWidgetItem* item = m_lstSeqName->currentItem();
    return item ? item->text() : QString();
}

void SequenceTab::loadRow(int row) {
    std::optional<tz::SequenceData> sequence;
    if (row >= 0 && row < m_lstSeqName->count()) {
        try {
            sequence = tz::loadSequence(m_connection, m_lstSeqName->item(row)->text());
        } catch (const std::exception& e) {
            reportDbError(e);
        }
    }
    // A name that is gone (or none at all) shows empty grids and boxes.
    m_key = sequence ? sequence->sequenceId : 0;
    tz::SequenceEntry shown;
    if (sequence) {
        shown = tz::entryFromSequence(*sequence, m_settings.unitSystem);
    }
    showEntry(shown);
    m_changed = false;
}

void SequenceTab::showEntry(const tz::SequenceEntry& e) {
    m_loading = true;
    m_txtTimeBefRead->setText(e.timeBeforeRead);
    m_cmbSampleRate->setCurrentText(e.sampleRate);
    m_txtNoSampleAve->setText(e.samplesToAverage);
    m_txtShutDownVisc->setText(e.shutDownVisc);
    m_txtShutDownATime->setText(e.shutDownATime);
    m_txtSampleInterval->setText(e.sampleInterval);
    SequenceGrids::setStepsHeadings(m_grid1, m_settings.unitSystem);
    SequenceGrids::setStepRows(m_grid1, e.steps);
    SequenceGrids::setStoredTemps(m_grid1, e.storedTemps);
    SequenceGrids::setRampCells(m_grid3, e.ramp);
    m_loading = false;
}

tz::SequenceEntry SequenceTab::entry() const {
    tz::SequenceEntry e;
    e.timeBeforeRead = m_txtTimeBefRead->text();
    e.sampleRate = m_cmbSampleRate->currentText();
    e.samplesToAverage = m_txtNoSampleAve->text();
    e.shutDownATime = m_txtShutDownATime->text();
    e.shutDownVisc = m_txtShutDownVisc->text();
    e.sampleInterval = m_txtSampleInterval->text();
    e.steps = SequenceGrids::stepRows(m_grid1);
    e.storedTemps = SequenceGrids::storedTemps(m_grid1);
    e.ramp = SequenceGrids::rampCells(m_grid3);
    return e;
}

void SequenceTab::onNameTyped(const QString& text) {
    const int count = m_lstSeqName->count();
    if (text.isEmpty() || count == 0) return;
    int match = count - 1;  // none matches: the last entry stays selected
    for (int i = 0; i < count; ++i) {
        if (m_lstSeqName->item(i)->text().startsWith(text, Qt::CaseSensitive)) {
            match = i;
            break;
        }
    }
    if (match != m_lstSeqName->currentRow()) m_lstSeqName->setCurrentRow(match);
}

void SequenceTab::reportDbError(const std::exception& e) {
    const auto* db = dynamic_cast<const tz::DbError*>(&e);
    m_prompt.message(this,
                     QStringLiteral("The database could not be read or written:\n%1")
                         .arg(db ? db->text() : QString::fromLocal8Bit(e.what())),
                     QStringLiteral("TZ360 Setup"), tz::Prompt::Icon::Critical);
}

// ---- sequences -------------------------------------------------------------

std::optional<QString> SequenceTab::askNewName() {
    const auto name = m_prompt.input(this, QStringLiteral("Please input new test sequence name:"),
                                     QStringLiteral("Input New Test Sequence Name"));
    if (!name || name->trimmed().isEmpty()) return std::nullopt;
    if (!newNameAcceptable(*name)) return std::nullopt;
    return name;
}

bool SequenceTab::newNameAcceptable(const QString& name) {
    if (name.size() > kMaxNameLength) {
        m_prompt.message(this,
                         QStringLiteral("A sequence name may have at most %1 characters.")
                             .arg(kMaxNameLength),
                         QStringLiteral("Input New Test Sequence Name"), tz::Prompt::Icon::Exclamation);
        return false;
    }
    bool taken = false;
    try {
        taken = tz::sequenceNames(m_connection).contains(name);
    } catch (const std::exception& e) {
        reportDbError(e);
        return false;
    }
    if (taken)
        m_prompt.message(this, tz::SetupText::kDuplicateName,
                         QStringLiteral("Input New Test Sequence Name"), tz::Prompt::Icon::Exclamation);
    return !taken;
}

void SequenceTab::onNew() {
    const auto name = askNewName();
    if (!name) return;
    tz::SequenceData fresh;  // header defaults, no steps, no ramp rows
    fresh.name = *name;
    try {
        tz::saveSequence(m_connection, fresh);
    } catch (const std::exception& e) {
        reportDbError(e);
        return;
    }
    refillList();
}

void SequenceTab::onCopyAs() {
    const QString source = selectedName();
    if (source.isEmpty()) return;
    const auto name = askNewName();
    if (!name) return;
    // What is copied is what is stored: unsaved edits are dropped, and the
    // stored °F values go across untouched rather than through the °C cells.
    loadRow(m_lstSeqName->currentRow());
    try {
        auto copy = tz::loadSequence(m_connection, source);
        if (!copy) {
            refillList();
            return;
        }
        copy->sequenceId = 0;
        copy->name = *name;
        tz::saveSequence(m_connection, *copy);
    } catch (const std::exception& e) {
        reportDbError(e);
        return;
    }
    m_changed = false;
    refillList();
}

void SequenceTab::onSaveChange() {
    const QString name = selectedName();
    if (name.isEmpty() || m_key == 0) {
        // Steps may have been typed with no sequence to hold them.
        m_prompt.message(this, tz::SetupText::kNoSequenceToSave, QStringLiteral("TZ360 Setup"),
                         tz::Prompt::Icon::Information);
        return;
    }
    const tz::SequenceEntry typed = entry();
    if (const auto failure = tz::checkSequenceEntry(typed, m_settings.unitSystem)) {
        m_prompt.message(this, *failure);
        return;
    }
    tz::SequenceData sequence = tz::sequenceFromEntry(typed, m_settings.unitSystem);
    sequence.sequenceId = m_key;
    sequence.name = name;
    try {
        m_key = tz::saveSequence(m_connection, sequence);
    } catch (const std::exception& e) {
        reportDbError(e);
        return;
    }
    // Show what was stored, not what was typed: letters read as 0, °C set
    // points rounded down to whole °F.
    reloadSelected();
    tz::showStatusNote(this, QStringLiteral("Saved sequence %1 in %2").arg(name, m_connection.description()));
}

void SequenceTab::onDelete() {
    const QString name = selectedName();
    if (name.isEmpty()) return;
    if (!m_prompt.ask(this, QStringLiteral("Are you sure to delete this test setup and its results?"),
                      QStringLiteral("TZ360 Setup"), tz::Prompt::Buttons::OkCancel))
        return;
    try {
        tz::deleteSequence(m_connection, name);
    } catch (const std::exception& e) {
        reportDbError(e);
        return;
    }
    refillList();
}

// ---- steps -----------------------------------------------------------------

void SequenceTab::onInsertStep() {
    if (m_grid1->rowCount() >= tz::kMaxSequenceSteps) {
        m_prompt.message(this, tz::SetupText::kTooManySteps, tz::SetupText::kTooManyStepsTitle);
        return;
    }
    const int current = m_grid1->currentRow();  // -1: the heading row
    frmInsertStep dialog(m_settings, m_prompt, this);
    const QTableWidgetItem* stepNo = current >= 0 ? m_grid1->item(current, 0) : nullptr;
    dialog.setStepNo(stepNo ? stepNo->text() : QStringLiteral("1"));
    dialog.exec();
    if (dialog.CancelInp()) return;
    const int place = (dialog.Before() && current >= 0) ? current : current + 1;
    SequenceGrids::insertStepRow(
        m_grid1, place,
        {QString(), tz::plainNumber(dialog.time()), tz::plainNumber(dialog.Temp()),
         tz::plainNumber(dialog.TempError()), tz::plainNumber(dialog.ShearRate()),
         QStringLiteral("1")});
    SequenceGrids::renumberSteps(m_grid1);
    m_changed = true;
}

void SequenceTab::onDeleteStep() {
    const int current = m_grid1->currentRow();
    if (current < 0) return;
    m_grid1->removeRow(current);
    SequenceGrids::renumberSteps(m_grid1);
    m_changed = true;
}

void SequenceTab::onAutoStep() {
    const QString unit = tz::temperatureUnit(m_settings.unitSystem);
    m_lblBuildTemp->setText(QStringLiteral("Temperature (%1):").arg(unit));
    m_lblBuildTempError->setText(QStringLiteral("Temperature Error (%1):").arg(unit));
    m_builder->show();
    m_txtTotalSteps->setFocus();
}

void SequenceTab::onBuilderOk() {
    const double total = std::nearbyint(tz::val(m_txtTotalSteps->text()));
    const int steps = std::isfinite(total) && std::fabs(total) < 1e6 ? static_cast<int>(total) : -1;
    if (!tz::builderInputAccepted(steps, tz::val(m_txtBuildTemp->text()),
                                  tz::val(m_txtBuildTempError->text()))) {
        m_prompt.message(this, tz::SetupText::kBuilderOutOfRange,
                         tz::SetupText::kBuilderOutOfRangeTitle);
        return;
    }
    SequenceGrids::setStepRows(
        m_grid1, tz::builtSteps(steps, m_txtStepTime->text(), m_txtBuildTemp->text(),
                                m_txtBuildTempError->text(), m_txtBuildShearRate->text()));
    m_builder->hide();
    m_changed = true;
}

void SequenceTab::onRampEnter() {
    const int next = m_grid3->currentRow() + 1;
    if (next <= 0 || next >= m_grid3->rowCount()) return;
    m_grid3->setCurrentCell(next, 0);  // opens the editor there (edit on current change)
    const QModelIndex index = m_grid3->model()->index(next, 0);
    if (!m_grid3->indexWidget(index)) m_grid3->editItem(m_grid3->item(next, 0));
}
