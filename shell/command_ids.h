// The command numbers the main window's menu items, menu-bar buttons and shortcuts send. They
// are part of the program's interface (each action's object name is its number) and never
// change.
#pragma once

enum {
    KCmdClose = 1, // the close request (Ctrl+Q)
    KCmdAbout = 40003,
    KCmdExit = 40004,
    KCmdOpen = 40009,
    KCmdNew = 40011,
    KCmdSave = 40012,
    KCmdSaveAs = 40013,
    KCmdGrid = 40019,
    KCmdZoomIn = 40020,
    KCmdZoomOut = 40021,
    KCmdUndo = 40024,
    KCmdRedo = 40025,
    KCmdPreference = 40047,
    KCmdHelp = 40048,
    KCmdCut = 40049,
    KCmdPaste = 40050,
    KCmdCopy = 40051,
    KCmdCrop = 40052,
    KCmdActualSize = 40058,
    KCmdBrightnessContrast = 40065,
    KCmdPalette = 40066,
    KCmdImageSize = 40068,
    KCmdInvert = 40069,
    KCmdGrayscale = 40070,
    KCmdGridButton = 40079,
    KCmdActualSizeButton = 40080,
    KCmdZoomInButton = 40081,
    KCmdZoomOutButton = 40082,
    KCmdClear = 40129,
    KCmdRotateRight = 40131,
    KCmdRotateLeft = 40132,
    KCmdRotate180 = 40133,
    KCmdFlipHorizontal = 40134,
    KCmdFlipVertical = 40135,
    KCmdSelectAll = 40137,
    KCmdSelectNone = 40138,
    KCmdChangeColor = 40139,
    KCmdFitToScreen = 40140,
    KCmdColorCount = 40143, // no menu item: Ctrl+Shift+U
    KCmdShowInfo = 40154
};

// The drop-down menus that carry numbers of their own (their object names).
enum { KMenuEdit = 40023, KMenuView = 40053 };
