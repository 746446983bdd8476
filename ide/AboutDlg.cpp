#include "ide/AboutDlg.h"

#include "ide/ToolbarIcons.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kPictureSide = 128;

// The emblem is painted, not scaled from a bitmap, so that it is sharp on any screen.
class CEmblemPicture : public QWidget {
public:
    explicit CEmblemPicture(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("AboutPicture"));
        setFixedSize(kPictureSide, kPictureSide);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        PaintEmblem(painter, kPictureSide);
    }
};

QLabel* TextLine(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("AboutText"));
    return label;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("О среде разработки Tirvane"));
    QFont dialogFont(QStringLiteral("MS Sans Serif"), 8);
    dialogFont.setStyleHint(QFont::SansSerif);
    setFont(dialogFont);

    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    text->addStretch();
    QLabel* title = TextLine(QStringLiteral("Среда разработки программ"), this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    title->setFont(titleFont);
    text->addWidget(title);
    text->addWidget(TextLine(QStringLiteral("на функциональном языке"), this));
    text->addWidget(TextLine(QStringLiteral("параллельного программирования Тирвейн"), this));
    text->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setHorizontalSpacing(18);
    layout->addWidget(new CEmblemPicture(this), 0, 0);
    layout->addLayout(text, 0, 1);
    layout->addWidget(TextLine(QStringLiteral("Версия от 29.10.03"), this), 1, 0,
                      Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(buttons, 1, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
