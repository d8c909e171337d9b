#include "instrument/frmNameSeq.h"

#include "db/SequenceData.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tz {

frmNameSeq::frmNameSeq(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNameSeq"));
    setWindowTitle(QStringLiteral("Select Test Sequence"));
    setModal(false);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstName"));
    auto* label = new QLabel(QStringLiteral("&Sequence:"), this);
    label->setBuddy(m_list);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(label);
    top->addWidget(m_list, 1);
    top->addLayout(buttons);
    setMinimumSize(280, 260);
    resize(320, 360);

    connect(ok, &QPushButton::clicked, this, &frmNameSeq::onOk);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &frmNameSeq::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

void frmNameSeq::fill(clsConnection& connection) {
    m_list->clear();
    m_list->addItems(sequenceNames(connection));
    if (m_list->count() > 0) m_list->setCurrentRow(0);
}

QString frmNameSeq::selectedName() const {
    const QListWidgetItem* item = m_list->currentItem();
    return item ? item->text() : QString();
}

void frmNameSeq::onOk() { emit SelectedTestName(selectedName()); }

}  // namespace tz
