#include "ui/board/form1.h"

#include "ui/board/board_view.h"
#include "core/board/layout.h"
#include "core/board/rendering.h"
#include "core/board/rules.h"
#include "core/board/random_source.h"
#include "core/board/startup.h"
#include "core/dialog/file_patterns.h"
#include "ui/dialog/dialog.h"
#include "ui/language/apply_texts.h"
#include "ui/language/form_idioma.h"
#include "core/language/settings_file.h"
#include "ui/shell/about.h"
#include "ui/shell/accessibility.h"
#include "ui/shell/declared_controls.h"
#include "ui/shell/web_links.h"
#include "core/language/texts.h"
#include "ui/platform/message_box.h"
#include "ui/platform/native_names.h"
#include "ui/platform/picture_loader.h"
#include "ui/platform/surface_view.h"
#include "core/platform/vb_math.h"
#include "ui/shell/window_frames.h"

#include <cmath>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QSessionManager>
#include <QTimer>

namespace tessaron {
namespace {

Pixel toPixel(const QColor& colour) { return rgb(colour.red(), colour.green(), colour.blue()); }

// The picture area, width x height: the picture's top-left part, and the window's colour
// wherever the picture does not reach (a picture area stretched to the screen is taller or
// wider than its picture). Every place is then whole, background included, and moves as
// a whole.
void cropInto(Surface& surface, const QImage& picture, std::int32_t width, std::int32_t height,
    Pixel background)
{
    const QImage image = picture.format() == QImage::Format_RGB32
        ? picture
        : picture.convertToFormat(QImage::Format_RGB32);
    if (image.isNull() && !picture.isNull())
        throw RuntimeError(err::OutOfMemory);  // the conversion had no room
    surface.reshape(width, height);
    const std::int32_t columns = std::clamp(width, 0, image.width());
    const std::int32_t rows = std::clamp(height, 0, image.height());
    for (std::int32_t y = 0; y < surface.height(); ++y) {
        Pixel* row = surface.row(y);
        std::int32_t copied = 0;
        if (y < rows) {
            std::copy_n(reinterpret_cast<const Pixel*>(image.constScanLine(y)), columns, row);
            copied = columns;
        }
        std::fill(row + copied, row + surface.width(), background);
    }
}

// The board's keys. Those held with Ctrl, Alt or Meta are left to the menus and the
// window system; the keypad's arrows and Enter count as the others.
std::optional<Key> boardKey(const QKeyEvent& event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    switch (event.key()) {
    case Qt::Key_Left: return Key::Left;
    case Qt::Key_Right: return Key::Right;
    case Qt::Key_Up: return Key::Up;
    case Qt::Key_Down: return Key::Down;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: return Key::Pick;
    case Qt::Key_Escape: return Key::Drop;
    default: return std::nullopt;
    }
}

// The picture a drag carries: one local file whose name the dialog lists as a picture.
// Empty for anything else (several files, a web address, text), so those are refused
// before they are dropped.
QString draggedPicture(const QDropEvent& event)
{
    const QList<QUrl> urls = event.mimeData()->urls();
    if (urls.size() != 1)
        return {};
    const QString path = nameFromFileUrl(urls.front());
    const std::string native = nativeFromName(path);
    if (path.isEmpty() || !FilePatterns(kPicturePatterns).matches(native.substr(native.rfind('/') + 1)))
        return {};
    return path;
}

// Takes the drag or drop of a picture, always as a copy: a move would have the file
// manager delete the player's picture once it was dropped. While a modal window (the
// dialog itself, the About box, a question) has the player's attention, nothing is taken.
bool takePicture(QDropEvent& event)
{
    if (QApplication::activeModalWidget() || !(event.possibleActions() & Qt::CopyAction)
        || draggedPicture(event).isEmpty()) {
        event.ignore();
        return false;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

}  // namespace

Form1::Form1(const ScreenMetrics& metrics, QWidget* parent)
    : QMainWindow(parent), metrics_(metrics), session_(*this)
{
    applyMainFrame(this);
    menu_ = buildMenuTree(menuBar());
    buildClientArea();
    const Twips& client = windowDesign(GameWindow::Form1).client;
    const QSize size = metrics_.toPixelsSize(client.width, client.height);
    fitWindowTo(size);
    // The persistent image covers the client area, in device pixels, and starts in the
    // window's colour.
    const qreal ratio = metrics_.devicePixelRatio;
    session_.clear(qRound(size.width() * ratio), qRound(size.height() * ratio),
        toPixel(palette().color(QPalette::Window)));
    // The client area, below the menu bar, is what the design places. A window's geometry
    // leaves out its frame, so the window system frames it around this place.
    setGeometry(QRect(metrics_.toPixels(client.left, client.top) - QPoint(0, menuBarHeight(width())), this->size()));

    connect(menu_.Abrir, &QAction::triggered, this, &Form1::openNewPuzzle);
    connect(menu_.Salir, &QAction::triggered, this, &Form1::confirmExit);
    connect(menu_.AcercaDe, &QAction::triggered, this, &Form1::showAbout);
    connect(menu_.MWebTessaron, &QAction::triggered, this,
        [this] { openWebPage(WebItem::MWebTessaron, language_, this); });
    connect(menu_.MWebAutor, &QAction::triggered, this,
        [this] { openWebPage(WebItem::MWebAutor, language_, this); });
    connect(menu_.MWebRodanto, &QAction::triggered, this,
        [this] { openWebPage(WebItem::MWebRodanto, language_, this); });
    connect(menu_.Montado, &QAction::triggered, this, &Form1::showWholePicture);
    connect(menu_.MLanguageIngles, &QAction::triggered, this, [this] { chooseLanguage(kEnglish); });
    connect(menu_.MLanguageEspanol, &QAction::triggered, this, [this] { chooseLanguage(kSpanish); });
    connect(qApp, &QGuiApplication::commitDataRequest, this, &Form1::commitDataRequest);

    previewTimer_ = new QTimer(this);
    previewTimer_->setObjectName(QStringLiteral("Timer1"));
    previewTimer_->setInterval(1000);
    connect(previewTimer_, &QTimer::timeout, this, &Form1::previewTick);
    previewTimer_->start();

    setAcceptDrops(true);
    boardView_->installEventFilter(this);
    overlay_->installEventFilter(this);
    setAccessibleNames(this, GameWindow::Form1);
}

Form1::~Form1() = default;

void Form1::buildClientArea()
{
    const Puzzle& puzzle = session_.puzzle();
    boardView_ = new BoardView(session_, this);
    boardView_->setDevicePixelRatio(metrics_.devicePixelRatio);
    // The board takes the keyboard whenever the window is active: nothing else in it does.
    boardView_->setFocusPolicy(Qt::StrongFocus);
    declareControl(boardView_, GameWindow::Form1, "Form1Client", nullptr);
    setCentralWidget(boardView_);

    notice_ = ControlTable{GameWindow::Form1, metrics_}.make(new QLabel(boardView_), "Label1");
    notice_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    notice_->setWordWrap(true);
    QFont labelFont = notice_->font();
    labelFont.setPointSize(18);
    labelFont.setWeight(QFont::Normal);
    notice_->setFont(labelFont);
    QPalette labelPalette = notice_->palette();
    labelPalette.setColor(QPalette::WindowText, desktopColour());
    notice_->setPalette(labelPalette);

    // Neither box has a border, so the hit test (measured from a box's outer corner) and
    // the drawing (from its inner corner) agree exactly. The session's puzzle keeps its
    // place when a new one is swapped in, so the views follow it.
    pictureBox_ = new SurfaceView(puzzle.scratchSurface(), boardView_);
    declareControl(pictureBox_, GameWindow::Form1, "Pic", nullptr);
    pictureBox_->hide();
    overlay_ = new SurfaceView(puzzle.wholePicture(), boardView_);
    overlay_->setDevicePixelRatio(metrics_.devicePixelRatio);
    declareControl(overlay_, GameWindow::Form1, "Pic2", nullptr);
    overlay_->hide();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type == QEvent::KeyPress && watched == boardView_) {
        if (const std::optional<Key> key = boardKey(*static_cast<QKeyEvent*>(event))) {
            playKey(*key);
            return true;
        }
    }
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    const bool release = type == QEvent::MouseButtonRelease;
    if (!press && !release)
        return QMainWindow::eventFilter(watched, event);
    // The overlay takes the presses over the board: nothing can be picked under it.
    if (watched == overlay_)
        return true;
    if (watched == boardView_) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const float x = static_cast<float>(mouse->position().x()) * metrics_.twipsPerPixelX;
        const float y = static_cast<float>(mouse->position().y()) * metrics_.twipsPerPixelY;
        if (press)
            pressAt(x, y);
        else
            releaseAt(x, y);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

float Form1::boardTwipsX() const
{
    return metrics_.twipsPerPixelX / static_cast<float>(metrics_.devicePixelRatio);
}

float Form1::boardTwipsY() const
{
    return metrics_.twipsPerPixelY / static_cast<float>(metrics_.devicePixelRatio);
}

void Form1::startPuzzle(const PuzzleChoice& choice)
{
    PictureOptions options;
    options.twipsX = boardTwipsX();
    options.twipsY = boardTwipsY();
    options.background = palette().color(QPalette::Window);
    Puzzle next;
    try {
        if (choice.fitToScreen) {
            QImage picture = loadFittedPicture(choice.path, [this](QSize natural) { return fittedSize(natural); },
                options);
            const QSize size = picture.size();
            next = preparePuzzle(std::move(picture), size, choice);
        } else {
            // Only the part that fits on the screen is decoded: a large photo costs the
            // memory of what the player sees, not of the whole.
            PicturePart part = loadPicturePart(choice.path,
                [this](QSize natural) { return keptPart(boardLayout(natural)); }, options);
            const QSize natural = part.natural.isValid() ? part.natural : part.image.size();
            next = preparePuzzle(std::move(part.image), natural, choice);
        }
    } catch (const std::bad_alloc&) {
        // Whatever ran out, the puzzle on the board is still whole: the player is told, and
        // plays on.
        throw RuntimeError(err::OutOfMemory);
    }
    // Nothing can fail from here on: the new puzzle is complete.
    menu_.Montado->setEnabled(true);
    // A control character in a file name shows as its picture, not as a line break, and
    // Qt reads "[*]" in a title as the place of the modified mark; doubled, it is text.
    QString name = shownName(choice.name);
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(fromUtf8(kProgramTitle) + QStringLiteral("  -  ") + name);
    session_.start(std::move(next), timeOfDaySeed());
}

Puzzle Form1::preparePuzzle(QImage picture, QSize natural, const PuzzleChoice& choice) const
{
    PuzzlePlan plan;
    plan.twipsX = boardTwipsX();
    plan.twipsY = boardTwipsY();
    plan.columns = choice.columns;
    plan.rows = choice.rows;
    plan.style = choice.difficult ? PuzzleStyle::Difficult : PuzzleStyle::Normal;
    plan.layout = boardLayout(natural);
    plan.background = toPixel(palette().color(QPalette::Window));
    const QSize client = metrics_.toPixelsSize(plan.layout.clientWidth, plan.layout.clientHeight);
    // The persistent image covers the client area, in device pixels.
    const qreal ratio = metrics_.devicePixelRatio;
    plan.boardWidth = qRound(client.width() * ratio);
    plan.boardHeight = qRound(client.height() * ratio);
    Surface area;
    const QSize kept = keptPart(plan.layout);
    cropInto(area, picture, kept.width(), kept.height(), plan.background);
    // A large photo is mostly cut away: let its pixels go before anything else is made.
    picture = QImage();
    return Puzzle::build(std::move(area), plan);
}

QMargins Form1::windowFrame() const
{
    const auto frameOf = [](const QWidget* window) {
        const QRect outer = window->frameGeometry();
        const QRect inner = window->geometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
            outer.right() - inner.right(), outer.bottom() - inner.bottom());
    };
    const QMargins own = frameOf(this);
    // Until the window system has framed this window (and Qt has asked it since) its frame
    // reads as none; the new-puzzle dialog, framed before any puzzle is built, shows what
    // it is.
    if (own.isNull() && dialog_)
        return frameOf(dialog_);
    return own;
}

int Form1::menuBarHeight(int windowWidth) const
{
    // A window narrower than its menu bar wraps the bar onto more lines.
    return std::max(menuBar()->heightForWidth(windowWidth), menuBar()->sizeHint().height());
}

Layout Form1::boardLayout(QSize picture) const { return layoutPicture(layoutInput(picture)); }

LayoutInput Form1::layoutInput(QSize picture) const
{
    // The picture's pixels are the screen's own (device) pixels; windows and the screen
    // are measured in layout pixels.
    const float tx = metrics_.twipsPerPixelX;
    const float ty = metrics_.twipsPerPixelY;
    const QMargins frame = windowFrame();
    LayoutInput in;
    in.pictureWidth = static_cast<float>(picture.width()) * boardTwipsX();
    in.pictureHeight = static_cast<float>(picture.height()) * boardTwipsY();
    in.frameWidth = static_cast<float>(frame.left() + frame.right()) * tx;
    in.frameHeight = static_cast<float>(frame.top() + frame.bottom() + menuBarHeight(width())) * ty;
    const QRect screen = metrics_.available;
    in.screenWidth = static_cast<float>(screen.width()) * tx;
    in.screenHeight = static_cast<float>(screen.height()) * ty;
    return in;
}

QSize Form1::fittedSize(QSize natural) const
{
    // The same frame and screen the board is then laid out on, so the picture found fits
    // the layout exactly: no margin to spare, nothing cut.
    const LayoutInput window = layoutInput(natural);
    const PictureSize fitted = fitToScreen({.picture = {natural.width(), natural.height()},
        .twipsX = boardTwipsX(), .twipsY = boardTwipsY(), .frameWidth = window.frameWidth,
        .frameHeight = window.frameHeight, .screenWidth = window.screenWidth, .screenHeight = window.screenHeight});
    return {fitted.width, fitted.height};
}

QSize Form1::keptPart(const Layout& layout) const
{
    // A pixel more each way: the grid's frame may fall just past the rounded area, and
    // the board is filled up to it.
    return QSize(roundToInt32(divide(layout.picWidth, boardTwipsX())) + 1,
        roundToInt32(divide(layout.picHeight, boardTwipsY())) + 1);
}

void Form1::placeNewPuzzle(const Puzzle& puzzle)
{
    overlay_->hide();
    const Layout& layout = puzzle.layout();
    fitWindowTo(metrics_.toPixelsSize(layout.clientWidth, layout.clientHeight));
    keepOnScreen();
    placePictureBoxes(puzzle);
    notice_->hide();
    boardView_->update();
    boardView_->followCursor();
}

void Form1::showChanges(const Damage& changed) { boardView_->showChanges(changed); }

void Form1::settle()
{
    // Paint and window events only: a click waiting in the queue must not start another
    // puzzle or a move halfway through building this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Form1::placePictureBoxes(const Puzzle& puzzle)
{
    const Layout& layout = puzzle.layout();
    pictureBox_->setGeometry(metrics_.toPixels(layout.picLeft, layout.picTop, layout.picWidth, layout.picHeight));
    // The overlay covers the picture area exactly as the board draws it, in device pixels;
    // its widget takes the layout pixels around that, and shows the board beneath the rest.
    const PixelRect area = puzzle.geometry().pictureArea();
    const qreal ratio = metrics_.devicePixelRatio;
    const QPoint corner(static_cast<int>(std::floor(area.x / ratio)), static_cast<int>(std::floor(area.y / ratio)));
    const QPoint end(static_cast<int>(std::ceil((area.x + area.w) / ratio)),
        static_cast<int>(std::ceil((area.y + area.h) / ratio)));
    overlay_->setGeometry(QRect(corner, end - QPoint(1, 1)));
    overlay_->showPartAt(QPoint(area.x, area.y) - (QPointF(corner) * ratio).toPoint(), QSize(area.w, area.h));
}

void Form1::keepOnScreen()
{
    // The window keeps its place unless its new size would push it off the screen.
    const QRect screen = metrics_.available;
    QRect frame = geometry().marginsAdded(windowFrame());
    const int dx = std::min(0, screen.right() - frame.right());
    const int dy = std::min(0, screen.bottom() - frame.bottom());
    if (dx == 0 && dy == 0)
        return;
    frame.translate(dx, dy);
    const QMargins margins = windowFrame();
    const QPoint corner(std::max(frame.left(), screen.left()), std::max(frame.top(), screen.top()));
    setGeometry(QRect(corner + QPoint(margins.left(), margins.top()), size()));
}

void Form1::pressAt(float x, float y)
{
    try {
        session_.pressAt(x, y);
    } catch (const RuntimeError&) {
        // A press that finds no place (a grid too fine to hit) picks nothing; it is not
        // worth a message.
    }
    boardView_->followCursor();
}

void Form1::releaseAt(float x, float y)
{
    try {
        if (session_.releaseAt(x, y) == MoveResult::Solved)
            announceVictory();
    } catch (const RuntimeError& error) {
        if (error.number() != err::DivisionByZero)
            showError(this, error);
    }
}

void Form1::playKey(Key key)
{
    // The finished picture takes the keys as it takes the presses: nothing under it is
    // played.
    if (overlay_->isVisible())
        return;
    try {
        const KeyOutcome outcome = session_.keyPressed(key);
        boardView_->followCursor();
        describeBoard(outcome);
        if (outcome.result == MoveResult::Solved)
            announceVictory();
    } catch (const RuntimeError& error) {
        if (error.number() != err::DivisionByZero)
            showError(this, error);
    }
}

void Form1::describeBoard(const KeyOutcome& outcome)
{
    if (!outcome.news)
        return;
    const auto text = boardNewsText(*outcome.news, outcome.at.column, outcome.at.row, outcome.other.column,
        outcome.other.row, language_);
    if (!text)
        return;
    boardView_->setAccessibleDescription(fromUtf8(*text));
    QAccessibleEvent changed(boardView_, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}

void Form1::announceVictory()
{
    const auto text = messageText(Message::Solved, language_);
    if (!text)
        return;
    showMessage(this, fromUtf8(*text));
    overlay_->show();
    overlay_->raise();
    menu_.Montado->setEnabled(false);
}

void Form1::showWholePicture()
{
    overlay_->show();
    overlay_->raise();
    session_.showWholePicture();
}

void Form1::previewTick()
{
    const PreviewCycle::Tick tick = session_.tick();
    if (tick.disableCommand)
        menu_.Montado->setEnabled(false);
    if (tick.hideOverlay)
        overlay_->hide();
    if (tick.enableCommand)
        menu_.Montado->setEnabled(true);
}

void Form1::fitWindowTo(QSize client)
{
    boardView_->setFixedSize(client);
    setFixedSize(client.width(), client.height() + menuBarHeight(client.width()));
}

QSize Form1::clientSize() const { return boardView_->size(); }

bool Form1::confirmExit()
{
    const auto text = messageText(Message::ExitQuestion, language_).value_or("");
    if (askYesNo(this, fromUtf8(text)) != BoxAnswer::Yes)
        return false;
    endProgram();
    return true;
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (ending_) {
        event->accept();
        return;
    }
    if (confirmExit())
        event->accept();
    else
        event->ignore();
}

void Form1::commitDataRequest(QSessionManager& manager)
{
    if (ending_ || !manager.allowsInteraction())
        return;
    const bool ending = confirmExit();
    manager.release();
    if (!ending)
        manager.cancel();
}

void Form1::endProgram()
{
    ending_ = true;
    // Every window goes, hidden ones included, without close events: hiding sends none.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    emit programEnded();
}

void Form1::chooseLanguage(std::int16_t code)
{
    // The texts set the check marks too, so the menu shows what the windows speak.
    language_ = code;
    applyLanguageTexts();
    // A settings file that cannot be written (a write-protected file, a full disk)
    // costs the player the remembered language, not the game in progress.
    try {
        writeSettingsFile(code);
    } catch (const RuntimeError& error) {
        showError(this, error);
    }
}

void Form1::applyLanguageTexts()
{
    if (dialog_)
        dialog_->setLanguage(language_);
    tessaron::ApplyLanguageTexts(language_, this, [this] { return static_cast<QWidget*>(&newPuzzleDialog()); },
        [this] { return static_cast<QWidget*>(&aboutBox()); });
}

Dialog& Form1::newPuzzleDialog()
{
    if (!dialog_) {
        dialog_ = new Dialog(language_, metrics_, this);
        // Its own load applies the texts once more; asked again from there, this
        // returns the dialog just made rather than making a second one.
        applyLanguageTexts();
    }
    return *dialog_;
}

About& Form1::aboutBox()
{
    if (!about_) {
        // OK hides it, and the next use shows the same box again; its close box destroys
        // it, and the next use makes a new one.
        about_ = new About(metrics_, [this] { applyLanguageTexts(); }, this);
    }
    return *about_;
}

void Form1::showAbout()
{
    About& about = aboutBox();
    about.exec();
}

void Form1::openNewPuzzle() { playChoice(newPuzzleDialog().choose()); }

void Form1::openPicture(const QString& path)
{
    Dialog& dialog = newPuzzleDialog();
    dialog.choosePicture(path);
    playChoice(dialog.choose());
}

void Form1::playChoice(const std::optional<PuzzleChoice>& choice)
{
    if (!choice)
        return;
    try {
        startPuzzle(*choice);
    } catch (const RuntimeError& error) {
        showError(this, error);
    }
}

void Form1::dragEnterEvent(QDragEnterEvent* event) { takePicture(*event); }

void Form1::dropEvent(QDropEvent* event)
{
    if (!takePicture(*event))
        return;
    // Opened once the drop is over: the file manager waits for its answer, and the
    // dialog's own event loop must not keep it waiting.
    QTimer::singleShot(0, this, [this, path = draggedPicture(*event)] {
        if (!QApplication::activeModalWidget())
            openPicture(path);
    });
}

void Form1::startUp(const QString& picture)
{
    std::optional<PuzzleChoice> choice;
    StartupSteps steps;
    steps.readLanguage = [this] { return language_ = readSettingsFile(); };
    steps.askLanguage = [this] {
        FormIdioma idioma(metrics_, this);
        idioma.exec();
        return idioma.chosen().value_or(language_);
    };
    steps.saveLanguage = [](std::int16_t code) { writeSettingsFile(code); };
    steps.applyTexts = [this](std::int16_t code) {
        language_ = code;
        applyLanguageTexts();
    };
    if (!picture.isEmpty())
        steps.offerPicture = [this, picture] { newPuzzleDialog().choosePicture(picture); };
    steps.choosePuzzle = [this, &choice] { return (choice = newPuzzleDialog().choose()).has_value(); };
    steps.startPuzzle = [this, &choice] { startPuzzle(*choice); };
    steps.goWithoutPuzzle = [this] { menu_.Montado->setEnabled(false); };
    steps.report = [this](const RuntimeError& error) { showError(this, error); };
    runStartup(steps);
    // Whatever stopped start-up, there is nothing to show while there is no puzzle.
    if (!session_.puzzle().exists())
        menu_.Montado->setEnabled(false);
    show();
}

}  // namespace tessaron
