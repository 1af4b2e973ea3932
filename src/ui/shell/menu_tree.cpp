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
    declareControl(menu, GameWindow::Form1, name, nullptr);
    declareControl(menu->menuAction(), GameWindow::Form1, name, nullptr);
    return menu;
}

QAction* addItem(QWidget* container, std::string_view name)
{
    auto* action = new QAction(container);
    declareControl(action, GameWindow::Form1, name, nullptr);
    action->setMenuRole(QAction::NoRole);
    container->addAction(action);
    return action;
}

}  // namespace

MenuTree buildMenuTree(QMenuBar* bar)
{
    MenuTree m;
    m.Archivo = addMenu(bar, "Archivo");
    m.Abrir = addItem(m.Archivo, "Abrir");
    m.Salir = addItem(m.Archivo, "Salir");

    m.language = addMenu(bar, "language");
    m.MLanguageIngles = addItem(m.language, "MLanguageIngles");
    m.MLanguageEspanol = addItem(m.language, "MLanguageEspa\u00F1ol");
    m.MLanguageGallego = addItem(m.language, "MLanguageGallego");
    // The check marks are set by the language handlers, not toggled by the click itself.
    m.MLanguageIngles->setCheckable(true);
    m.MLanguageIngles->setChecked(true);
    m.MLanguageEspanol->setCheckable(true);
    m.MLanguageGallego->setVisible(false);
    m.MLanguageGallego->setEnabled(false);

    m.Montado = addItem(bar, "Montado");

    m.MWeb = addMenu(bar, "MWeb");
    m.MWebTessaron = addItem(m.MWeb, "MWebTessaron");
    m.MWebAutor = addItem(m.MWeb, "MWebAutor");
    m.MWebRodanto = addItem(m.MWeb, "MWebRodanto");

    m.AcercaDe = addItem(bar, "AcercaDe");
    return m;
}

}  // namespace tessaron
