#pragma once
// The main window's menu bar, built with the captions and states the window is created
// with; the language's texts replace the captions later.

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
