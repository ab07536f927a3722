#include "ui/AboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "NembraVersion.h"
#include "ui/DialogUnits.h"
#include "ui/Resources.h"

namespace nembra {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    InitNembraResources();
    setFont(DialogFont());
    const DialogUnits units(font());
    setWindowTitle(QString::fromUtf8("Nembra 정보"));
    setWindowIcon(ProgramIcon());
    setFixedSize(units.X(217), units.Y(55));

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    icon->move(units.X(11), units.Y(17));
    icon->resize(32, 32);

    auto* version = new QLabel(QString::fromUtf8("Nembra 버전 " NEMBRA_VERSION), this);
    version->setGeometry(units.Rect(40, 10, 119, 8));
    auto* notice = new QLabel(QStringLiteral("KVL47Q POD programmer for TI C2000 DSPs"), this);
    notice->setGeometry(units.Rect(40, 25, 119, 16));
    notice->setWordWrap(true);

    auto* ok = new QPushButton(QString::fromUtf8("확인"), this);
    ok->setGeometry(units.Rect(160, 7, 50, 14));
    ok->setDefault(true);
    ok->setProperty("controlId", 1);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace nembra
