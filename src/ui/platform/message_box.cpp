#include "ui/platform/message_box.h"

#include "core/language/texts.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace tessaron {
namespace {

BoxAnswerer& answerer()
{
    static BoxAnswerer instance;
    return instance;
}

// QMessageBox turns a No button into the escape button on its own; a question that
// must be answered with Yes or No needs Escape and the close box switched off.
class TessaronBox : public QMessageBox {
public:
    TessaronBox(QWidget* parent, bool mustAnswer) : QMessageBox(parent), mustAnswer_(mustAnswer) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (mustAnswer_ && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (mustAnswer_)
            event->ignore();
        else
            QMessageBox::closeEvent(event);
    }

private:
    bool mustAnswer_;
};

// A box as narrow as its text leaves the window manager no room for its title, which it
// cuts to "…": room for the title, its icon and three title-bar buttons. A message box
// sizes itself from its layout when shown, and lays itself out anew as its text, icon and
// buttons are set, so the width goes in as a spacer once they are.
void makeRoomForTitle(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) * 3 / 2 + 160;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
        grid->columnCount());
}

BoxAnswer runBox(QWidget* parent, BoxKind kind, const QString& text)
{
    if (answerer())
        return answerer()(BoxRequest{kind, text});

    const bool question = kind == BoxKind::YesNoInformation;
    TessaronBox box(parent, question);
    box.setObjectName(question ? QStringLiteral("QuestionBox") : QStringLiteral("MessageBox"));
    box.setWindowTitle(QString::fromUtf8(kProgramTitle.data(), kProgramTitle.size()));
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(kind == BoxKind::Ok ? QMessageBox::NoIcon : QMessageBox::Information);
    if (question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.button(QMessageBox::No)->setFocus();
        makeRoomForTitle(box);
        return box.exec() == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    makeRoomForTitle(box);
    box.exec();
    return BoxAnswer::Ok;
}

}  // namespace

void setBoxAnswerer(BoxAnswerer newAnswerer) { answerer() = std::move(newAnswerer); }

void showMessage(QWidget* parent, const QString& text) { runBox(parent, BoxKind::Ok, text); }

void showInformation(QWidget* parent, const QString& text)
{
    runBox(parent, BoxKind::OkInformation, text);
}

BoxAnswer askYesNo(QWidget* parent, const QString& text)
{
    return runBox(parent, BoxKind::YesNoInformation, text);
}

void showError(QWidget* parent, const RuntimeError& error)
{
    showMessage(parent, QString::fromStdString(formatErrorMessage(error)));
}

}  // namespace tessaron
