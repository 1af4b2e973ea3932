#include "board/form1.h"

#include "language/texts.h"
#include "platform/message_box.h"
#include "platform/surface_view.h"
#include "shell/window_frames.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QSessionManager>
#include <QTimer>

namespace tessaron {
namespace {

constexpr float kClientWidth = 8865;   // twips
constexpr float kClientHeight = 5430;
constexpr float kClientLeft = 1275;
constexpr float kClientTop = 1485;

Pixel toPixel(const QColor& colour) { return rgb(colour.red(), colour.green(), colour.blue()); }

}  // namespace

Form1::Form1(GameState& state, const ScreenMetrics& metrics, QWidget* parent)
    : QMainWindow(parent), state_(state), metrics_(metrics)
{
    setObjectName(QStringLiteral("Form1"));
    applyMainFrame(this);
    menu_ = buildMenuTree(menuBar());
    buildClientArea();
    setClientSize(metrics_.toPixelsSize(kClientWidth, kClientHeight));
    placeClientAt(this, kClientLeft, kClientTop, metrics_);

    connect(menu_.Salir, &QAction::triggered, this, &Form1::Salir_Click);
    connect(menu_.MLanguageIngles, &QAction::triggered, this, &Form1::MLanguageIngles_Click);
    connect(menu_.MLanguageEspanol, &QAction::triggered, this, &Form1::MLanguageEspanol_Click);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &Form1::commitDataRequest);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->start();
}

Form1::~Form1() = default;

void Form1::buildClientArea()
{
    boardView_ = new SurfaceView(boardSurface_, this);
    boardView_->setObjectName(QStringLiteral("Form1Client"));
    setCentralWidget(boardView_);

    Label1 = new QLabel(QStringLiteral("No hay ninguna imagen abierta"), boardView_);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(metrics_.toPixels(240, 2280, 8295, 735));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    QFont labelFont = Label1->font();
    labelFont.setPointSize(18);
    labelFont.setWeight(QFont::Normal);
    Label1->setFont(labelFont);
    QPalette labelPalette = Label1->palette();
    labelPalette.setColor(QPalette::WindowText, desktopColour());
    Label1->setPalette(labelPalette);

    // Neither box has a border, so the hit test (measured from a box's outer corner) and
    // the drawing (from its inner corner) agree exactly.
    Pic = new SurfaceView(picSurface_, boardView_);
    Pic->setObjectName(QStringLiteral("Pic"));
    Pic->hide();
    Pic2 = new SurfaceView(pic2Surface_, boardView_);
    Pic2->setObjectName(QStringLiteral("Pic2"));
    Pic2->hide();
}

void Form1::setClientSize(QSize size)
{
    boardView_->setFixedSize(size);
    const int menuHeight = menuBar()->heightForWidth(size.width());
    setFixedSize(size.width(), size.height() + std::max(menuHeight, menuBar()->sizeHint().height()));
    // The persistent image covers the client area and starts in the window's colour.
    boardSurface_.resize(size.width(), size.height(), toPixel(palette().color(QPalette::Window)));
}

QSize Form1::clientSize() const { return boardView_->size(); }

void Form1::refresh() { boardView_->refresh(); }

void Form1::Salir_Click()
{
    std::int16_t cancel = 0;
    ConfirmExit(cancel);
}

void Form1::ConfirmExit(std::int16_t& Cancel)
{
    const auto text = messageText(Message::ExitQuestion, state_.LanguageCode).value_or("");
    if (askYesNo(this, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())))
        == BoxAnswer::Yes) {
        endProgram();
        return;
    }
    Cancel = -1;
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (ending_) {
        event->accept();
        return;
    }
    std::int16_t cancel = 0;
    ConfirmExit(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void Form1::commitDataRequest(QSessionManager& manager)
{
    if (ending_ || !manager.allowsInteraction())
        return;
    std::int16_t cancel = 0;
    ConfirmExit(cancel);
    manager.release();
    if (cancel)
        manager.cancel();
}

void Form1::endProgram()
{
    ending_ = true;
    if (endProgram_) {
        endProgram_();
        return;
    }
    // Every window goes, hidden ones included, without close events: hiding sends none,
    // and the event loops end before anything else is handled.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}

void Form1::MLanguageIngles_Click()
{
    menu_.MLanguageIngles->setChecked(true);
    menu_.MLanguageEspanol->setChecked(false);
    state_.LanguageCode = kEnglish;
}

void Form1::MLanguageEspanol_Click()
{
    menu_.MLanguageIngles->setChecked(false);
    menu_.MLanguageEspanol->setChecked(true);
    state_.LanguageCode = kSpanish;
}

}  // namespace tessaron
