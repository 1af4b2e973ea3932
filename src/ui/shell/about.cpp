#include "ui/shell/about.h"

#include "core/language/texts.h"
#include "ui/platform/guarded.h"
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
    title_ = addLabel(this, table, "Label1", Qt::AlignHCenter);
    QFont versionFont = title_->font();
    versionFont.setPointSize(12);
    versionFont.setWeight(QFont::Normal);
    title_->setFont(versionFont);
    copyright_ = addLabel(this, table, "Label2", Qt::AlignHCenter);
    address_ = addLabel(this, table, "Label3", Qt::AlignHCenter);

    // A one-pixel line: its place is a length along the top edge, both ends drawn.
    line_ = new QFrame(this);
    declareControl(line_, GameWindow::About, "Line1", nullptr);
    line_->setFrameShape(QFrame::HLine);
    line_->setFrameShadow(QFrame::Plain);
    line_->setLineWidth(1);
    const TwipsRect& line = controlOf(GameWindow::About, "Line1").place;
    const QPoint from = metrics.toPixels(line.left, line.top);
    const QPoint to = metrics.toPixels(line.left + line.width, line.top);
    line_->setGeometry(from.x(), from.y(), to.x() - from.x() + 1, 1);

    credits_ = addLabel(this, table, "Label4", Qt::AlignLeft);
    credits_->setWordWrap(true);

    ok_ = table.make(new QPushButton(this), "OKButton");
    ok_->setDefault(true);
    ok_->setFocus();
    connect(ok_, &QPushButton::clicked, this, guarded(this, &About::hideBox));
    setAccessibleNames(this, GameWindow::About);
}

void About::activated()
{
    setWindowTitle(fromUtf8(kProgramTitle));
    if (applyTexts_)
        applyTexts_();
}

void About::hideBox() { accept(); }

bool About::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        activated();
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
    ok_->setFocus();
    QDialog::showEvent(event);
}

}  // namespace tessaron
