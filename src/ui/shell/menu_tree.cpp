#include "ui/shell/menu_tree.h"

#include "ui/shell/declared_controls.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace tessaron {
namespace {

// Names and captions come from the main window's table; the nesting is built here.
// Captions contain no '&': no item has an access key.
QMenu* addMenu(QMenuBar* bar, std::string_view name)
{
    QMenu* menu = bar->addMenu(QString());
    declareControl(menu, GameWindow::Main, name, nullptr);
    declareControl(menu->menuAction(), GameWindow::Main, name, nullptr);
    return menu;
}

QAction* addItem(QWidget* container, std::string_view name)
{
    auto* action = new QAction(container);
    declareControl(action, GameWindow::Main, name, nullptr);
    action->setMenuRole(QAction::NoRole);
    container->addAction(action);
    return action;
}

}  // namespace

MenuTree buildMenuTree(QMenuBar* bar)
{
    MenuTree m;
    m.fileMenu = addMenu(bar, "Archivo");
    m.openAction = addItem(m.fileMenu, "Abrir");
    m.exitAction = addItem(m.fileMenu, "Salir");

    m.languageMenu = addMenu(bar, "language");
    m.englishAction = addItem(m.languageMenu, "MLanguageIngles");
    m.spanishAction = addItem(m.languageMenu, "MLanguageEspa\u00F1ol");
    m.galicianAction = addItem(m.languageMenu, "MLanguageGallego");
    // The check marks are set by the language handlers, not toggled by the click itself.
    m.englishAction->setCheckable(true);
    m.englishAction->setChecked(true);
    m.spanishAction->setCheckable(true);
    m.galicianAction->setVisible(false);
    m.galicianAction->setEnabled(false);

    m.showImageAction = addItem(bar, "Montado");

    m.webMenu = addMenu(bar, "MWeb");
    m.gamePageAction = addItem(m.webMenu, "MWebTessaron");
    m.authorPageAction = addItem(m.webMenu, "MWebAutor");
    m.otherGamePageAction = addItem(m.webMenu, "MWebRodanto");

    m.aboutAction = addItem(bar, "AcercaDe");

    m.gameMenu = addMenu(bar, "GameMenu");
    m.undoAction = addItem(m.gameMenu, "Undo");
    m.redoAction = addItem(m.gameMenu, "Redo");
    m.restartAction = addItem(m.gameMenu, "Restart");
    m.hintAction = addItem(m.gameMenu, "Hint");
    m.howToPlayAction = addItem(m.gameMenu, "HowToPlay");
    // The keys other puzzle games and editors use; the menu shows the first of each.
    m.undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m.redoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    m.hintAction->setShortcut(QKeySequence(Qt::Key_H));
    return m;
}

}  // namespace tessaron
