#include "ui/shell/about.h"

#include "core/language/texts.h"
#include "ui/shell/accessibility.h"
#include "ui/shell/window_frames.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace tessaron {
namespace {

// Until the texts are applied (and for good when no language is set) the labels show
// the names they were designed with.
QLabel* addLabel(QWidget* window, const char* name, const QRect& geometry, Qt::Alignment alignment)
{
    auto* label = new QLabel(QString::fromUtf8(name), window);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

About::About(const ScreenMetrics& metrics, std::function<void()> applyTexts, QWidget* parent)
    : QDialog(parent), applyTexts_(std::move(applyTexts))
{
    applySecondaryFrame(this, SecondaryWindow::About, metrics);
    setModal(true);

    Label1 = addLabel(this, "Label1", metrics.toPixels(120, 360, 6855, 375), Qt::AlignHCenter);
    QFont versionFont = Label1->font();
    versionFont.setPointSize(12);
    versionFont.setWeight(QFont::Normal);
    Label1->setFont(versionFont);
    Label2 = addLabel(this, "Label2", metrics.toPixels(120, 840, 6855, 255), Qt::AlignHCenter);
    Label3 = addLabel(this, "Label3", metrics.toPixels(120, 1200, 6855, 255), Qt::AlignHCenter);

    // A one-pixel line from (240, 2040) to (6840, 2040).
    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);
    Line1->setLineWidth(1);
    const QPoint from = metrics.toPixels(240, 2040);
    const QPoint to = metrics.toPixels(6840, 2040);
    Line1->setGeometry(from.x(), from.y(), to.x() - from.x() + 1, 1);

    Label4 = addLabel(this, "Label4", metrics.toPixels(120, 2280, 6855, 1455), Qt::AlignLeft);
    Label4->setWordWrap(true);

    OKButton = new QPushButton(QStringLiteral("Aceptar"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(metrics.toPixels(2880, 3960, 1215, 375));
    OKButton->setDefault(true);
    OKButton->setFocus();
    connect(OKButton, &QPushButton::clicked, this, &About::OKButton_Click);
    setAccessibleNames(this, GameWindow::About);
}

void About::Form_Activate()
{
    setWindowTitle(QString::fromUtf8(kProgramTitle.data(), static_cast<qsizetype>(kProgramTitle.size())));
    if (applyTexts_)
        applyTexts_();
}

void About::OKButton_Click() { accept(); }

bool About::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(event);
}

void About::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    // Only the close box gets here: Qt keeps the close that OK's accept() makes to itself.
    if (event->isAccepted())
        deleteLater();
}

void About::showEvent(QShowEvent* event)
{
    // Enter closes the box as soon as it opens.
    OKButton->setFocus();
    QDialog::showEvent(event);
}

}  // namespace tessaron
