#pragma once
// The main window's menu bar: its nesting and the items' states. Names and captions come
// from the main window's table, which the language switch also writes from.

#include <QPointer>

class QAction;
class QMenu;
class QMenuBar;

namespace tessaron {

struct MenuTree {
    QMenu* Archivo = nullptr;
    QAction* Abrir = nullptr;
    QAction* Salir = nullptr;
    QMenu* language = nullptr;
    QAction* MLanguageIngles = nullptr;
    QAction* MLanguageEspanol = nullptr;  // object name "MLanguageEspañol"
    QAction* MLanguageGallego = nullptr;
    QAction* Montado = nullptr;           // acts from the menu bar itself
    QMenu* MWeb = nullptr;
    QAction* MWebTessaron = nullptr;
    QAction* MWebAutor = nullptr;
    QAction* MWebRodanto = nullptr;
    QAction* AcercaDe = nullptr;          // acts from the menu bar itself
};

MenuTree buildMenuTree(QMenuBar* bar);

}  // namespace tessaron
