#include "ui/board/main_window.h"

#include "core/board/random_source.h"
#include "core/board/solver.h"
#include "core/shell/startup.h"
#include "core/dialog/file_patterns.h"
#include "core/language/settings_file.h"
#include "core/language/spoken_texts.h"
#include "core/language/texts.h"
#include "ui/board/board_view.h"
#include "ui/dialog/new_puzzle_dialog.h"
#include "ui/language/apply_texts.h"
#include "ui/language/language_window.h"
#include "ui/platform/guarded.h"
#include "ui/platform/message_box.h"
#include "ui/platform/native_names.h"
#include "ui/platform/picture_area.h"
#include "ui/platform/picture_loader.h"
#include "ui/platform/surface_view.h"
#include "ui/shell/about.h"
#include "ui/shell/accessibility.h"
#include "ui/shell/declared_controls.h"
#include "ui/shell/web_links.h"
#include "ui/shell/window_frames.h"

#include <cmath>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QSessionManager>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace tessaron {
namespace {

Pixel toPixel(const QColor& colour) { return rgb(colour.red(), colour.green(), colour.blue()); }

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

MainWindow::MainWindow(const ScreenMetrics& metrics, QWidget* parent)
    : QMainWindow(parent), metrics_(metrics), session_(*this)
{
    applyMainFrame(this);
    menu_ = buildMenuTree(menuBar());
    buildClientArea();
    buildRecordCorner();
    const TwipsRect& client = windowDesign(GameWindow::Main).client;
    const QSize size = metrics_.toPixelsSize(client.width, client.height);
    fitWindowTo(size);
    // The persistent image covers the client area, in device pixels, and starts in the
    // window's colour.
    const qreal ratio = metrics_.devicePixelRatio;
    session_.clear(qRound(size.width() * ratio), qRound(size.height() * ratio),
        toPixel(palette().color(QPalette::Window)));
    showPlayState(session_.state());
    // The client area, below the menu bar, is what the design places. A window's geometry
    // leaves out its frame, so the window system frames it around this place.
    setGeometry(QRect(metrics_.toPixels(client.left, client.top) - QPoint(0, menuBarHeight(width())), this->size()));

    const auto onAction = [this](QAction* action, std::function<void()> work) {
        connect(action, &QAction::triggered, this, guarded(this, std::move(work)));
    };
    onAction(menu_.openAction, [this] { openNewPuzzle(); });
    onAction(menu_.exitAction, [this] { confirmExit(); });
    onAction(menu_.aboutAction, [this] { showAbout(); });
    onAction(menu_.gamePageAction, [this] { openWebPage(WebItem::GamePage, language_, this); });
    onAction(menu_.authorPageAction, [this] { openWebPage(WebItem::AuthorPage, language_, this); });
    onAction(menu_.otherGamePageAction, [this] { openWebPage(WebItem::OtherGamePage, language_, this); });
    onAction(menu_.showImageAction, [this] { session_.showWholePicture(); });
    onAction(menu_.undoAction, [this] { session_.undo(); });
    onAction(menu_.redoAction, [this] { session_.redo(); });
    onAction(menu_.restartAction, [this] { session_.restart(); });
    onAction(menu_.hintAction, [this] { askHint(); });
    onAction(menu_.howToPlayAction, [this] { showHowToPlay(); });
    onAction(menu_.englishAction, [this] { chooseLanguage(Language::English); });
    onAction(menu_.spanishAction, [this] { chooseLanguage(Language::Spanish); });
    connect(qApp, &QGuiApplication::commitDataRequest, this,
        guarded(this, [this](QSessionManager& manager) { commitDataRequest(manager); }));

    previewTimer_ = new QTimer(this);
    declareControl(previewTimer_, GameWindow::Main, "Timer1", nullptr);
    previewTimer_->setInterval(1000);
    connect(previewTimer_, &QTimer::timeout, this, guarded(this, [this] { session_.tick(); }));
    previewTimer_->start();

    setAcceptDrops(true);
    boardView_->installEventFilter(this);
    setAccessibleNames(this, GameWindow::Main);
    // The par's search and a hint's: two at once at most, whatever else uses Qt's pool.
    searches_.setMaxThreadCount(2);
}

MainWindow::~MainWindow() { stopSearches(); }

void MainWindow::stopSearches()
{
    // A search looks at its flag every few thousand steps: the wait is short.
    *dealStop_ = true;
    *hintStop_ = true;
    searches_.waitForDone();
}

void MainWindow::runSearch(const SearchRequest& request, std::shared_ptr<std::atomic<bool>> stop)
{
    QtConcurrent::run(&searches_, [request, stop] { return shortestSlides(request.board, stop.get()); })
        .then(this, [this, request](const std::optional<std::vector<Move>>& solution) {
            if (solution)
                session_.takeSolution(request, *solution);
        });
}

void MainWindow::askHint()
{
    const std::optional<SearchRequest> search = session_.showHint();
    if (!search)
        return;
    // Only the newest hint is worth finishing.
    *hintStop_ = true;
    hintStop_ = std::make_shared<std::atomic<bool>>(false);
    runSearch(*search, hintStop_);
    // A player who asks waits no longer than this; the plan's slide needs no search.
    constexpr int kHintWaitMs = 100;
    QTimer::singleShot(kHintWaitMs, this, [this, ticket = search->ticket] { session_.hintOverdue(ticket); });
}

void MainWindow::buildClientArea()
{
    const Puzzle& puzzle = session_.puzzle();
    boardView_ = new BoardView(session_, this);
    boardView_->setDevicePixelRatio(metrics_.devicePixelRatio);
    // The board takes the keyboard whenever the window is active: nothing else in it does.
    boardView_->setFocusPolicy(Qt::StrongFocus);
    declareControl(boardView_, GameWindow::Main, "Form1Client", nullptr);
    setCentralWidget(boardView_);

    notice_ = ControlTable{GameWindow::Main, metrics_}.make(new QLabel(boardView_), "Label1");
    notice_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    notice_->setWordWrap(true);
    QFont labelFont = notice_->font();
    labelFont.setPointSize(18);
    labelFont.setWeight(QFont::Normal);
    notice_->setFont(labelFont);
    QPalette labelPalette = notice_->palette();
    labelPalette.setColor(QPalette::WindowText, desktopColour());
    notice_->setPalette(labelPalette);

    // The session's puzzle keeps its place when a new one is swapped in, so the view
    // follows it. Presses over it reach the board, where the session decides.
    overlay_ = new SurfaceView(puzzle.wholePicture(), boardView_);
    overlay_->setAttribute(Qt::WA_TransparentForMouseEvents);
    overlay_->setDevicePixelRatio(metrics_.devicePixelRatio);
    declareControl(overlay_, GameWindow::Main, "Pic2", nullptr);
    overlay_->hide();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (watched == menuBar()) {
        if (type == QEvent::Resize || type == QEvent::LayoutRequest)
            placeRecord();
        return QMainWindow::eventFilter(watched, event);
    }
    if (type == QEvent::KeyPress && watched == boardView_) {
        if (const std::optional<Key> key = boardKey(*static_cast<QKeyEvent*>(event))) {
            runGuarded(this, [&] { session_.keyPressed(*key); });
            return true;
        }
    }
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    const bool release = type == QEvent::MouseButtonRelease;
    if (!press && !release)
        return QMainWindow::eventFilter(watched, event);
    if (watched == boardView_) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const float x = static_cast<float>(mouse->position().x()) * metrics_.twipsPerPixelX;
        const float y = static_cast<float>(mouse->position().y()) * metrics_.twipsPerPixelY;
        runGuarded(this, [&] {
            if (press)
                session_.pressAt(x, y);
            else
                session_.releaseAt(x, y);
        });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::startPuzzle(const PuzzleChoice& choice)
{
    const WindowMeasures window = measures();
    LoadedPictures pictures({.twipsX = window.boardTwipsX(), .twipsY = window.boardTwipsY(),
        .background = palette().color(QPalette::Window)});
    Puzzle next = buildPuzzle(choice, window, pictures);
    // Nothing can fail from here on: the new puzzle is complete.
    setWindowTitle(puzzleTitle(choice.name));
    *dealStop_ = true;
    *hintStop_ = true;
    dealStop_ = std::make_shared<std::atomic<bool>>(false);
    session_.start(std::move(next), timeOfDaySeed());
    if (const std::optional<SearchRequest> search = session_.parSearch())
        runSearch(*search, dealStop_);
}

WindowMeasures MainWindow::measures() const
{
    const QMargins frame = windowFrame();
    WindowMeasures window;
    window.twipsPerPixelX = metrics_.twipsPerPixelX;
    window.twipsPerPixelY = metrics_.twipsPerPixelY;
    window.devicePixelRatio = metrics_.devicePixelRatio;
    window.frameWidth = frame.left() + frame.right();
    window.frameHeight = frame.top() + frame.bottom();
    window.menuBarHeight = menuBarHeight(width());
    window.screenWidth = metrics_.available.width();
    window.screenHeight = metrics_.available.height();
    window.background = toPixel(palette().color(QPalette::Window));
    return window;
}

QMargins MainWindow::windowFrame() const
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

int MainWindow::menuBarHeight(int windowWidth) const
{
    // A window narrower than its menu bar wraps the bar onto more lines.
    return std::max(menuBar()->heightForWidth(windowWidth), menuBar()->sizeHint().height());
}

void MainWindow::placeNewPuzzle(const Puzzle& puzzle)
{
    const Layout& layout = puzzle.layout();
    fitWindowTo(metrics_.toPixelsSize(layout.clientWidth, layout.clientHeight));
    keepOnScreen();
    placeOverlay(puzzle);
    notice_->hide();
    boardView_->update();
    boardView_->followInput();
}

void MainWindow::showChanges(const Damage& changed) { boardView_->showChanges(changed); }

void MainWindow::settle()
{
    // Paint and window events only: a click waiting in the queue must not start another
    // puzzle or a move halfway through building this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::placeOverlay(const Puzzle& puzzle)
{
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

void MainWindow::keepOnScreen()
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


void MainWindow::showInput(const BoardInput&, const std::optional<BoardReport>& report)
{
    boardView_->followInput();
    if (!report)
        return;
    const auto text = boardNewsText(report->news, report->at.column, report->at.row, report->other.column,
        report->other.row, language_);
    if (!text)
        return;
    boardView_->setAccessibleDescription(fromUtf8(*text));
    QAccessibleEvent changed(boardView_, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}

bool MainWindow::announceVictory()
{
    const auto text = messageText(Message::Solved, language_);
    if (!text)
        return false;
    showMessage(this, fromUtf8(*text));
    return true;
}

void MainWindow::showPlayState(const PlayState& state)
{
    if (state.finishedPictureShown) {
        overlay_->show();
        overlay_->raise();
    } else {
        overlay_->hide();
    }
    menu_.showImageAction->setEnabled(state.showImageAvailable);
    menu_.undoAction->setEnabled(state.undoAvailable);
    menu_.redoAction->setEnabled(state.redoAvailable);
    menu_.restartAction->setEnabled(state.restartAvailable);
    menu_.hintAction->setEnabled(state.hintAvailable);
}

void MainWindow::buildRecordCorner()
{
    // A label of the menu bar's own, placed by hand in the room its items leave: as a
    // corner widget it would take room from the items and could wrap the bar onto another
    // line, which would change the window's size.
    record_ = new QLabel(menuBar());
    declareControl(record_, GameWindow::Main, "MovesAndTime", nullptr);
    record_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    record_->hide();
    menuBar()->installEventFilter(this);
}

void MainWindow::showRecord(const PlayRecord& record)
{
    const auto text = record.shown ? recordText(record.moves, record.seconds, record.par, language_) : std::nullopt;
    record_->setText(text ? fromUtf8(*text) : QString());
    // Screen readers hear it from the menu bar too, where it has no room to show.
    menuBar()->setAccessibleDescription(record_->text());
    placeRecord();
}

void MainWindow::placeRecord()
{
    QMenuBar* bar = menuBar();
    const QList<QAction*> items = bar->actions();
    QRect last;
    for (QAction* item : items)
        if (item->isVisible())
            last = bar->actionGeometry(item);
    const int margin = record_->fontMetrics().averageCharWidth();
    const int width = record_->fontMetrics().horizontalAdvance(record_->text()) + margin;
    const int left = bar->width() - width - margin;
    if (record_->text().isEmpty() || last.isNull() || left < last.right() + 2 * margin) {
        record_->hide();
        return;
    }
    record_->setGeometry(left, last.top(), width, last.height());
    record_->show();
}

void MainWindow::showHowToPlay()
{
    if (const auto text = messageText(Message::HowToPlay, language_))
        showInformation(this, fromUtf8(*text));
}

void MainWindow::fitWindowTo(QSize client)
{
    boardView_->setFixedSize(client);
    setFixedSize(client.width(), client.height() + menuBarHeight(client.width()));
}

QSize MainWindow::clientSize() const { return boardView_->size(); }

bool MainWindow::confirmExit()
{
    const auto text = messageText(Message::ExitQuestion, language_).value_or("");
    if (askYesNo(this, fromUtf8(text)) != BoxAnswer::Yes)
        return false;
    endProgram();
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event)
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

void MainWindow::commitDataRequest(QSessionManager& manager)
{
    if (ending_ || !manager.allowsInteraction())
        return;
    const bool ending = confirmExit();
    manager.release();
    if (!ending)
        manager.cancel();
}

void MainWindow::endProgram()
{
    ending_ = true;
    // Every window goes, hidden ones included, without close events: hiding sends none.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    emit programEnded();
}

void MainWindow::chooseLanguage(Language language)
{
    // The texts set the check marks too, so the menu shows what the windows speak.
    language_ = language;
    applyLanguageTexts();
    // A settings file that cannot be written (a write-protected file, a full disk)
    // costs the player the remembered language, not the game in progress.
    try {
        writeSettingsFile(codeOf(language));
    } catch (const RuntimeError& error) {
        showError(this, error);
    }
}

void MainWindow::applyLanguageTexts()
{
    if (dialog_)
        dialog_->setLanguage(language_);
    tessaron::applyLanguageTexts(language_, this, [this] { return static_cast<QWidget*>(&newPuzzleDialog()); },
        [this] { return static_cast<QWidget*>(&aboutBox()); });
    // Qt's translations of its standard buttons, where the system has them (Debian's
    // qt6-translations-l10n); without them the buttons stay in English.
    QCoreApplication::removeTranslator(&qtTexts_);
    if (language_ == Language::Spanish
        && qtTexts_.load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts_);
    showRecord(session_.record());
}

NewPuzzleDialog& MainWindow::newPuzzleDialog()
{
    if (!dialog_) {
        dialog_ = new NewPuzzleDialog(language_, metrics_, this);
        // Its own load applies the texts once more; asked again from there, this
        // returns the dialog just made rather than making a second one.
        applyLanguageTexts();
    }
    return *dialog_;
}

About& MainWindow::aboutBox()
{
    if (!about_) {
        // OK hides it, and the next use shows the same box again; its close box destroys
        // it, and the next use makes a new one.
        about_ = new About(metrics_, [this] { applyLanguageTexts(); }, this);
    }
    return *about_;
}

void MainWindow::showAbout()
{
    About& about = aboutBox();
    about.exec();
}

void MainWindow::openNewPuzzle() { playChoice(newPuzzleDialog().choose()); }

void MainWindow::openPicture(const QString& path)
{
    NewPuzzleDialog& dialog = newPuzzleDialog();
    dialog.choosePicture(path);
    playChoice(dialog.choose());
}

void MainWindow::playChoice(const std::optional<PuzzleChoice>& choice)
{
    if (!choice)
        return;
    try {
        startPuzzle(*choice);
    } catch (const RuntimeError& error) {
        showError(this, error);
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) { takePicture(*event); }

void MainWindow::dropEvent(QDropEvent* event)
{
    if (!takePicture(*event))
        return;
    // Opened once the drop is over: the file manager waits for its answer, and the
    // dialog's own event loop must not keep it waiting.
    QTimer::singleShot(0, this, guarded(this, [this, path = draggedPicture(*event)] {
        if (!QApplication::activeModalWidget())
            openPicture(path);
    }));
}

void MainWindow::startUp(const QString& picture)
{
    std::optional<PuzzleChoice> choice;
    StartupSteps steps;
    steps.readLanguage = [] { return languageOfCode(readSettingsFile()); };
    steps.askLanguage = [this] {
        LanguageWindow languageWindow(metrics_, this);
        languageWindow.exec();
        return languageWindow.chosen().value_or(Language::English);
    };
    steps.saveLanguage = [](Language language) { writeSettingsFile(codeOf(language)); };
    steps.applyTexts = [this](Language language) {
        language_ = language;
        applyLanguageTexts();
    };
    if (!picture.isEmpty())
        steps.offerPicture = [this, picture] { newPuzzleDialog().choosePicture(picture); };
    steps.choosePuzzle = [this, &choice] { return (choice = newPuzzleDialog().choose()).has_value(); };
    steps.startPuzzle = [this, &choice] { startPuzzle(*choice); };
    steps.report = [this](const RuntimeError& error) { showError(this, error); };
    runStartup(steps);
    show();
}

}  // namespace tessaron
