#pragma once
// The page tree of the test bench: twelve groups in the order of the group
// list, each a set of tabs; and the dialogs made right after the main window.
// The shell only reads these tables; PageTree.cpp (target "pagetree") fills
// them and links every page folder.

#include <span>

class QWidget;
class TPage;

using TPageFactory = TPage* (*)(QWidget* owner);
template <typename T> TPage* CreatePage(QWidget* owner) {
    return new T(owner);
}

struct TGroupDef {
    const char* caption;
    bool translated; // "Quenta" is a name, never translated
};

struct TTabDef {
    int group; // 1..12, in the order of the groups
    TPageFactory create;
};

struct TPageTree {
    std::span<const TGroupDef> groups;
    std::span<const TTabDef> tabs; // in tab order within each group
};

const TPageTree& PageTree();

// Dialogs the program makes after its main window, in order. Each gets the
// main window.
using TStartupHook = void (*)(QWidget* mainWindow);
std::span<const TStartupHook> StartupHooks();
