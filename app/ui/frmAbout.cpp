#include "app/ui/frmAbout.h"

#include "app/ProgramSettings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace tz {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("picAbout"));
    image->setPixmap(picture(96));
    auto* title = new QLabel(QStringLiteral("<b>TZ360 HPHT Automatic Rheometer</b>"), this);
    auto* version = new QLabel(QStringLiteral("Version 1.2.0.2      12-27-2011"), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    // The maker's web address only when the lab has set one in tz360.ini.
    const QString address = ProgramSettings().makerWebAddress();
    auto* web = new QLabel(address, this);
    web->setObjectName(QStringLiteral("lblWebAddress"));
    web->setTextFormat(Qt::PlainText);
    web->setTextInteractionFlags(Qt::TextSelectableByMouse);
    web->setVisible(!address.isEmpty());
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version);
    text->addWidget(web);
    text->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(image);
    top->addSpacing(12);
    top->addLayout(text);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(buttons);
    setFixedSize(sizeHint());
}

// The measuring geometry seen from above: the rotating cup round the bob.
QPixmap frmAbout::picture(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(size / 2.0, size / 2.0);
    const double rotor = size * 0.46;
    const double bob = rotor * 1.5987 / 1.8415;
    p.setPen(QPen(QColor(40, 60, 90), 2));
    p.setBrush(QColor(180, 200, 225));
    p.drawEllipse(c, rotor, rotor);
    p.setBrush(QColor(235, 190, 90));
    p.drawEllipse(c, bob, bob);
    p.setPen(QPen(QColor(40, 60, 90), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(c.x() - rotor + 3, c.y() - rotor + 3, 2 * rotor - 6, 2 * rotor - 6), 30 * 16,
              60 * 16);
    return pm;
}

}  // namespace tz
