#include "setup/ui/GridCellDelegate.h"

#include <QKeyEvent>
#include <QLineEdit>

GridCellDelegate::GridCellDelegate(bool enterMovesDown, QObject* parent)
    : QStyledItemDelegate(parent), m_enterMovesDown(enterMovesDown) {}

QWidget* GridCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex&) const {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("cellEditor"));
    editor->setFrame(false);
    connect(editor, &QLineEdit::textEdited, this, &GridCellDelegate::edited);
    return editor;
}

bool GridCellDelegate::eventFilter(QObject* object, QEvent* event) {
    if (m_enterMovesDown && event->type() == QEvent::KeyPress) {
        const auto key = static_cast<QKeyEvent*>(event)->key();
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            emit enterPressed();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
