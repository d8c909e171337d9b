#include "app/ui/Prompt.h"

#include "app/ui/TitleWidth.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace tz {

namespace {
QMessageBox::Icon toIcon(Prompt::Icon icon) {
    switch (icon) {
    case Prompt::Icon::Information: return QMessageBox::Information;
    case Prompt::Icon::Warning:
    case Prompt::Icon::Exclamation: return QMessageBox::Warning;
    case Prompt::Icon::Critical: return QMessageBox::Critical;
    case Prompt::Icon::Question: return QMessageBox::Question;
    case Prompt::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString titleOr(const QString& title) {
    return title.isEmpty() ? QApplication::applicationName() : title;
}
}  // namespace

void DialogPrompt::message(QWidget* parent, const QString& text, const QString& title, Icon icon) {
    QMessageBox box(toIcon(icon), titleOr(title), text, QMessageBox::Ok, parent);
    widenForTitle(&box);
    box.exec();
}

bool DialogPrompt::ask(QWidget* parent, const QString& text, const QString& title,
                       Buttons buttons, Icon icon) {
    const bool yesNo = buttons == Buttons::YesNo || buttons == Buttons::YesNoDefaultNo;
    const auto yes = yesNo ? QMessageBox::Yes : QMessageBox::Ok;
    const auto no = yesNo ? QMessageBox::No : QMessageBox::Cancel;
    QMessageBox box(toIcon(icon), titleOr(title), text, yes | no, parent);
    box.setDefaultButton(buttons == Buttons::YesNoDefaultNo ? no : yes);
    box.setEscapeButton(no);
    widenForTitle(&box);
    return box.exec() == yes;
}

std::optional<QString> DialogPrompt::input(QWidget* parent, const QString& prompt,
                                           const QString& title, const QString& initial) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(titleOr(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.sizeHint();  // the input box builds its layout when first measured
    widenForTitle(&dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

}  // namespace tz
