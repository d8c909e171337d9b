#include "setup/ui/GridCellDelegate.h"

#include <QCoreApplication>
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
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const int key = keyEvent->key();
        // Tab leaves the grid for the next control, as everywhere else in the
        // window; walking the cells is for the arrow keys and Enter.
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            QWidget* view = editor->parentWidget() ? editor->parentWidget()->parentWidget() : nullptr;
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            if (view) {
                QKeyEvent leave(QEvent::KeyPress, key, keyEvent->modifiers());
                QCoreApplication::sendEvent(view, &leave);
            }
            return true;
        }
    }
    if (m_enterMovesDown && editor && event->type() == QEvent::KeyPress) {
        const auto key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            emit enterPressed();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
