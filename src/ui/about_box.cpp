#include "ui/about_box.h"

#include "cards/version.h"
#include "ui/help_pages.h"
#include "ui/pictures.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace nvx {

AboutBox::AboutBox(Host& host, QWidget* parent) : QDialog(parent), host_(host) {
    setWindowTitle(QStringLiteral("About Norvadex"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setLineWidth(2);

    auto* icon = new QLabel(panel);
    icon->setObjectName("ProgramIcon");
    icon->setPixmap(ProgramPicture(57));
    icon->setFixedSize(65, 57);
    icon->setAlignment(Qt::AlignCenter);

    productName_ = new QLabel(QStringLiteral("Norvadex"), panel);
    QFont nameFont = productName_->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.5);
    productName_->setFont(nameFont);
    version_ = new QLabel(QStringLiteral("Version ") + QString::fromLatin1(VersionNumber), panel);
    auto* maker = new QLabel(QStringLiteral("Made by the Norvadex developers."), panel);

    const QString address = QString::fromStdString(HomePageAddress());
    QString shown = address.toHtmlEscaped();
    // Let the long address break after its slashes.
    shown.replace('/', QStringLiteral("/&#8203;"));
    comments_ = new QLabel(panel);
    comments_->setTextFormat(Qt::RichText);
    comments_->setText(
        QStringLiteral("<a href=\"home\" style=\"color:navy; text-decoration:underline\">%1</a>")
            .arg(shown));
    comments_->setToolTip(address);
    comments_->setWordWrap(true);
    comments_->setCursor(Qt::PointingHandCursor);
    comments_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    comments_->setMinimumWidth(260);

    auto* top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* names = new QVBoxLayout;
    names->setSpacing(6);
    names->addWidget(productName_);
    names->addWidget(version_);
    names->addStretch(1);
    top->addLayout(names, 1);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(10, 10, 10, 12);
    panelLayout->setSpacing(10);
    panelLayout->addLayout(top);
    panelLayout->addWidget(maker);
    panelLayout->addWidget(comments_);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setDefault(true);
    okButton_->setMinimumWidth(75);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(okButton_);
    buttonRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(panel);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumSize(298, 213);

    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(comments_, &QLabel::linkActivated, this, &AboutBox::CommentsClick);
}

void AboutBox::CommentsClick() {
    OpenWebPage(host_, HomePageAddress());
}

} // namespace nvx
