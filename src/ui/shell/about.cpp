#include "ui/shell/about.h"

#include "core/language/texts.h"
#include "ui/shell/accessibility.h"
#include "ui/shell/declared_controls.h"
#include "ui/shell/window_frames.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace tessaron {
namespace {

QLabel* addLabel(QWidget* window, const ControlTable& table, std::string_view name, Qt::Alignment alignment)
{
    auto* label = table.make(new QLabel(window), name);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

About::About(const ScreenMetrics& metrics, std::function<void()> applyTexts, QWidget* parent)
    : QDialog(parent), applyTexts_(std::move(applyTexts))
{
    applySecondaryFrame(this, GameWindow::About, metrics);
    setModal(true);

    const ControlTable table{GameWindow::About, metrics};
    Label1 = addLabel(this, table, "Label1", Qt::AlignHCenter);
    QFont versionFont = Label1->font();
    versionFont.setPointSize(12);
    versionFont.setWeight(QFont::Normal);
    Label1->setFont(versionFont);
    Label2 = addLabel(this, table, "Label2", Qt::AlignHCenter);
    Label3 = addLabel(this, table, "Label3", Qt::AlignHCenter);

    // A one-pixel line: its place is a length along the top edge, both ends drawn.
    Line1 = new QFrame(this);
    declareControl(Line1, GameWindow::About, "Line1", nullptr);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);
    Line1->setLineWidth(1);
    const Twips& line = controlOf(GameWindow::About, "Line1").place;
    const QPoint from = metrics.toPixels(line.left, line.top);
    const QPoint to = metrics.toPixels(line.left + line.width, line.top);
    Line1->setGeometry(from.x(), from.y(), to.x() - from.x() + 1, 1);

    Label4 = addLabel(this, table, "Label4", Qt::AlignLeft);
    Label4->setWordWrap(true);

    OKButton = table.make(new QPushButton(this), "OKButton");
    OKButton->setDefault(true);
    OKButton->setFocus();
    connect(OKButton, &QPushButton::clicked, this, &About::OKButton_Click);
    setAccessibleNames(this, GameWindow::About);
}

void About::Form_Activate()
{
    setWindowTitle(fromUtf8(kProgramTitle));
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
