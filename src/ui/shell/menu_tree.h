#pragma once
// The main window's menu bar: its nesting and the items' states. Names and captions come
// from the main window's table, which the language switch also writes from.

#include <QPointer>

class QAction;
class QMenu;
class QMenuBar;

namespace tessaron {

// Each item's object name, the design's, follows it.
struct MenuTree {
    QMenu* fileMenu = nullptr;                // Archivo
    QAction* openAction = nullptr;            // Abrir
    QAction* exitAction = nullptr;            // Salir
    QMenu* languageMenu = nullptr;            // language
    QAction* englishAction = nullptr;         // MLanguageIngles
    QAction* spanishAction = nullptr;         // MLanguageEspañol
    QAction* galicianAction = nullptr;        // MLanguageGallego, never shown
    QAction* showImageAction = nullptr;       // Montado, acting from the menu bar itself
    QMenu* webMenu = nullptr;                 // MWeb
    QAction* gamePageAction = nullptr;        // MWebTessaron
    QAction* authorPageAction = nullptr;      // MWebAutor
    QAction* otherGamePageAction = nullptr;   // MWebRodanto
    QAction* aboutAction = nullptr;           // AcercaDe, acting from the menu bar itself
    QMenu* gameMenu = nullptr;                // GameMenu
    QAction* undoAction = nullptr;            // Undo: Ctrl+Z
    QAction* redoAction = nullptr;            // Redo: Ctrl+Shift+Z and Ctrl+Y
    QAction* restartAction = nullptr;         // Restart
    QAction* hintAction = nullptr;            // Hint: H
    QAction* howToPlayAction = nullptr;       // HowToPlay
};

MenuTree buildMenuTree(QMenuBar* bar);

}  // namespace tessaron
