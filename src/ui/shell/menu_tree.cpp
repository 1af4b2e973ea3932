#include "ui/shell/menu_tree.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace tessaron {
namespace {

// Captions contain no '&': no item has an access key.
QMenu* addMenu(QMenuBar* bar, const char* name, const char* caption)
{
    QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setObjectName(QString::fromUtf8(name));
    return menu;
}

QAction* addItem(QWidget* container, const char* name, const char* caption)
{
    auto* action = new QAction(QString::fromUtf8(caption), container);
    action->setObjectName(QString::fromUtf8(name));
    action->setMenuRole(QAction::NoRole);
    container->addAction(action);
    return action;
}

}  // namespace

MenuTree buildMenuTree(QMenuBar* bar)
{
    MenuTree m;
    m.Archivo = addMenu(bar, "Archivo", "Archivo");
    m.Abrir = addItem(m.Archivo, "Abrir", "Abrir");
    m.Salir = addItem(m.Archivo, "Salir", "Salir");

    m.language = addMenu(bar, "language", "Idioma");
    m.MLanguageIngles = addItem(m.language, "MLanguageIngles", "English");
    m.MLanguageEspanol = addItem(m.language, "MLanguageEspa\u00F1ol", "Espa\u00F1ol");
    m.MLanguageGallego = addItem(m.language, "MLanguageGallego", "Galego");
    // The check marks are set by the language handlers, not toggled by the click itself.
    m.MLanguageIngles->setCheckable(true);
    m.MLanguageIngles->setChecked(true);
    m.MLanguageEspanol->setCheckable(true);
    m.MLanguageGallego->setVisible(false);
    m.MLanguageGallego->setEnabled(false);

    m.Montado = addItem(bar, "Montado", "Verlo Montado");

    m.MWeb = addMenu(bar, "MWeb", "Web");
    m.MWebTessaron = addItem(m.MWeb, "MWebTessaron", "P\u00E1gina de Tessaron");
    m.MWebAutor = addItem(m.MWeb, "MWebAutor", "P\u00E1gina del Autor");
    m.MWebRodanto = addItem(m.MWeb, "MWebRodanto", "Rodanto Carreras");

    m.AcercaDe = addItem(bar, "AcercaDe", "A cerca de ");
    return m;
}

}  // namespace tessaron
