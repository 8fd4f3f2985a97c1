#include "shell/QOrvAbout.h"
#include "shell/Language.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

QString QOrvAbout::versionText() {
    return QStringLiteral(ORVANTA_VERSION);
}

QOrvAbout::QOrvAbout(int language, QWidget* parent) : QDialog(parent) {
    auto text = [language](const QString& zh, const QString& en) {
        return shell::Language::text(language, zh, en);
    };
    setWindowTitle(text(QStringLiteral("关于"), QStringLiteral("About")));
    setWindowIcon(QIcon(QStringLiteral(":/image/orv.png")));

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/image/orv.png")).pixmap(64, 64));
    icon->setAlignment(Qt::AlignCenter);

    title = new QLabel(text(QStringLiteral("Orvanta高拍仪软件"),
                            QStringLiteral("Orvanta High speed portable scanner")),
                       this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);

    version = new QLabel(
        text(QStringLiteral("版本 %1"), QStringLiteral("Version %1")).arg(versionText()), this);
    version->setAlignment(Qt::AlignCenter);

    const QString site = QStringLiteral("https://www.orvanta.example/");
    contact = new QLabel(
        text(
            QStringLiteral("文档拍摄、条码与文字识别、录像与批注。<br>网站: <a href=\"%1\">%1</a>"),
            QStringLiteral("Document capture, barcode and text recognition, recording and "
                           "annotation.<br>Web site: <a href=\"%1\">%1</a>"))
            .arg(site),
        this);
    contact->setAlignment(Qt::AlignCenter);
    contact->setWordWrap(true);
    contact->setTextFormat(Qt::RichText);
    contact->setOpenExternalLinks(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(contact);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}
