#include "testinfo/frmViewRelatedInfo.h"

#include "testinfo/ui/AdditivesGrid.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tz {

frmViewRelatedInfo::frmViewRelatedInfo(Prompt& prompt, QWidget* parent)
    : TestInfoDialog(prompt, parent) {
    setObjectName(QStringLiteral("frmViewRelatedInfo"));
    auto* save = new QPushButton(QStringLiteral("&Save"), this);
    save->setObjectName(QStringLiteral("cmdSave"));
    save->setDefault(true);
    auto* back = new QPushButton(QStringLiteral("&Return"), this);
    back->setObjectName(QStringLiteral("cmdReturn"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(back);
    body()->addLayout(buttons, nextRow(), 0, 1, 2);

    connect(save, &QPushButton::clicked, this, &frmViewRelatedInfo::onSave);
    connect(back, &QPushButton::clicked, this, &frmViewRelatedInfo::reject);
    chainTabOrder(m_txtTestName, m_txtResearchName, m_txtFluidId, m_txtRotoNo, m_txtBobNo,
                 m_txtBobRadius, m_txtBobLength, m_txtPreTestPH, m_txtPostTestPH, m_txtSAFETY,
                 m_grid, save, back);
}

void frmViewRelatedInfo::onSave() {
    m_grid->commitOpenEditor();
    if (!checkNameNotEmpty()) return;
    // The name is shown, not stored: every other text is.
    if (!checkFieldTexts(false)) return;
    acceptInput();
}

}  // namespace tz
